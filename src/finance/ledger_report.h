#pragma once
// The fee ledger of a range of bill numbers: report/taizhang.frf lists the
// issued and counted bills (states 5 and 6), report/taizhang2.frf the voided
// ones (state -2); the two print as one composite.

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

// The checks made before any query: the message that stops the ledger, or an
// empty text. Both numbers need 7 characters; the first may not sort after the
// last (text order, equal numbers accepted).
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
    bool isEmpty() const { return issuedCount == 0 && voidedCount == 0; }
};

// Reads aq_noticec and aq_fp with bound values; when both hold rows, sets the
// variables start, end, COUNT1, NAME (the user's name for a user with the bill
// right, else empty), COUNT2, start1, end1 and builds the two reports. An empty
// ledger sets no variables. Throws DbError.
Ledger buildLedger(QSqlDatabase db, const LedgerRequest &request, const UserRecord &user);

}  // namespace finance
