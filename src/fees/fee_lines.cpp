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

#include <QSqlQuery>

namespace fees {

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

QList<CatalogueRow> readCatalogue(QSqlDatabase db, const QString &table)
{
    QSqlQuery item = runStatement(db, QStringLiteral("select * from ") + table);
    QList<CatalogueRow> rows;
    while (item.next()) {
        const QSqlRecord record = item.record();
        CatalogueRow row;
        row.name = record.value(QStringLiteral("name")).toString();
        row.orderx = record.value(QStringLiteral("orderx"));
        if (table == QLatin1String("itemcw")) {
            row.unitPrice = record.value(QStringLiteral("danjia"));
            row.type = record.value(QStringLiteral("type"));
        }
        rows << row;
    }
    // No statement may stay open on the connection when the inserts commit.
    item.finish();
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

FeeTypeFilter feeTypeFilter(const QSqlRecord &notice)
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

int createLinesIfNone(QSqlDatabase db, const UserRecord &user, const QString &noticeId)
{
    const bool inspection = user.department == codes::kInspection;
    if (!inspection && user.department != codes::kShipAffairs)
        return 0;

    Transaction transaction(db);
    // Two workstations pressing the button for the same notice at once must
    // not both find it without lines: writing the notice row first (without
    // changing it) makes the second wait until the first has committed.
    runStatement(db, QStringLiteral("update notice set revision=revision where ID=?"), {noticeId}).finish();
    QSqlQuery existing = runStatement(db, QStringLiteral("select * from itemofnotice where ID=? order by orderx"),
                                      {noticeId});
    const bool hasLines = existing.next();
    existing.finish();
    if (hasLines) {
        transaction.commit();
        return 0;
    }

    const LinesChange change = LinesChange::begin(db, noticeId);
    const QList<CatalogueRow> catalogue = readCatalogue(db, inspection ? QStringLiteral("itemcj")
                                                                       : QStringLiteral("itemcw"));
    for (const CatalogueRow &row : catalogue) {
        if (inspection) {
            // Ship inspection lines carry no description and no type.
            runStatement(db, QStringLiteral("insert into itemofnotice (ID,itemname,orderx) values (?,?,?)"),
                         {noticeId, row.name, row.orderx.toInt()})
                .finish();
        } else if (row.unitPrice.toDouble() > 0) {
            // The unit price becomes the first calculation step, which the
            // clerk extends (30 into 30*4).
            runStatement(db,
                         QStringLiteral("insert into itemofnotice (ID,itemname,description,type,orderx) "
                                        "values (?,?,?,?,?)"),
                         {noticeId, row.name, plainNumberText(row.unitPrice.toDouble()), textValue(row.type),
                          orderValue(row.orderx)})
                .finish();
        } else {
            runStatement(db, QStringLiteral("insert into itemofnotice (ID,itemname,type,orderx) values (?,?,?,?)"),
                         {noticeId, row.name, textValue(row.type), orderValue(row.orderx)})
                .finish();
        }
    }
    if (!catalogue.isEmpty())
        change.record(db, user, history::kLinesCreated, QStringLiteral("按收费目录建立 %1 行").arg(catalogue.size()),
                      change.totalBefore);
    transaction.commit();
    return int(catalogue.size());
}

}  // namespace fees
