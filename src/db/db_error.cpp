#include "db_error.h"

#include "sql_dialect.h"

#include <QDir>
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

DatabaseFileReplaced::DatabaseFileReplaced(const QString &file) : DbError(text(file)) {}

QString DatabaseFileReplaced::text(const QString &file)
{
    return QStringLiteral("数据库文件 %1 在本程序运行时被替换、移走或删除了。为免数据写进已不使用的文件而丢失，"
                          "这一步没有保存，数据库没有任何改动。请关闭本程序后重新打开；"
                          "恢复数据库请让系统管理员使用 dbadmin restore。")
        .arg(QDir::toNativeSeparators(file));
}

QString embeddedFileFailureText(const QSqlError &error, const QString &file)
{
    // SQLite's primary result codes; an extended code keeps one in its low byte.
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric) & 0xff;
    const QString text = error.databaseText();
    auto is = [&](int primary, const char *words) {
        return (numeric && code == primary) || text.contains(QLatin1String(words), Qt::CaseInsensitive);
    };
    const QString name = QDir::toNativeSeparators(file);
    QString words;
    if (is(8, "readonly database"))
        words = QStringLiteral("数据库文件 %1 是只读的（或不能在它所在的文件夹中写入），这一步没有保存。"
                               "请让系统管理员检查这个文件和文件夹的写入权限。")
                    .arg(name);
    else if (is(11, "malformed") || is(26, "not a database"))
        words = QStringLiteral("数据库文件 %1 已损坏或不是本系统的数据库，这一步没有完成。"
                               "请暂停使用本程序，通知系统管理员用 dbadmin restore 从备份恢复数据库。")
                    .arg(name);
    else if (is(13, "disk is full"))
        words = QStringLiteral("磁盘已满（或数据库文件已达到允许的最大大小），这一步没有保存。"
                               "请让系统管理员腾出磁盘空间后再试。");
    else if (is(14, "unable to open"))
        words = QStringLiteral("无法打开数据库文件 %1：文件或它所在的文件夹不存在，或没有访问权限。"
                               "请让系统管理员检查配置文件中的“Data Source”。")
                    .arg(name);
    else
        return {};
    const QString detail = plainFirstLine(text.isEmpty() ? error.driverText() : text);
    return detail.isEmpty() ? words : words + QStringLiteral("\n（") + detail + QStringLiteral("）");
}

void throwDbFailure(const QSqlDatabase &db, const QSqlError &error)
{
    const SqlDialect dialect(db);
    if (dialect.isEmbeddedFile()) {
        const QString words = embeddedFileFailureText(error, db.databaseName());
        if (!words.isEmpty())
            throw DbError(words);
    }
    if (dialect.isConnectionLost(error))
        throw ConnectionLost();
    if (dialect.isLockTimeout(error))
        throw RowInUse();
    if (dialect.isDuplicateKey(error))
        throw DuplicateKey();
    throw DbError(error);
}
