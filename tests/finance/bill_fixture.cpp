#include "bill_fixture.h"

#include "notice_row.h"

#include "app/codes.h"

#include <QDateTime>
#include <QSqlQuery>

UserRecord billManager(const QString &department, bool billRight)
{
    UserRecord user;
    const bool shipAffairs = department == codes::kShipAffairs;
    user.userName = shipAffairs ? QStringLiteral("赵船务") : QStringLiteral("周船检");
    user.nickname = shipAffairs ? QStringLiteral("cwsh") : QStringLiteral("cjsh");
    user.typeId = shipAffairs ? codes::RoleShipAffairsStaff : codes::RoleInspectionStaff;
    user.isChecker = 1;
    user.isAdmin = billRight ? 1 : 0;
    user.deriveFromRole();
    return user;
}

void addNotice(TestDatabase &db, const QString &id, int status, const QString &department, const QString &billCode,
               double hoursAgo)
{
    QDateTime at = QDateTime::currentDateTime().addSecs(qint64(-hoursAgo * 3600));
    at.setTime(QTime(at.time().hour(), at.time().minute(), at.time().second()));
    NoticeRow notice(id);
    notice.rdate(at)
        .status(status)
        .department(department)
        .handler(QStringLiteral("经办") + id.right(1))
        .shipname(QStringLiteral("船") + id.right(3))
        .money(250.5);
    if (billCode.isEmpty())
        notice.null(QStringLiteral("billcode"));
    else
        notice.billcode(billCode);
    notice.insert(db.connection());
}

QString storedNotice(TestDatabase &db, const QString &id)
{
    QSqlQuery q(db.connection());
    q.prepare(QStringLiteral("select status, billcode, revision from notice where ID=?"));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return QStringLiteral("missing");
    return QStringLiteral("%1 %2 %3").arg(q.value(0).toInt()).arg(q.value(1).toString()).arg(q.value(2).toInt());
}

int storedCounter(TestDatabase &db)
{
    return db.scalar(QStringLiteral("select billcode from counter")).toInt();
}
