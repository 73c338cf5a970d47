#include "fee_lines.h"

#include "notice_total.h"

#include "number_text.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "db/notice_history.h"
#include "db/tdm.h"
#include "db/transaction.h"

#include <QSqlDatabase>
#include <QSqlError>

namespace fees {

QString CurrentNoticeID;
FeeTypeFilter LineTypeFilter;

namespace {

// Ship affairs selections with no flag set ask for this type (or, for the
// total, this notice ID) so that no line qualifies.
const QString kNothing = QStringLiteral("nothing");

struct CatalogueRow
{
    QString name;
    QVariant unitPrice;
    QVariant type;
    QVariant orderx;
};

QList<CatalogueRow> readCatalogue(NamedQuery &item, const QString &table)
{
    item.open(QStringLiteral("select * from ") + table);
    QList<CatalogueRow> rows;
    const int count = item.rowCount();
    for (int r = 0; r < count; ++r) {
        CatalogueRow row;
        row.name = item.valueAt(r, QStringLiteral("name")).toString();
        row.orderx = item.valueAt(r, QStringLiteral("orderx"));
        if (table == QLatin1String("itemcw")) {
            row.unitPrice = item.valueAt(r, QStringLiteral("danjia"));
            row.type = item.valueAt(r, QStringLiteral("type"));
        }
        rows << row;
    }
    // No statement may stay open on the connection when the inserts commit.
    item.close();
    return rows;
}

QVariant orderValue(const QVariant &orderx)
{
    return orderx.isNull() ? QVariant(QMetaType::fromType<int>()) : QVariant(orderx.toInt());
}

QVariant textValue(const QVariant &text)
{
    return text.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text.toString());
}

}  // namespace

QString FeeTypeFilter::text() const
{
    QString filter;
    for (const QString &type : types) {
        filter += filter.isEmpty() ? QStringLiteral(" type='") : QStringLiteral(" or type='");
        filter += type + QLatin1Char('\'');
    }
    return filter;
}

QString FeeTypeFilter::condition() const
{
    QStringList terms;
    for (qsizetype i = 0; i < types.size(); ++i)
        terms << QStringLiteral("type=?");
    return terms.join(QStringLiteral(" or "));
}

FeeTypeFilter feeTypeFilter(const NamedQuery &notice)
{
    FeeTypeFilter filter;
    for (const codes::FeeType &feeType : codes::feeTypes())
        if (notice.value(feeType.flag).toBool())
            filter.types << feeType.literal;
    return filter;
}

Statement lineSelection(LineSelection use, const QString &department, const QString &noticeId,
                        const FeeTypeFilter &filter)
{
    const QString base = QStringLiteral("select * from itemofnotice where ID=?");
    if (department == codes::kShipAffairs) {
        QVariantList values{noticeId};
        for (const QString &type : filter.types)
            values << type;
        if (filter.isEmpty()) {
            if (use == LineSelection::EditorTotal)
                return {base, {kNothing}};
            return {base + QStringLiteral(" and type=?"), {noticeId, kNothing}};
        }
        const QString typed = base + QStringLiteral(" and (") + filter.condition() + QLatin1Char(')');
        switch (use) {
        case LineSelection::EditorLoad:
            return {typed + QStringLiteral(" order by type desc,orderx"), values};
        case LineSelection::EditorTotal:
            return {typed + QStringLiteral(" and money>0 order by type"), values};
        case LineSelection::Display:
        case LineSelection::Print:
            return {typed + QStringLiteral(" and money>0 order by type desc,orderx"), values};
        }
    }
    switch (use) {
    case LineSelection::EditorLoad:
        return {base + QStringLiteral(" order by orderx"), {noticeId}};
    case LineSelection::EditorTotal:
        return {base + QStringLiteral(" and money>0"), {noticeId}};
    case LineSelection::Display:
    case LineSelection::Print:
        break;
    }
    return {base + QStringLiteral(" and money>0 order by orderx"), {noticeId}};
}

void openLineSelection(NamedQuery &lines, LineSelection use, const QString &department, const QString &noticeId,
                       const FeeTypeFilter &filter)
{
    const Statement s = lineSelection(use, department, noticeId, filter);
    lines.close();
    lines.open(s.sql, s.values);
}

