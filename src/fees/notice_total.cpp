#include "notice_total.h"

#include "fee_lines.h"

#include "app/codes.h"
#include "app/named_query.h"
#include "app/sql_statement.h"
#include "app/tdm.h"
#include "app/transaction.h"

#include <QSqlRecord>

#include <cmath>

namespace fees {

double countingTotal(QSqlDatabase db, const QString &noticeId)
{
    QSqlQuery notice = runStatement(
        db, QStringLiteral("select department,dengji,peixun,gongbenfei,neibuziliao from notice where ID=?"),
        {noticeId});
    if (!notice.next())
        return 0;
    const QString department = notice.value(0).toString();
    FeeTypeFilter filter;
    for (const codes::FeeType &feeType : codes::feeTypes())
        if (notice.record().value(feeType.flag).toBool())
            filter.types << feeType.literal;
    notice.finish();

    const Statement s = lineSelection(LineSelection::EditorTotal, department, noticeId, filter);
    QSqlQuery lines = runStatement(db, s.sql, s.values);
    double total = 0;  // added in the order returned, as the editor adds them
    while (lines.next())
        total += lines.record().value(QStringLiteral("money")).toDouble();
    lines.finish();
    return total;
}

double storeNoticeTotal(QSqlDatabase db, const QString &noticeId)
{
    const double total = countingTotal(db, noticeId);
    runStatement(db, QStringLiteral("update notice set money=? where ID=?"), {total, noticeId}).finish();
    return total;
}

void storeCurrentLine(Tdm &dm)
{
    NamedQuery &lines = *dm.aq_itemofnotice;
    if (lines.state() != NamedQuery::State::Editing && lines.state() != NamedQuery::State::Inserting)
        return;
    const QString noticeId = lines.value(QStringLiteral("ID")).toString();
    Transaction transaction(dm.database());
    lines.post();
    storeNoticeTotal(dm.database(), noticeId.isEmpty() ? CurrentNoticeID : noticeId);
    transaction.commit();
}

bool sameAmount(double a, double b)
{
    return std::llround(a * 100) == std::llround(b * 100);
}

}  // namespace fees
