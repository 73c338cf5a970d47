// The search by any part of a notice number finds exactly the numbers that
// contain the text, literally, whether a trigram index or the ordered list
// index serves it; the index stays in step as notices come, change and go.

#include "test_database.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "app/sql_statement.h"
#include "notices/notice_lists.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

// Numbers of every shape the search must tell apart: ordinary serials, the
// like wildcards and the escape character as plain characters, a double
// quote (the full-text phrase delimiter), very short numbers.
const QStringList kNumbers{
    QStringLiteral("0012345"), QStringLiteral("1123456"), QStringLiteral("0099999"), QStringLiteral("1999998"),
    QStringLiteral("0000001"), QStringLiteral("1000012"), QStringLiteral("0120120"), QStringLiteral("12%45"),
    QStringLiteral("1_2"),     QStringLiteral("%"),       QStringLiteral("_"),       QStringLiteral("1\\2%"),
    QStringLiteral("9\"99"),   QStringLiteral("12"),      QStringLiteral("7"),
};

const QStringList kTexts{
    QString(),          QStringLiteral("1"),       QStringLiteral("12"),       QStringLiteral("123"),
    QStringLiteral("999"), QStringLiteral("99998"), QStringLiteral("012345"),  QStringLiteral("0012345"),
    QStringLiteral("0000001"), QStringLiteral("%"), QStringLiteral("_"),       QStringLiteral("%%"),
    QStringLiteral("2%4"), QStringLiteral("1_2"),   QStringLiteral("1%2"),     QStringLiteral("\\"),
    QStringLiteral("\\2%"), QStringLiteral("\""),   QStringLiteral("9\"9"),    QStringLiteral("\"99"),
    QStringLiteral("120"), QStringLiteral("201"),   QStringLiteral("8"),       QStringLiteral("000"),
};

}  // namespace

class TestNoticeSearch : public QObject
{
    Q_OBJECT
private slots:
    void findsExactlyTheContainingNumbers_data() { addKindRows(); }
    void findsExactlyTheContainingNumbers();

private:
    void compareAll(TestDatabase &t, const QStringList &numbers, const QString &stage);
    UserRecord m_leader;
};

void TestNoticeSearch::compareAll(TestDatabase &t, const QStringList &numbers, const QString &stage)
{
    const SqlDialect dialect(t.settings().kind());
    for (const QString &text : kTexts) {
        const Statement s = noticeSearchStatement(text, m_leader, dialect);
        QSqlQuery q = runStatement(t.connection(), s.sql, s.values);
        QStringList found;
        while (q.next())
            found << q.value(QStringLiteral("ID")).toString();
        QStringList expected;
        for (const QString &n : numbers)
            if (n.contains(text))
                expected << n;
        found.sort();
        expected.sort();
        if (found != expected)
            QFAIL(qPrintable(QStringLiteral("%1, text \"%2\": found %3, expected %4")
                                 .arg(stage, text, found.join(QLatin1Char(' ')), expected.join(QLatin1Char(' ')))));
    }
}

void TestNoticeSearch::findsExactlyTheContainingNumbers()
{
    QFETCH(int, kind);
    auto t = TestDatabase::create(DbKind(kind));
    if (!t)
        QSKIP("PostgreSQL is not running (PGHOST unset)");
    m_leader.typeId = codes::RoleInspectionLeader;
    m_leader.userName = QStringLiteral("吴科长");
    m_leader.deriveFromRole();

    QStringList numbers = kNumbers;
    for (const QString &n : numbers)
        t->exec(QStringLiteral("insert into notice (ID,Rdate,status,department,handler) values (?,?,1,?,'孙船检')"),
                {n, QDateTime(QDate(2026, 1, 1), QTime(8, 0)), codes::kInspection});
    // Another section's numbers are outside the leader's scope.
    t->exec(QStringLiteral("insert into notice (ID,status,department) values ('0123999',1,?)"), {codes::kShipAffairs});
    compareAll(*t, numbers, QStringLiteral("inserted"));

    // Renumbered and deleted notices leave nothing behind in the index.
    t->exec(QStringLiteral("update notice set ID='1777777' where ID='0012345'"));
    t->exec(QStringLiteral("delete from notice where ID in ('1999998','12%45','9\"99')"));
    numbers.removeOne(QStringLiteral("0012345"));
    numbers.removeOne(QStringLiteral("1999998"));
    numbers.removeOne(QStringLiteral("12%45"));
    numbers.removeOne(QStringLiteral("9\"99"));
    numbers << QStringLiteral("1777777");
    compareAll(*t, numbers, QStringLiteral("changed"));
    // A number given back after deletion is found once.
    t->exec(QStringLiteral("insert into notice (ID,status,department) values ('1999998',1,?)"), {codes::kInspection});
    numbers << QStringLiteral("1999998");
    compareAll(*t, numbers, QStringLiteral("given back"));
}

QTEST_GUILESS_MAIN(TestNoticeSearch)
#include "tst_notice_search.moc"
