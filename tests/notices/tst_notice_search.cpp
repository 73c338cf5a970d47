// The search by any part of a notice number finds exactly the numbers that
// contain the text, literally, whether a trigram index or the ordered list
// index serves it; the index stays in step as notices come, change and go.

#include "notice_row.h"
#include "test_database.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/like_pattern.h"
#include "db/row_set_model.h"
#include "db/sql_statement.h"
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
    QString(),
    QStringLiteral("1"),
    QStringLiteral("12"),
    QStringLiteral("123"),
    QStringLiteral("999"),
    QStringLiteral("99998"),
    QStringLiteral("012345"),
    QStringLiteral("0012345"),
    QStringLiteral("0000001"),
    QStringLiteral("%"),
    QStringLiteral("_"),
    QStringLiteral("%%"),
    QStringLiteral("2%4"),
    QStringLiteral("1_2"),
    QStringLiteral("1%2"),
    QStringLiteral("\\"),
    QStringLiteral("\\2%"),
    QStringLiteral("\""),
    QStringLiteral("9\"9"),
    QStringLiteral("\"99"),
    QStringLiteral("120"),
    QStringLiteral("201"),
    QStringLiteral("8"),
    QStringLiteral("000"),
};

}  // namespace

class TestNoticeSearch : public QObject
{
    Q_OBJECT
private slots:
    void findsExactlyTheContainingNumbers_data() { addKindRows(); }
    void findsExactlyTheContainingNumbers();
    void choiceAtTheLimit_data() { addKindRows(); }
    void choiceAtTheLimit();

private:
    QStringList plainLike(TestDatabase &t, const QString &text);
    void compareAll(TestDatabase &t, const QStringList &numbers, const QString &stage);
    void addNumbers(TestDatabase &t, const QStringList &numbers);
    UserRecord m_leader;
};

namespace {
QStringList runIds(TestDatabase &t, const QString &sql, const QVariantList &values)
{
    QSqlQuery q = runStatement(t.connection(), {sql, values});
    QStringList ids;
    while (q.next())
        ids << q.value(0).toString();
    return ids;
}
}  // namespace

QStringList TestNoticeSearch::plainLike(TestDatabase &t, const QString &text)
{
    QSqlQuery q = runStatement(t.connection(),
                               QStringLiteral("select ID from notice where department=? and ID like ? escape '\\' "
                                              "order by Rdate desc, ID desc"),
                               {m_leader.department, containsPattern(text)});
    QStringList ids;
    while (q.next())
        ids << q.value(0).toString();
    return ids;
}

void TestNoticeSearch::compareAll(TestDatabase &t, const QStringList &numbers, const QString &stage)
{
    const SqlDialect dialect(t.settings().kind());
    for (const QString &text : kTexts) {
        QStringList expected;
        for (const QString &n : numbers)
            if (n.contains(text))
                expected << n;
        expected.sort();
        // In the order of a plain "like" over the list's order.
        const QStringList ordered = plainLike(t, text);
        QStringList plainSorted = ordered;
        plainSorted.sort();
        QCOMPARE(plainSorted, expected);

        // Every section's numbers holding the text, as the substring index
        // gives them: exactly those a plain "like" finds.
        const std::optional<QStringList> indexed = findNoticeNumbers(t.connection(), text);
        if (indexed) {
            QStringList got = *indexed;
            got.sort();
            QStringList all = runIds(t, QStringLiteral("select ID from notice where ID like ? escape '\\'"),
                                     {containsPattern(text)});
            all.sort();
            if (got != all)
                QFAIL(qPrintable(QStringLiteral("%1, index, text \"%2\": found %3, expected %4")
                                     .arg(stage, text, got.join(QLatin1Char(' ')), all.join(QLatin1Char(' ')))));
        }
        for (bool walk : {true, false}) {
            // Read as the list grid reads it: page by page by key.
            const Statement s = noticeSearchStatement(text, m_leader, dialect, walk ? std::nullopt : indexed);
            RowSetModel model;
            model.setStatement(t.connection(), s.sql, s.values, {QStringLiteral("ID")});
            while (model.canFetchMore())
                model.fetchMore();
            QStringList found;
            for (int row = 0; row < model.rowCount(); ++row)
                found << model.record(row).value(QStringLiteral("ID")).toString();
            if (found != ordered)
                QFAIL(qPrintable(QStringLiteral("%1, %2, text \"%3\": found %4, expected %5")
                                     .arg(stage, walk ? QStringLiteral("walk") : QStringLiteral("lookup"), text,
                                          found.join(QLatin1Char(' ')), ordered.join(QLatin1Char(' ')))));
        }
    }
}

