#include "catalogue_window.h"

#include "named_rows.h"

#include "app/access_keys.h"
#include "app/codes.h"
#include "app/current_user.h"
#include "app/editable_grid.h"
#include "app/messages.h"
#include "app/read_failures.h"
#include "db/named_query.h"
#include "db/tdm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace masterdata;

namespace {

const QString kName = QStringLiteral("name");

// The fee types in the order the drop-down offers them.
QStringList feeTypeChoices()
{
    return {QStringLiteral("登记"), QStringLiteral("工本费"), QStringLiteral("船员培训、申验、考试"),
            QStringLiteral("内部资料")};
}

}  // namespace

TF_itemmodify::TF_itemmodify(Tdm &dm, const Catalogue &catalogue, QWidget *parent)
    : MasterDataWindow(catalogue.windowName, catalogue.caption, parent), m_catalogue(catalogue)
{
    m_query = new NamedQuery(catalogue.queryName, dm.connectionName(), this);
    m_query->setUpdateTable(catalogue.table, {kName});
    tellReadFailures(m_query);
    resize(catalogue.priced ? 560 : 420, 460);

    auto *column = new QVBoxLayout(this);
    Label1 = label(catalogue.heading, "Label1");
    QFont heading = Label1->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    heading.setBold(true);
    Label1->setFont(heading);
    Label1->setAlignment(Qt::AlignCenter);
    column->addWidget(Label1);

    auto *body = new QHBoxLayout;
    DBGrid_item = named(new QTableView(this), "DBGrid_item");
    QList<ColumnProxyModel::Column> columns{{kName, catalogue.nameTitle, {}}};
    if (catalogue.priced)
        columns << ColumnProxyModel::Column{QStringLiteral("danjia"), QStringLiteral("单价"), moneyText,
                                            Qt::AlignRight | Qt::AlignVCenter}
                << ColumnProxyModel::Column{QStringLiteral("type"), QStringLiteral("所属类型"), {}};
    m_grid = new EditableGrid(*m_query, DBGrid_item, columns, this);
    if (catalogue.priced) {
        DBGrid_item->setColumnWidth(0, 170);
        DBGrid_item->setColumnWidth(1, 70);
    }
    body->addWidget(DBGrid_item, 1);

    auto *buttons = new QVBoxLayout;
    bt_add = button(QStringLiteral("增加"), "bt_add", [this] { bt_addClick(); });
    bt_save = button(QStringLiteral("保存"), "bt_save", [this] { Bt_saveClick(); });
    bt_del = button(QStringLiteral("删除"), "bt_del", [this] { bt_delClick(); });
    bt_up = button(QStringLiteral("向上"), "bt_up", [this] { bt_upClick(); });
    bt_down = button(QStringLiteral("向下"), "bt_down", [this] { bt_downClick(); });
    for (QPushButton *b : {bt_add, bt_save, bt_del})
        buttons->addWidget(b);
    buttons->addSpacing(24);
    buttons->addWidget(bt_up);
    buttons->addWidget(bt_down);
    buttons->addStretch(1);
    body->addLayout(buttons);
    column->addLayout(body, 1);

    auto *form = new QGridLayout;
    DBEdit1 = named(new QLineEdit(this), "DBEdit1");
    form->addWidget(label(catalogue.nameLabel, "Label2"), 0, 0);
    form->addWidget(DBEdit1, 0, 1);
    m_grid->bindText(DBEdit1, kName, kItemNameBytes);
    if (catalogue.priced) {
        DBEdit2 = named(new QLineEdit(this), "DBEdit2");
        DBComboBox1 = named(new QComboBox(this), "DBComboBox1");
        DBComboBox1->addItems(feeTypeChoices());
        form->addWidget(label(QStringLiteral("单价"), "Label3"), 1, 0);
        form->addWidget(DBEdit2, 1, 1);
        form->addWidget(label(QStringLiteral("所属类型"), "Label4"), 2, 0);
        form->addWidget(DBComboBox1, 2, 1);
        m_grid->bindNumber(DBEdit2, QStringLiteral("danjia"));
        m_grid->bindChoice(DBComboBox1, QStringLiteral("type"));
    }
    column->addLayout(form);

    DBGrid_item->setAccessibleName(keys::spoken(catalogue.heading));
    setAccessKeys({{"Label2", 'M', "DBEdit1"},
                   {"Label3", 'P', "DBEdit2"},
                   {"Label4", 'T', "DBComboBox1"},
                   {"bt_add", 'A'},
                   {"bt_save", 'S'},
                   {"bt_del", 'D'},
                   {"bt_up", 'U'},
                   {"bt_down", 'N'}});

    connect(m_grid, &EditableGrid::rowClicked, this, [this] { run([this] { DBGrid_itemCellClick(); }); });
}

