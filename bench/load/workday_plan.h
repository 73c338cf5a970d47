#pragma once
// Who works at each workstation of the simulated day, and the records a
// workstation writes for the parent: one line per operation, tab separated.

#include "app/current_user.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace workday {

enum class Duty { Clerk, Reviewer, BillIssuer, FinanceLeader };

struct Workstation
{
    int index = 0;  // 0 .. workstations-1
    Duty duty = Duty::Clerk;
    UserRecord user;  // the account logged in there
};

// Workstation 0 is the finance leader who runs the statistics; the next six
// give each section a clerk, a reviewer and a bill issuer; the rest repeat
// clerk, clerk, clerk, clerk, reviewer, reviewer, bill issuer, bill issuer
// over both sections.
Workstation workstation(int index);
QString dutyName(Duty duty);

// The operations as the table names them, in the table's order.
inline const QString kList = QStringLiteral("list");
inline const QString kNew = QStringLiteral("new notice");
inline const QString kOpenEditor = QStringLiteral("open fee lines");
inline const QString kComputeLine = QStringLiteral("compute line");
inline const QString kCloseEditor = QStringLiteral("close fee lines");
inline const QString kSave = QStringLiteral("save notice");
inline const QString kDelete = QStringLiteral("delete notice");
inline const QString kApprove = QStringLiteral("approve");
inline const QString kReject = QStringLiteral("reject");
inline const QString kPrint = QStringLiteral("print");
inline const QString kIssueBill = QStringLiteral("issue bill");
inline const QString kVoidBill = QStringLiteral("void bill");
inline const QString kStatistics = QStringLiteral("statistics run");
QStringList operationOrder();
// Everything but the statistics run, which the finance leader starts once
// and waits for.
bool isInteractive(const QString &operation);

enum class Outcome { Stored, Refused, Failed };

// One operation as a workstation saw it. For a stored change: the notice, the
// state the workstation believes it left it in (empty for a deletion or no
// change of state), and what it wrote (the ship name typed, the bill number,
// "lineid=amount" of a computed line, the total of the lines, the number of
// notices counted).
struct Record
{
    int workstation = 0;
    QString account;
    QString operation;
    qint64 micros = 0;
    Outcome outcome = Outcome::Stored;
    QString notice;
    QString state;
    QString detail;

    QString toLine() const;
    // False for a line that is no record.
    static bool fromLine(const QString &line, Record &record);
};

}  // namespace workday
