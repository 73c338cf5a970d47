#include "statistics_fixture.h"

#include "notice_row.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

QString money(double value)
{
    return QString::number(value, 'g', 17);
}

QString moneyRow(const QString &year, const QString &department, double expect, const QMap<int, double> &months)
{
    QStringList parts{year, department, money(expect)};
    for (int m = 1; m <= 12; ++m)
        parts << money(months.value(m, 0.0));
    return parts.join(QLatin1Char('|'));
}

QString countRow(const QString &year, const QString &type, const QMap<int, int> &months)
{
    QStringList parts{year, type};
    for (int m = 1; m <= 12; ++m)
        parts << QString::number(months.value(m, 0));
    return parts.join(QLatin1Char('|'));
}

// The same order whatever the database's collation.
void sortByBytes(QStringList &rows)
{
    std::sort(rows.begin(), rows.end(), [](const QString &a, const QString &b) { return a.toUtf8() < b.toUtf8(); });
}

QStringList rowsOf(QSqlDatabase db, const QString &sql, int textColumns, bool moneyColumns)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        qWarning() << sql << q.lastError().text();
        return {QStringLiteral("error")};
    }
    QStringList rows;
    while (q.next()) {
        QStringList parts;
        for (int c = 0; c < q.record().count(); ++c) {
            const QVariant v = q.value(c);
            if (c < textColumns)
                parts << v.toString();
            else if (moneyColumns)
                parts << money(v.isNull() ? 0.0 : v.toDouble());
            else
                parts << QString::number(v.isNull() ? 0 : v.toLongLong());
        }
        rows << parts.join(QLatin1Char('|'));
    }
    sortByBytes(rows);
    return rows;
}

QString monthList()
{
    QStringList months;
    for (int m = 1; m <= 12; ++m)
        months << QStringLiteral("\"%1\"").arg(m);
    return months.join(QLatin1Char(','));
}

}  // namespace

// Notices of the fixture (number, created, state, section, checktype /
// checkcontent, money, billcode):
//   0000001  2004-12-15 10:00     5  船务科  -/-               150     0000001
//   0000002  2004-12-31 23:59:59  5  船务科  -/-                 0.1   0000002
//   1000003  2004-12-01 00:00     5  船检科  建造检验/船体      1000.25  0000003
//   1000004  2005-01-01 00:00     5  船检科  营运检验/年度检验     0.2   0000004
//   1000005  2005-01-10           5  船检科  营运检验/中间检验     0.1   0000005
//   1000006  2005-01-20           5  船检科  营运检验/临时检验    99.99  0000006
//   1000007  2005-01-21           5  船检科  营运检验/特别检验     1     0000007
//   1000008  2005-01-22           5  船检科  营运检验/船舶检验     2     0000008
//   1000009  2005-01-23           5  船检科  营运检验/(empty)      3     0000009
//   1000010  2005-01-24           5  船检科  其它检验/任意         4     0000010
//   1000011  2005-01-25           5  船检科  "建造检验 "/船体      5     0000011
//   0000012  2005-01-26           5  船务科  (null)/(null)        6.5    0000012
// not counted:
//   0000013  2005-01-02  5 billcode ''      0000014  2005-01-03  5 billcode null
//   0000015  2005-01-04 -2                  0000016  2005-01-05  3
//   0000017  2005-01-06  6
// and a run before left statistic 2004/船务科 with plan 5000, 20 in
// November and 0.7 in December, and statistic2 2004/未知检验 with 3 in December.
void addStatisticsFixture(TestDatabase &db)
{
    struct Row
    {
        const char *id;
        QDateTime at;
        int status;
        const char *department;
        QVariant checkType;
        QVariant checkContent;
        double money;
        QVariant billcode;
    };
    const auto at = [](int y, int mo, int d, int h = 9, int mi = 30, int s = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    };
    const QVariant none = QVariant(QMetaType(QMetaType::QString));
    const auto text = [](const char *s) { return QVariant(QString::fromUtf8(s)); };
    const QList<Row> rows{
        {"0000001", at(2004, 12, 15, 10, 0), 5, "船务科", text(""), text(""), 150, text("0000001")},
        {"0000002", at(2004, 12, 31, 23, 59, 59), 5, "船务科", text(""), text(""), 0.1, text("0000002")},
        {"1000003", at(2004, 12, 1, 0, 0), 5, "船检科", text("建造检验"), text("船体"), 1000.25, text("0000003")},
        {"1000004", at(2005, 1, 1, 0, 0), 5, "船检科", text("营运检验"), text("年度检验"), 0.2, text("0000004")},
        {"1000005", at(2005, 1, 10), 5, "船检科", text("营运检验"), text("中间检验"), 0.1, text("0000005")},
        {"1000006", at(2005, 1, 20), 5, "船检科", text("营运检验"), text("临时检验"), 99.99, text("0000006")},
        {"1000007", at(2005, 1, 21), 5, "船检科", text("营运检验"), text("特别检验"), 1, text("0000007")},
        {"1000008", at(2005, 1, 22), 5, "船检科", text("营运检验"), text("船舶检验"), 2, text("0000008")},
        {"1000009", at(2005, 1, 23), 5, "船检科", text("营运检验"), text(""), 3, text("0000009")},
        {"1000010", at(2005, 1, 24), 5, "船检科", text("其它检验"), text("任意"), 4, text("0000010")},
        {"1000011", at(2005, 1, 25), 5, "船检科", text("建造检验 "), text("船体"), 5, text("0000011")},
        {"0000012", at(2005, 1, 26), 5, "船务科", none, none, 6.5, text("0000012")},
        {"0000013", at(2005, 1, 2), 5, "船务科", none, none, 1000, text("")},
        {"0000014", at(2005, 1, 3), 5, "船务科", none, none, 1000, none},
        {"0000015", at(2005, 1, 4), -2, "船务科", none, none, 1000, text("0000015")},
        {"0000016", at(2005, 1, 5), 3, "船务科", none, none, 1000, none},
        {"0000017", at(2005, 1, 6), 6, "船务科", none, none, 1000, text("0000017")},
    };
    for (const Row &r : rows) {
        NoticeRow(QString::fromLatin1(r.id))
            .rdate(r.at)
            .status(r.status)
            .department(QString::fromUtf8(r.department))
            .set(QStringLiteral("checktype"), r.checkType)
            .set(QStringLiteral("checkcontent"), r.checkContent)
            .money(r.money)
            .set(QStringLiteral("billcode"), r.billcode)
            .handler(QStringLiteral("张船务"))
            .shipname(QStringLiteral("船"))
            .insert(db.connection());
    }
    db.exec(QStringLiteral("insert into statistic (year,department,expect,\"11\",\"12\") values (?,?,?,?,?)"),
            {QStringLiteral("2004"), QStringLiteral("船务科"), 5000.0, 20.0, 0.7});
    db.exec(QStringLiteral("insert into statistic2 (year,type,\"12\") values (?,?,?)"),
            {QStringLiteral("2004"), QStringLiteral("未知检验"), 3});
}