void TF_itemmodify::setFieldsEnabled(bool enabled)
{
    for (QWidget *w :
         {static_cast<QWidget *>(DBEdit1), static_cast<QWidget *>(DBEdit2), static_cast<QWidget *>(DBComboBox1)})
        if (w)
            w->setEnabled(enabled);
}

void TF_itemmodify::FormShow()
{
    bt_add->setEnabled(true);
    bt_save->setEnabled(false);
    bt_del->setEnabled(false);
    bt_up->setEnabled(false);
    bt_down->setEnabled(false);
    setFieldsEnabled(false);
    m_query->open(m_catalogue.listStatement);
}

void TF_itemmodify::DBGrid_itemCellClick()
{
    const bool named = m_query->currentRow() >= 0 && !m_query->value(kName).toString().isEmpty();
    for (QPushButton *b : {bt_del, bt_up, bt_down})
        b->setEnabled(named);
}

void TF_itemmodify::bt_addClick()
{
    if (!m_query->isActive())
        return;
    // The order number is used up here, whether or not the item is stored.
    const int order = drawOrderNumber(m_query->database(), m_catalogue);
    bt_save->setEnabled(true);
    for (QPushButton *b : {bt_add, bt_del, bt_up, bt_down})
        b->setEnabled(false);
    setFieldsEnabled(true);
    DBGrid_item->setEnabled(false);
    m_query->insert();
    m_query->setValue(QStringLiteral("orderx"), order);
    m_grid->refreshFields();
    if (m_catalogue.focusNameOnAdd)
        DBEdit1->setFocus();
}

void TF_itemmodify::Bt_saveClick()
{
    switch (storeNewItem(*m_query, m_catalogue, CurrentUser)) {
    case NewItem::Missing:
        messages::inform(m_catalogue.missingMessage);
        DBEdit1->setFocus();
        return;
    case NewItem::Exists:
        messages::inform(m_catalogue.existsMessage);
        DBEdit1->setFocus();
        return;
    case NewItem::Stored:
        break;
    }
    bt_save->setEnabled(false);
    bt_del->setEnabled(false);
    bt_add->setEnabled(true);
    setFieldsEnabled(false);
    DBGrid_item->setEnabled(true);
}

void TF_itemmodify::bt_delClick()
{
    deleteItem(*m_query, m_catalogue, CurrentUser);
    bt_del->setEnabled(false);
}

void TF_itemmodify::move(int step)
{
    switch (moveItem(*m_query, m_catalogue, step, CurrentUser)) {
    case Move::AtEnd:
        messages::inform(step < 0 ? QStringLiteral("已经到顶") : QStringLiteral("已经到底"));
        break;
    case Move::AtGroupEnd:
        messages::inform(step < 0 ? QStringLiteral("已到该收费类型的顶部，不可再移动")
                                  : QStringLiteral("已到该收费类型的底部，不可再移动"));
        break;
    case Move::Moved:
        break;
    }
}

void TF_itemmodify::bt_upClick()
{
    move(-1);
}

void TF_itemmodify::bt_downClick()
{
    move(1);
}

TF_itemmodifycj::TF_itemmodifycj(Tdm &dm, QWidget *parent) : TF_itemmodify(dm, shipInspectionCatalogue(), parent) {}

TF_itemmodifycw::TF_itemmodifycw(Tdm &dm, QWidget *parent) : TF_itemmodify(dm, shipAffairsCatalogue(), parent) {}
