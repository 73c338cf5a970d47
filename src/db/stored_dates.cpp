#include "stored_dates.h"

#include "sql_dialect.h"
#include "sql_statement.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTime>

QString standardDateText(const QString &text)
{
    static const QRegularExpression yearFirst(QStringLiteral(
        R"(^\s*(\d{4})[-/.](\d{1,2})[-/.](\d{1,2})(?:[ T]+(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.(\d{1,3}))?)?)?\s*$)"));
    const QRegularExpressionMatch m = yearFirst.match(text);
    if (!m.hasMatch())
        return {};
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QString fraction = m.captured(7);
    const int ms = fraction.isEmpty() ? 0 : fraction.leftJustified(3, QLatin1Char('0')).toInt();
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(), ms);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QList<StoredDate> nonStandardNoticeDates(QSqlDatabase db)
{
    QList<StoredDate> dates;
    if (SqlDialect::kindOf(db) != DbKind::SQLite)
        return dates;
    // The program's own form, with or without the milliseconds, is passed
    // over by the database; everything else is looked at here.
    QSqlQuery q = runStatement(
        db, QStringLiteral("select ID,Rdate from notice where Rdate is not null and not ("
                           "typeof(Rdate)='text' and Rdate glob "
                           "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]T[0-9][0-9]:[0-9][0-9]:[0-9][0-9]*'"
                           " and length(Rdate) in (19,23)) order by ID"));
    while (q.next()) {
        StoredDate date{q.value(0).toString(), q.value(1).toString(), {}};
        date.repaired = standardDateText(date.text);
        if (date.repaired != date.text)
            dates << date;
    }
    q.finish();
    return dates;
}

void storeRepairedDates(QSqlDatabase db, const QList<StoredDate> &dates)
{
    for (const StoredDate &date : dates)
        if (!date.repaired.isEmpty())
            runStatement(db, QStringLiteral("update notice set Rdate=? where ID=? and Rdate=?"),
                         {date.repaired, date.noticeId, date.text})
                .finish();
}