QStringList expectedStatistic()
{
    QStringList rows{
        moneyRow(QStringLiteral("2004"), QStringLiteral("船务科"), 5000, {{11, 20}, {12, 150.8}}),
        moneyRow(QStringLiteral("2004"), QStringLiteral("船检科"), 0, {{12, 1000.25}}),
        moneyRow(QStringLiteral("2005"), QStringLiteral("船务科"), 0, {{1, 6.5}}),
        moneyRow(QStringLiteral("2005"), QStringLiteral("船检科"), 0, {{1, 115.29}}),
    };
    sortByBytes(rows);
    return rows;
}

QStringList expectedStatistic2()
{
    QStringList rows{
        countRow(QStringLiteral("2004"), QStringLiteral("建造检验"), {{12, 1}}),
        countRow(QStringLiteral("2004"), QStringLiteral("未知检验"), {{12, 5}}),
        countRow(QStringLiteral("2005"), QStringLiteral("中间检验"), {{1, 1}}),
        countRow(QStringLiteral("2005"), QStringLiteral("临时检验"), {{1, 1}}),
        countRow(QStringLiteral("2005"), QStringLiteral("其它检验"), {{1, 1}}),
        countRow(QStringLiteral("2005"), QStringLiteral("年度检验"), {{1, 1}}),
        countRow(QStringLiteral("2005"), QStringLiteral("未知检验"), {{1, 4}}),
        countRow(QStringLiteral("2005"), QStringLiteral("特别检验"), {{1, 1}}),
    };
    sortByBytes(rows);
    return rows;
}

QStringList statisticRows(QSqlDatabase db)
{
    return rowsOf(db, QStringLiteral("select year,department,expect,%1 from statistic").arg(monthList()), 2, true);
}

QStringList statistic2Rows(QSqlDatabase db)
{
    return rowsOf(db, QStringLiteral("select year,type,%1 from statistic2").arg(monthList()), 2, false);
}

QStringList noticeStates(QSqlDatabase db)
{
    return rowsOf(db, QStringLiteral("select ID,status from notice order by ID"), 1, false);
}

QStringList dumpTouchedTables(QSqlDatabase db)
{
    QStringList all = statisticRows(db) + statistic2Rows(db) + noticeStates(db);
    QSqlQuery q(db);
    q.exec(QStringLiteral("select ID,action,state_before,state_after from notice_history order by ID,historyid"));
    while (q.next())
        all << QStringLiteral("history %1|%2|%3|%4")
                   .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
    q.exec(QStringLiteral("select statictime from counter"));
    all << (q.next() ? q.value(0).toString() : QStringLiteral("no counter"));
    return all;
}
