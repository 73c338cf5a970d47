#include "workday_plan.h"

#include "app/codes.h"

namespace workday {

namespace {

struct Seat
{
    Duty duty;
    bool inspection;
};

Seat seatOf(int index)
{
    static const QList<Seat> first{{Duty::Clerk, false}, {Duty::Reviewer, false}, {Duty::BillIssuer, false},
                                   {Duty::Clerk, true},  {Duty::Reviewer, true},  {Duty::BillIssuer, true}};
    static const QList<Seat> repeated{{Duty::Clerk, false},      {Duty::Clerk, true},     {Duty::Clerk, false},
                                      {Duty::Clerk, true},       {Duty::Reviewer, false}, {Duty::Reviewer, true},
                                      {Duty::BillIssuer, false}, {Duty::BillIssuer, true}};
    if (index <= first.size())
        return first[index - 1];
    return repeated[(index - first.size() - 1) % repeated.size()];
}

QString escaped(QString text)
{
    return text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

}  // namespace

Workstation workstation(int index)
{
    Workstation w;
    w.index = index;
    const QString name = QStringLiteral("ws%1").arg(index, 2, 10, QLatin1Char('0'));
    w.user.userName = name;
    w.user.nickname = name;
    w.user.password = QStringLiteral("1234");
    if (index == 0) {
        w.duty = Duty::FinanceLeader;
        w.user.typeId = codes::RoleFinanceLeader;
    } else {
        const Seat seat = seatOf(index);
        w.duty = seat.duty;
        const bool leader = seat.duty == Duty::Reviewer;
        w.user.typeId = seat.inspection ? (leader ? codes::RoleInspectionLeader : codes::RoleInspectionStaff)
                                        : (leader ? codes::RoleShipAffairsLeader : codes::RoleShipAffairsStaff);
        w.user.isChecker = leader ? 1 : 0;
        w.user.isAdmin = seat.duty == Duty::BillIssuer ? 1 : 0;
    }
    w.user.deriveFromRole();
    return w;
}

QString dutyName(Duty duty)
{
    switch (duty) {
    case Duty::Clerk:
        return QStringLiteral("clerk");
    case Duty::Reviewer:
        return QStringLiteral("reviewer");
    case Duty::BillIssuer:
        return QStringLiteral("bill issuer");
    case Duty::FinanceLeader:
        return QStringLiteral("finance leader");
    }
    return {};
}

QStringList operationOrder()
{
    return {kList,    kNew,    kOpenEditor, kComputeLine, kCloseEditor, kSave,      kDelete,
            kApprove, kReject, kPrint,      kIssueBill,   kVoidBill,    kStatistics};
}

bool isInteractive(const QString &operation)
{
    return operation != kStatistics;
}

QString Record::toLine() const
{
    const char *outcomes[] = {"stored", "refused", "failed"};
    return QStringList{QStringLiteral("op"),    QString::number(workstation),          account, operation,
                       QString::number(micros), QLatin1String(outcomes[int(outcome)]), notice,  state,
                       escaped(detail)}
        .join(QLatin1Char('\t'));
}

bool Record::fromLine(const QString &line, Record &record)
{
    const QStringList parts = line.split(QLatin1Char('\t'));
    if (parts.size() != 9 || parts[0] != QLatin1String("op"))
        return false;
    record.workstation = parts[1].toInt();
    record.account = parts[2];
    record.operation = parts[3];
    record.micros = parts[4].toLongLong();
    record.outcome = parts[5] == QLatin1String("stored")    ? Outcome::Stored
                     : parts[5] == QLatin1String("refused") ? Outcome::Refused
                                                            : Outcome::Failed;
    record.notice = parts[6];
    record.state = parts[7];
    record.detail = parts[8];
    return true;
}

}  // namespace workday
