#include "fee_line_model.h"

#include "number_text.h"

#include "db/gbk_text.h"
#include "db/named_query.h"

#include "db/row_set_model.h"
#include "expr/amount_text.h"

namespace fees {

FeeLineModel::FeeLineModel(NamedQuery &lines, QObject *parent) : QAbstractTableModel(parent), m_lines(lines)
{
    // The query's own model tells when its rows are replaced or more are fetched.
    RowSetModel *rows = m_lines.model();
    connect(rows, &QAbstractItemModel::modelAboutToBeReset, this, &FeeLineModel::beginResetModel);
    connect(rows, &QAbstractItemModel::modelReset, this, &FeeLineModel::endResetModel);
    connect(rows, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); });
    connect(rows, &QAbstractItemModel::rowsInserted, this, &FeeLineModel::endInsertRows);
    connect(rows, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); });
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &FeeLineModel::endRemoveRows);
    connect(rows, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
        emit dataChanged(index(from.row(), 0), index(to.row(), ColumnCount - 1));
    });
    // The edit buffer of the current row changed, or was dropped.
    connect(&m_lines, &NamedQuery::valueChanged, this, &FeeLineModel::rowsShown);
    connect(&m_lines, &NamedQuery::currentRowChanged, this, &FeeLineModel::rowsShown);
}

void FeeLineModel::rowsShown()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void FeeLineModel::setEditable(bool editable)
{
    if (m_editable == editable)
        return;
    m_editable = editable;
    rowsShown();
}

QString FeeLineModel::fieldName(int column)
{
    switch (column) {
    case ItemName:
        return QStringLiteral("itemname");
    case Description:
        return QStringLiteral("description");
    case Money:
        return QStringLiteral("money");
    case Type:
        return QStringLiteral("type");
    default:
        return {};
    }
}

int FeeLineModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_lines.model()->rowCount();
}

int FeeLineModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FeeLineModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole && index.column() == Money)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const QString field = fieldName(index.column());
    // The current row shows its edit buffer while it is being edited.
    const bool buffered = index.row() == m_lines.currentRow()
                          && (m_lines.state() == NamedQuery::State::Editing
                              || m_lines.state() == NamedQuery::State::Inserting);
    const QVariant value = buffered ? m_lines.value(field) : m_lines.valueAt(index.row(), field);
    // Amounts with two decimals, as in every grid; a grid's own number format
    // would write 120 and 10000000 as 1e+07.
    if (index.column() == Money)
        return value.isNull() ? QString() : moneyText(value.toDouble());
    return value;
}

QVariant FeeLineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ItemName:
        return QStringLiteral("收费项目");
    case Description:
        return QStringLiteral("计算步骤（说明）");
    case Money:
        return QStringLiteral("收费金额");
    case Type:
        return QStringLiteral("所属类型");
    default:
        return {};
    }
}

Qt::ItemFlags FeeLineModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && (index.column() == Description || index.column() == Money))
        f |= Qt::ItemIsEditable;
    return f;
}

bool FeeLineModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (index.row() != m_lines.currentRow() && !m_lines.setCurrentRow(index.row()))
        return false;
    const QString text = value.toString();
    const QString line = m_lines.value(QStringLiteral("lineid")).toString();
    if (index.column() == Description) {
        // The editor already refuses longer text; nothing longer is ever stored.
        const QString steps = gbk::truncated(text, kDescriptionWidth);
        if (steps == m_lines.value(QStringLiteral("description")).toString())
            return true;
        m_lines.setValue(QStringLiteral("description"), steps);
        m_changedSteps.insert(line);
        return true;
    }
    if (text.trimmed().isEmpty()) {
        m_lines.setValue(QStringLiteral("money"), QVariant(QMetaType::fromType<double>()));
        m_changedSteps.remove(line);
        return true;
    }
    bool ok = false;
    const double amount = text.trimmed().toDouble(&ok);
    if (!ok)
        return false;
    // A typed amount is stored as the clerk means it, and with two decimals
    // like a computed one; it stands for the steps as they are.
    m_lines.setValue(QStringLiteral("money"), QString::fromStdString(nollard::AmountText(amount)).toDouble());
    m_changedSteps.remove(line);
    return true;
}

QStringList FeeLineModel::changedSteps() const
{
    return QStringList(m_changedSteps.cbegin(), m_changedSteps.cend());
}

void FeeLineModel::markComputed(const QString &lineId)
{
    m_changedSteps.remove(lineId);
}

void FeeLineModel::forgetChangedSteps()
{
    m_changedSteps.clear();
}

bool FeeLineModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_lines.model()->canFetchMore();
}

void FeeLineModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid())
        m_lines.model()->fetchMore();
}

}  // namespace fees
