// One workstation issuing bills, for the test of several workstations at
// once: a program of its own, so that each has its own process and its own
// connection, as at the administration.
//
//   bill_workstation <database> <workstation> <bills>
//
// Connects to the PostgreSQL database named (server from PGHOST/PGPORT/PGUSER),
// prints "ready", waits for a line on its input, then bills its own printed
// notices (handler "ws<workstation>") one after the other, each with the number
// the counter shows at that moment, as a clerk takes the form that the window
// proposes. Prints "issued <notice> <number>" for every bill and
// "refused <typed> <smallest usable> <issued elsewhere>" for every refusal.

#include "app/current_user.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/sql_statement.h"
#include "finance/bill_operations.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: bill_workstation <database> <workstation> <bills>\n");
        return 2;
    }
    const QString workstation = QString::fromLatin1(argv[2]);
    const int bills = QByteArray(argv[3]).toInt();

    DbSettings settings;
    settings.provider = QStringLiteral("PostgreSQL");
    const QString port = qEnvironmentVariable("PGPORT");
    settings.dataSource = qEnvironmentVariable("PGHOST") + (port.isEmpty() ? QString() : QLatin1Char(':') + port);
    settings.initialCatalog = QString::fromLatin1(argv[1]);
    settings.userId = qEnvironmentVariable("PGUSER", QStringLiteral("postgres"));

    QTextStream out(stdout);
    try {
        QSqlDatabase db = openConnection(settings, QStringLiteral("workstation"));
        UserRecord user;
        user.userName = QStringLiteral("ws") + workstation;
        user.typeId = workstation.toInt() % 2 ? 5 : 3;  // both sections share the counter
        user.isAdmin = 1;
        user.deriveFromRole();

        out << "ready" << Qt::endl;
        QTextStream in(stdin);
        in.readLine();

        for (int issued = 0; issued < bills;) {
            QSqlQuery next = runStatement(db,
                                          QStringLiteral("select ID, revision from notice where handler=? "
                                                         "and status=3 order by ID limit 1"),
                                          {user.userName});
            if (!next.next()) {
                out << "error no printed notice left" << Qt::endl;
                return 1;
            }
            finance::BillRequest request;
            request.noticeId = next.value(0).toString();
            request.revision = next.value(1).toInt();
            next.finish();
            request.shownNumber = finance::proposedBillNumber(db);
            request.typedNumber = QStringLiteral("%1").arg(request.shownNumber, 7, 10, QLatin1Char('0'));
            try {
                const QString number = finance::issueBill(db, user, request);
                out << "issued " << request.noticeId << ' ' << number << Qt::endl;
                ++issued;
            } catch (const finance::BillNumberTaken &taken) {
                out << "refused " << taken.typed() << ' ' << taken.smallestUsable() << ' '
                    << int(taken.issuedElsewhere()) << Qt::endl;
            }
        }
    } catch (const UserRefusal &refusal) {
        out << "error " << refusal.message() << Qt::endl;
        return 1;
    } catch (const DbError &error) {
        out << "error " << error.message() << Qt::endl;
        return 1;
    }
    return 0;
}
