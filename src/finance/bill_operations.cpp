#include "bill_operations.h"

#include "bill_lists.h"

#include "app/codes.h"
#include "app/column_proxy_model.h"
#include "app/current_user.h"
#include "db/gbk_text.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"
#include "db/transaction.h"

#include <QSqlQuery>

namespace finance {

namespace {

QString numberTakenText(int typed, int smallest, bool issued)
{
    const QString number = codes::PadBillCode7(typed);
    const QString why = issued ? QStringLiteral("票据号%1已被其他工作站开出").arg(number)
                               : QStringLiteral("其他工作站已开出比%1更大的票据号，%1不能再使用").arg(number);
    return why
           + QStringLiteral("，本张通知单未开票。\n现在可使用的最小票据号是%1，已填入“当前使用的票据号”，"
                            "请核对纸质票据后重新开票。")
                 .arg(codes::PadBillCode7(smallest));
}

int rowsChanged(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q = runStatement(db, sql, values);
    const int affected = q.numRowsAffected();
    q.finish();
    return affected;
}

QVariant firstValue(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q = runStatement(db, sql, values);
    const QVariant value = q.next() ? q.value(0) : QVariant();
    q.finish();
    return value;
}

// Whether a notice holds the number, in whatever text it was stored: older
// programs kept a number as typed ("5"), this one pads it to seven digits.
bool numberStored(QSqlDatabase db, int number)
{
    QVariantList forms;
    for (QString text = QString::number(number); text.size() <= 7; text.prepend(QLatin1Char('0')))
        forms << text;
    QStringList marks(forms.size(), QStringLiteral("?"));
    return firstValue(db,
                      QStringLiteral("select ID from notice where billcode in (%1)").arg(marks.join(QLatin1Char(','))),
                      forms)
        .isValid();
}

}  // namespace

BillNumberTaken::BillNumberTaken(int typed, int smallestUsable, bool issued)
    : UserRefusal(numberTakenText(typed, smallestUsable, issued)), m_typed(typed), m_smallest(smallestUsable),
      m_issued(issued)
{}

int proposedBillNumber(QSqlDatabase db)
{
    return firstValue(db, QStringLiteral("select billcode from counter")).toInt();
}

std::optional<int> billNumberFromText(const QString &text)
{
    // Seven digits at most, as the field takes and the column holds.
    if (text.isEmpty() || text.size() > 7)
        return std::nullopt;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return text.toInt();
}

QString issueBill(QSqlDatabase db, const UserRecord &user, const BillRequest &request)
{
    if (!managesBills(user))
        throw UserRefusal(kNoBillRight);
    const std::optional<int> typed = billNumberFromText(request.typedNumber);
    if (!typed)
        throw UserRefusal(kBillNotANumber);
    if (*typed < request.shownNumber)
        throw UserRefusal(kBillBelowStart);
    // The number as printed on the form. Kept as seven digits whatever was
    // typed, so that the same number is always the same text: the unique
    // index and the ledger's ranges compare texts.
    const QString billCode = codes::PadBillCode7(*typed);

    Transaction transaction(db);
    // Moving the counter past the number succeeds only while no workstation
    // has handed out this number or a higher one. It is one conditional
    // statement: a workstation issuing at the same moment waits here until the
    // other one's bill is committed or rolled back, then sees its counter.
    if (rowsChanged(db, QStringLiteral("update counter set billcode=? where billcode<=?"), {*typed + 1, *typed}) == 0) {
        const int smallest = proposedBillNumber(db);
        throw BillNumberTaken(*typed, smallest, numberStored(db, *typed));
    }
    // A number below the counter that an older program stored anyway, in
    // its own form or in ours.
    if (numberStored(db, *typed))
        throw BillNumberTaken(*typed, *typed + 1, true);
    if (rowsChanged(db,
                    QStringLiteral("update notice set billcode=?, status=?, revision=revision+1 "
                                   "where ID=? and revision=? and status=? and department=?"),
                    {billCode, int(codes::StateBilled), request.noticeId, request.revision, int(codes::StatePrinted),
                     user.department})
        != 1)
        throw UserRefusal(kBillNoticeChanged);
    history::appendHistory(db, user,
                           {request.noticeId,
                            user.department,
                            history::kBilled,
                            int(codes::StatePrinted),
                            int(codes::StateBilled),
                            QStringLiteral("票据号 %1").arg(billCode),
                            {}});
    transaction.commit();
    return billCode;
}

void checkVoidable(QSqlDatabase db, const UserRecord &user, const QString &noticeId, int revision)
{
    if (!managesBills(user))
        throw UserRefusal(kNoBillRight);
    QSqlQuery q = runStatement(db, QStringLiteral("select status, revision, department from notice where ID=?"),
                               {noticeId});
    const bool found = q.next();
    const int status = found ? q.value(0).toInt() : 0;
    const bool unchanged = found && q.value(1).toInt() == revision && q.value(2).toString() == user.department;
    q.finish();
    if (status == codes::StateArchived)
        throw UserRefusal(kVoidCounted);
    if (status != codes::StateBilled || !unchanged)
        throw UserRefusal(kVoidChanged);
}

void voidBill(QSqlDatabase db, const UserRecord &user, const QString &noticeId, int revision, const QString &reason)
{
    if (!managesBills(user))
        throw UserRefusal(kNoBillRight);
    const QString why = reason.trimmed();
    if (why.isEmpty())
        throw UserRefusal(kVoidReasonMissing);
    if (!gbk::fits(why, kVoidReasonBytes))
        throw UserRefusal(kVoidReasonTooLong);
    {
        Transaction transaction(db);
        if (rowsChanged(db,
                        QStringLiteral("update notice set status=?, revision=revision+1 "
                                       "where ID=? and revision=? and status=? and department=?"),
                        {int(codes::StateVoided), noticeId, revision, int(codes::StateBilled), user.department})
            == 1) {
            QSqlQuery q = runStatement(db, QStringLiteral("select billcode, money from notice where ID=?"), {noticeId});
            q.next();
            const QString billCode = q.value(0).toString();
            const double money = q.value(1).toDouble();
            q.finish();
            history::appendHistory(db, user,
                                   {noticeId,
                                    user.department,
                                    history::kVoided,
                                    int(codes::StateBilled),
                                    int(codes::StateVoided),
                                    QStringLiteral("票据号 %1，金额 %2；理由：%3").arg(billCode, moneyText(money), why),
                                    {}});
            transaction.commit();
            return;
        }
    }
    const QVariant status = firstValue(db, QStringLiteral("select status from notice where ID=?"), {noticeId});
    throw UserRefusal(status.toInt() == codes::StateArchived ? kVoidCounted : kVoidChanged);
}

}  // namespace finance
