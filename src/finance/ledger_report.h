#pragma once
// The fee ledger of a range of bill numbers: report/taizhang.frf lists the
// issued and counted bills (states 5 and 6), report/taizhang2.frf the voided
// ones (state -2); the two print as one composite.

#include "bill_gaps.h"

#include "report/report.h"

#include <QSqlDatabase>
#include <QString>

struct UserRecord;

namespace finance {

inline const QString kLedgerTemplate = QStringLiteral("report/taizhang.frf");
inline const QString kVoidedLedgerTemplate = QStringLiteral("report/taizhang2.frf");

struct LedgerRequest
{
    QString first;      // 起始号
    QString last;       // 终止号
    QString selfFirst;  // self-numbers, only passed on to the template
    QString selfLast;
};

// The width of a self-number: as much as the ledger prints on its line
// ("自编号：… 至 …") without wrapping, in GBK bytes.
constexpr int kSelfNumberBytes = 16;
inline const QString kSelfNumberTooLong = QStringLiteral(
    "自编号最长16个字节（一个汉字占2个字节），超出的内容不能接受，请缩短后再输入。");

// The checks made before any query: the message that stops the ledger, or an
// empty text. Both numbers need 7 characters; the first may not sort after the
// last (text order, equal numbers accepted); a self-number may not be wider
// than kSelfNumberBytes (it is refused, never cut).
QString ledgerRangeRefusal(const LedgerRequest &request);
// True when a self-number is missing: the ledger still follows after a warning.
bool ledgerLacksSelfNumbers(const LedgerRequest &request);

// "起始号" plus 19 as a seven-digit bill number: the last of a range of 20 bills.
// Empty when the text is not a number of 7 characters.
QString ledgerDefaultLast(const QString &first);

struct Ledger
{
    Report issued;  // taizhang.frf
    Report voided;  // taizhang2.frf
    int issuedCount = 0;
    int voidedCount = 0;
    // The numbers of the range that the sequence passed and no notice
    // carries (bill_gaps.h): the forms the office must account for.
    QList<BillNumberRun> skipped;
    bool isEmpty() const { return issuedCount == 0 && voidedCount == 0 && skipped.isEmpty(); }
};

// Reads aq_noticec and aq_fp with bound values, and the skipped numbers of the
// range; when there is anything to print, sets the variables start, end,
// COUNT1, NAME (the user's name for a user with the bill right, else empty),
// COUNT2, start1, end1 and builds the two reports: the first lists the skipped
// numbers below its total ("缺号 0000008–0000012", dataset skipped with the
// field line, and summary.skippedcount), in the PDF and in the CSV. An empty
// ledger sets no variables. Throws UserRefusal (kSelfNumberTooLong) for a
// self-number too wide to print, DbError.
Ledger buildLedger(QSqlDatabase db, const LedgerRequest &request, const UserRecord &user);

}  // namespace finance
