#include "db_error.h"

#include "sql_dialect.h"

#include <QRegularExpression>

namespace {

// The first line of the database's text, without its severity word. Servers
// add lines with the failing values ("DETAIL: Key (id)=(...)", "Failing row
// contains ...") or the statement ("LINE 1: ...", "QUERY: ..."); a value
// quoted after a colon on the first line is the user's input. None of these
// are shown.
QString plainFirstLine(const QString &text)
{
    QString line = text.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    static const QRegularExpression severity(QStringLiteral("^(ERROR|FATAL|PANIC|错误|致命错误):\\s*"));
    line.remove(severity);
    const qsizetype quotedValue = line.indexOf(QLatin1String(": \""));
    if (quotedValue > 0)
        line.truncate(quotedValue);
    return line.trimmed();
}

QString describe(const QSqlError &error)
{
    QString text = plainFirstLine(error.databaseText());
    const QString driver = plainFirstLine(error.driverText());
    if (text.isEmpty())
        text = driver;
    else if (!driver.isEmpty() && !text.contains(driver))
        text = driver + QStringLiteral(": ") + text;
    return text.isEmpty() ? QStringLiteral("Database error") : text;
}

}  // namespace

DbError::DbError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}

DbError::DbError(const QSqlError &error) : DbError(describe(error)) {}

ConnectionLost::ConnectionLost() : DbError(text()) {}

const QString &ConnectionLost::text()
{
    static const QString t = QStringLiteral(
        "与数据库的连接已断开，这一步没有完成。请确认网络和数据库服务器正常后再试一次；"
        "尚未保存的修改仍然保留。");
    return t;
}

RowInUse::RowInUse() : DbRefusal(text()) {}

const QString &RowInUse::text()
{
    static const QString t = QStringLiteral("另一个工作站正在使用这条记录，请稍后再试。尚未保存的修改仍然保留。");
    return t;
}

DuplicateKey::DuplicateKey() : DbRefusal(text()) {}

const QString &DuplicateKey::text()
{
    static const QString t = QStringLiteral("这个编号已经存在，没有保存，原有的记录也没有改动。");
    return t;
}

StaleRowError::StaleRowError(bool rowDeleted) : DbError(text(rowDeleted)), m_deleted(rowDeleted) {}

QString StaleRowError::text(bool rowDeleted)
{
    return rowDeleted ? QStringLiteral("该记录已被其他工作站删除，修改未能保存。")
                      : QStringLiteral("该记录已被其他工作站修改，修改未能保存。");
}

void throwDbFailure(const QSqlDatabase &db, const QSqlError &error)
{
    const SqlDialect dialect(db);
    if (dialect.isConnectionLost(error))
        throw ConnectionLost();
    if (dialect.isLockTimeout(error))
        throw RowInUse();
    if (dialect.isDuplicateKey(error))
        throw DuplicateKey();
    throw DbError(error);
}