void TestNoticeSearch::addNumbers(TestDatabase &t, const QStringList &numbers)
{
    // Two dates, so the order is the date first and the number within a date.
    for (int i = 0; i < numbers.size(); ++i) {
        NoticeRow(numbers[i])
            .rdate(QDateTime(QDate(2026, 1, 1 + i % 2), QTime(8, 0)))
            .status(1)
            .department(codes::kInspection)
            .handler(QStringLiteral("孙船检"))
            .insert(t.connection());
    }
    // Another section's numbers are outside the leader's scope.
    NoticeRow(QStringLiteral("0123999"))
        .status(1)
        .department(codes::kShipAffairs)
        .null(QStringLiteral("Rdate"))
        .insert(t.connection());
}

void TestNoticeSearch::choiceAtTheLimit()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    m_leader.typeId = codes::RoleInspectionLeader;
    m_leader.userName = QStringLiteral("吴科长");
    m_leader.deriveFromRole();
    addNumbers(*t, kNumbers);
    QSqlDatabase db = t->connection();
    const SqlDialect dialect(t->settings().kind());

    for (const QString &text : kTexts) {
        // Every section's numbers count: the count is the index's.
        const int matches = t->scalar(QStringLiteral("select count(*) from notice where ID like ? escape '\\'"),
                                      {containsPattern(text)})
                                .toInt();
        if (!dialect.hasNoticeIdIndex(text) || text.size() == 7) {
            QVERIFY(!findNoticeNumbers(db, text, 1));  // nothing to look up: walked
            continue;
        }
        if (matches == 0) {
            QCOMPARE(findNoticeNumbers(db, text, 1), std::optional<QStringList>(QStringList{}));
            continue;
        }
        // Exactly at the limit the list is walked; one above, looked up.
        QVERIFY(!findNoticeNumbers(db, text, matches));
        QCOMPARE(findNoticeNumbers(db, text, matches + 1).value_or(QStringList{}).size(), matches);
        if (matches > 1)
            QVERIFY(!findNoticeNumbers(db, text, matches - 1));
        // Either way the search shows what a plain "like" shows.
        for (int limit : {matches, matches + 1}) {
            const Statement s = noticeSearch(db, text, m_leader, limit);
            QSqlQuery q = runStatement(db, s);
            QStringList found;
            while (q.next())
                found << q.value(QStringLiteral("ID")).toString();
            QCOMPARE(found, plainLike(*t, text));
        }
    }
}

void TestNoticeSearch::findsExactlyTheContainingNumbers()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    m_leader.typeId = codes::RoleInspectionLeader;
    m_leader.userName = QStringLiteral("吴科长");
    m_leader.deriveFromRole();

    QStringList numbers = kNumbers;
    addNumbers(*t, numbers);
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
    // A number given back after deletion is found once, undated among dated ones.
    NoticeRow(QStringLiteral("1999998"))
        .status(1)
        .department(codes::kInspection)
        .null(QStringLiteral("Rdate"))
        .insert(t->connection());
    numbers << QStringLiteral("1999998");
    compareAll(*t, numbers, QStringLiteral("given back"));
}

QTEST_GUILESS_MAIN(TestNoticeSearch)
#include "tst_notice_search.moc"