void openNoticeLines(Tdm &dm, LineSelection use, const QString &department)
{
    const QString id = dm.aq_notice->value(QStringLiteral("ID")).toString();
    if (id.isEmpty()) {
        dm.aq_itemofnotice->close();
        return;
    }
    openLineSelection(*dm.aq_itemofnotice, use, department, id, feeTypeFilter(*dm.aq_notice));
}

int createLinesIfNone(Tdm &dm, const QString &department, const QString &noticeId)
{
    const bool inspection = department == codes::kInspection;
    if (!inspection && department != codes::kShipAffairs)
        return 0;

    NamedQuery &lines = *dm.aq_itemofnotice;
    Transaction transaction(dm.database());
    // Two workstations pressing the button for the same notice at once must
    // not both find it without lines: writing the notice row first (without
    // changing it) makes the second wait until the first has committed.
    lines.execute(QStringLiteral("update notice set revision=revision where ID=?"), {noticeId});
    lines.open(QStringLiteral("select * from itemofnotice where ID=? order by orderx"), {noticeId});
    const bool hasLines = !lines.isEmpty();
    lines.close();
    if (hasLines) {
        transaction.commit();
        return 0;
    }

    const LinesChange change = LinesChange::begin(dm.database(), noticeId);
    const QList<CatalogueRow> catalogue = readCatalogue(*dm.aq_item, inspection ? QStringLiteral("itemcj")
                                                                                : QStringLiteral("itemcw"));
    for (const CatalogueRow &row : catalogue) {
        if (inspection) {
            // Ship inspection lines carry no description and no type.
            lines.execute(QStringLiteral("insert into itemofnotice (ID,itemname,orderx) values (?,?,?)"),
                          {noticeId, row.name, row.orderx.toInt()});
        } else if (row.unitPrice.toDouble() > 0) {
            // The unit price becomes the first calculation step, which the
            // clerk extends (30 into 30*4).
            lines.execute(QStringLiteral("insert into itemofnotice (ID,itemname,description,type,orderx) "
                                         "values (?,?,?,?,?)"),
                          {noticeId, row.name, plainNumberText(row.unitPrice.toDouble()), textValue(row.type),
                           orderValue(row.orderx)});
        } else {
            lines.execute(QStringLiteral("insert into itemofnotice (ID,itemname,type,orderx) values (?,?,?,?)"),
                          {noticeId, row.name, textValue(row.type), orderValue(row.orderx)});
        }
    }
    if (!catalogue.isEmpty())
        change.record(dm.database(), history::kLinesCreated,
                      QStringLiteral("按收费目录建立 %1 行").arg(catalogue.size()), change.totalBefore);
    transaction.commit();
    return int(catalogue.size());
}

bool prepareFeeLines(Tdm &dm, const UserRecord &user)
{
    if (user.department != codes::kInspection && user.department != codes::kShipAffairs)
        return false;
    // Without a notice there is nothing to attach lines to: lines under an
    // empty ID would belong to no notice.
    const QString id = dm.aq_notice->value(QStringLiteral("ID")).toString();
    if (id.isEmpty())
        return false;
    CurrentNoticeID = id;
    createLinesIfNone(dm, user.department, id);
    dm.aq_itemofnotice->close();
    return true;
}

void openEditorLines(Tdm &dm, const QString &department)
{
    if (department == codes::kShipAffairs)
        LineTypeFilter = feeTypeFilter(*dm.aq_notice);
    openLineSelection(*dm.aq_itemofnotice, LineSelection::EditorLoad, department, CurrentNoticeID, LineTypeFilter);
}

double sumOfMoney(NamedQuery &lines)
{
    double total = 0;
    const int count = lines.rowCount();
    for (int r = 0; r < count; ++r)
        total += lines.valueAt(r, QStringLiteral("money")).toDouble();
    return total;
}

double writeNoticeTotal(Tdm &dm, const QString &department, const QString &noticeId, const FeeTypeFilter &filter)
{
    openLineSelection(*dm.aq_itemofnotice, LineSelection::EditorTotal, department, noticeId, filter);
    const double total = sumOfMoney(*dm.aq_itemofnotice);
    NamedQuery &notice = *dm.aq_notice;
    if (notice.currentRow() >= 0 || notice.state() == NamedQuery::State::Editing
        || notice.state() == NamedQuery::State::Inserting) {
        notice.edit();
        notice.setValue(QStringLiteral("money"), total);
    }
    return total;
}

}  // namespace fees
