#include "db_error.h"

namespace {
QString describe(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    const QString driver = error.driverText().trimmed();
    if (text.isEmpty())
        text = driver;
    else if (!driver.isEmpty() && !text.contains(driver))
        text = driver + QStringLiteral(": ") + text;
    return text.isEmpty() ? QStringLiteral("Database error") : text;
}
}  // namespace

DbError::DbError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{
}

DbError::DbError(const QSqlError &error) : DbError(describe(error)) {}
