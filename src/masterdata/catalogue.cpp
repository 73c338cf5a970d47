#include "catalogue.h"

#include "audit_trail.h"
#include "named_rows.h"

#include "db/counter.h"
#include "db/named_query.h"
#include "db/sql_statement.h"
#include "db/transaction.h"
#include "db/user_refusal.h"

#include <QSqlQuery>

namespace masterdata {

namespace {

const QString kName = QStringLiteral("name");
const QString kOrder = QStringLiteral("orderx");
const QString kType = QStringLiteral("type");

// Gives the item the order number, provided it still has the one read.
bool setOrder(QSqlDatabase db, const QString &table, const QVariant &name, const QVariant &was, const QVariant &order)
{
    const bool unnumbered = was.isNull() || !was.isValid();
    QVariantList values{order, name};
    if (!unnumbered)
        values << was;
    QSqlQuery q = runStatement(db,
                               QStringLiteral("update %1 set orderx=? where name=? and orderx %2")
                                   .arg(table, unnumbered ? QStringLiteral("is null") : QStringLiteral("=?")),
                               values);
    const int affected = q.numRowsAffected();
    q.finish();
    return affected == 1;
}

}  // namespace

const Catalogue &shipInspectionCatalogue()
{
    static const Catalogue catalogue{
        QStringLiteral("F_itemmodifycj"),
        QStringLiteral("aq_itemcj"),
        QStringLiteral("itemcj"),
        CounterColumn::OrderCj,
        QStringLiteral("select * from itemcj order by orderx"),
        false,
        QStringLiteral("船检科收费项目更改"),
        QStringLiteral("船检科收费项目"),
        QStringLiteral("现有收费项目"),
        QStringLiteral("收费项目名称"),
        QStringLiteral("收费项目名称不可为空"),
        QStringLiteral("该收费项目已存在"),
        true,
    };
    return catalogue;
}

const Catalogue &shipAffairsCatalogue()
{
    static const Catalogue catalogue{
        QStringLiteral("F_itemmodifycw"),
        QStringLiteral("aq_itemcw"),
        QStringLiteral("itemcw"),
        CounterColumn::OrderCw,
        QStringLiteral("select * from itemcw order by type desc,orderx"),
        true,
        QStringLiteral("船务科收费项目管理"),
        QStringLiteral("船务科收费项目"),
        QStringLiteral("收费项目"),
        QStringLiteral("项目名称"),
        QStringLiteral("收费项目名称及其类型不可为空"),
        QStringLiteral("该收费检验项目已存在"),
        false,
    };
    return catalogue;
}

int drawOrderNumber(QSqlDatabase db, const Catalogue &catalogue)
{
    return advanceCounter(db, catalogue.counter);
}

NewItem storeNewItem(NamedQuery &q, const Catalogue &catalogue, const UserRecord &leader)
{
    if (q.value(kName).toString().isEmpty() || (catalogue.priced && q.value(kType).toString().isEmpty()))
        return NewItem::Missing;
    cutToWidth(q, kName, kItemNameBytes);
    return storeUnlessTaken(q, catalogue.table, kName, storeRecorder(catalogue.table, leader)) ? NewItem::Stored
                                                                                               : NewItem::Exists;
}

void deleteItem(NamedQuery &q, const Catalogue &catalogue, const UserRecord &leader)
{
    deleteCurrentRow(q, catalogue.table, kName,
                     [&](QSqlDatabase db, const QSqlRecord &row) { recordDeletion(db, leader, catalogue.table, row); });
}

Move moveItem(NamedQuery &q, const Catalogue &catalogue, int step, const UserRecord &leader)
{
    if (q.state() != NamedQuery::State::Browsing)
        q.cancel();
    const int row = q.currentRow();
    const int neighbour = row + step;
    if (row < 0 || neighbour < 0 || neighbour >= q.rowCount())
        return Move::AtEnd;
    if (catalogue.priced && q.valueAt(neighbour, kType).toString() != q.valueAt(row, kType).toString())
        return Move::AtGroupEnd;

    const QVariant name = q.valueAt(row, kName);
    const QVariant a = q.valueAt(row, kOrder);
    const QVariant otherName = q.valueAt(neighbour, kName);
    const QVariant b = q.valueAt(neighbour, kOrder);
    bool exchanged = false;
    {
        Transaction transaction(q.database());
        exchanged = setOrder(q.database(), catalogue.table, otherName, b, a)
                    && setOrder(q.database(), catalogue.table, name, a, b);
        if (exchanged) {
            // One change: the item moved, its neighbour taking its place.
            const QString order = QStringLiteral("次序：");
            recordChange(q.database(), leader, catalogue.table, q.model()->record(row),
                         step < 0 ? audit::kMovedUp : audit::kMovedDown, order + a.toString(),
                         order + b.toString() + QStringLiteral("（与“%1”交换）").arg(otherName.toString()));
            transaction.commit();
        }
    }
    if (!exchanged) {
        reopenAt(q, row);
        throw UserRefusal(QStringLiteral("收费项目的次序已被其他工作站更改，请查看后再移动"));
    }
    reopenAt(q, neighbour);
    return Move::Moved;
}

}  // namespace masterdata
