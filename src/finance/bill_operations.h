#pragma once
// Issuing a bill number to a printed notice and voiding an issued bill.
//
// Bill numbers come from one sequence shared by both sections, the billcode
// column of the counter row, and are printed on numbered paper forms: a number
// is never given twice, never goes back, and is never changed behind the
// user's back. Issuing checks the typed number against the counter as it
// stands in the database at that moment, moves the counter past it and bills
// the notice in one transaction; when another workstation got there first,
// nothing is written and the user is told the number to use instead.

#include "db/user_refusal.h"

#include <QSqlDatabase>
#include <QString>
#include <optional>

struct UserRecord;

namespace finance {

inline const QString kBillBelowStart = QStringLiteral("请输入大于等于起始值的值");
inline const QString kBillNotANumber = QStringLiteral("“当前使用的票据号”必须是整数，只能由数字0到9组成，请重新输入。");
inline const QString kNoBillRight = QStringLiteral("您没有本科室的票据管理权限。");
inline const QString kBillNoticeChanged = QStringLiteral(
    "该通知单已被其他工作站修改或开票，本次未开票，票据号也未被占用。列表已刷新，请核对后重新操作。");
inline const QString kVoidCounted = QStringLiteral("该票据已被财务科统计归档，不能再作废。");
inline const QString kVoidChanged = QStringLiteral(
    "该票据已被其他工作站修改或作废，本次未作废。列表已刷新，请核对后重新操作。");

// The typed number can no longer be used: another workstation issued it, or
// issued a higher one. Nothing was written.
class BillNumberTaken : public UserRefusal
{
public:
    BillNumberTaken(int typed, int smallestUsable, bool issued);
    int typed() const { return m_typed; }
    int smallestUsable() const { return m_smallest; }
    // True when the number itself is on another notice, false when only a
    // higher one was issued.
    bool issuedElsewhere() const { return m_issued; }

private:
    int m_typed;
    int m_smallest;
    bool m_issued;
};

// The bill number the counter proposes now (an empty counter reads as 0).
int proposedBillNumber(QSqlDatabase db);

// The typed text as a bill number: digits only. Empty when it is none.
std::optional<int> billNumberFromText(const QString &text);

struct BillRequest
{
    QString noticeId;
    int revision = 0;     // the notice's revision when it was listed
    int shownNumber = 0;  // the smallest usable number the user was shown
    QString typedNumber;  // the number the user is about to write on the form
};

// Gives the notice the typed number and state 5, moves the counter to the
// number plus one and writes the notice's history row, all in one transaction. Returns the stored bill number
// (seven digits). Throws UserRefusal, nothing written, when the text is not a
// number (kBillNotANumber), below the shown number (kBillBelowStart), or the
// notice is no longer the printed notice of the user's section that was listed
// (kBillNoticeChanged); BillNumberTaken when the number cannot be used any
// more. DbError on a database failure, also nothing written.
QString issueBill(QSqlDatabase db, const UserRecord &user, const BillRequest &request);

// A void cannot be undone: the reason is asked for every time, and kept.
inline const QString kVoidReasonMissing = QStringLiteral("请填写作废理由。作废后不能恢复，理由将记入通知单历史。");
inline const QString kVoidReasonTooLong = QStringLiteral("作废理由最多100个汉字（200个字节），请缩短后再作废。");
constexpr int kVoidReasonBytes = 200;

// Why the bill cannot be voided now (kVoidCounted, kVoidChanged, kNoBillRight),
// checked before the user is asked for a reason; nothing is written. Throws
// UserRefusal with that text, DbError on a database failure.
void checkVoidable(QSqlDatabase db, const UserRecord &user, const QString &noticeId, int revision);

// Voids an issued bill of the user's section (state 5 to -2), with its history
// row ("票据号 0000100，金额 250.50；理由：…"), in one transaction; the notice
// keeps its number. Throws UserRefusal: kVoidReasonMissing for a blank reason,
// kVoidReasonTooLong beyond kVoidReasonBytes (GBK), kVoidCounted when the
// statistics counted it meanwhile, kVoidChanged when it changed otherwise.
void voidBill(QSqlDatabase db, const UserRecord &user, const QString &noticeId, int revision, const QString &reason);

}  // namespace finance
