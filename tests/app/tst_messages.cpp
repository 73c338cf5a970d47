// The handler wrapper: every refusal, whether an operation's or the
// database's, is told as information with its own text; every other
// exception reaches the general error display; nothing escapes.

#include "message_recorder.h"

#include "app/messages.h"
#include "db/db_error.h"
#include "db/user_refusal.h"

#include <QtTest>
#include <functional>

Q_DECLARE_METATYPE(std::function<void()>)

class TestMessages : public QObject
{
    Q_OBJECT
private slots:
    void handlerWrapper_data()
    {
        QTest::addColumn<std::function<void()>>("action");
        QTest::addColumn<QStringList>("informations");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<bool>("succeeded");
        QTest::newRow("no exception") << std::function<void()>([] {}) << QStringList{} << QStringList{} << true;
        QTest::newRow("an operation's refusal")
            << std::function<void()>([] { throw UserRefusal(QStringLiteral("请再按一次")); })
            << QStringList{QStringLiteral("请再按一次")} << QStringList{} << false;
        QTest::newRow("a row held elsewhere") << std::function<void()>([] { throw RowInUse(); })
                                              << QStringList{RowInUse::text()} << QStringList{} << false;
        QTest::newRow("a key taken") << std::function<void()>([] { throw DuplicateKey(); })
                                     << QStringList{DuplicateKey::text()} << QStringList{} << false;
        QTest::newRow("a database error")
            << std::function<void()>([] { throw DbError(QStringLiteral("disk I/O error")); }) << QStringList{}
            << QStringList{QStringLiteral("disk I/O error")} << false;
        QTest::newRow("a lost connection") << std::function<void()>([] { throw ConnectionLost(); }) << QStringList{}
                                           << QStringList{ConnectionLost::text()} << false;
        QTest::newRow("any other exception")
            << std::function<void()>([] { throw std::runtime_error("division by zero"); }) << QStringList{}
            << QStringList{QStringLiteral("division by zero")} << false;
    }
    void handlerWrapper()
    {
        QFETCH(std::function<void()>, action);
        QFETCH(QStringList, informations);
        QFETCH(QStringList, errors);
        QFETCH(bool, succeeded);
        MessageRecorder shown;
        QCOMPARE(messages::guarded(action), succeeded);
        QCOMPARE(shown.informations, informations);
        QCOMPARE(shown.errors, errors);
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
