#pragma once
// A failed database statement or connection. Carries the database layer's own
// message, which the general error display shows as it is.

#include <QSqlError>
#include <QString>
#include <stdexcept>

class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &message);
    explicit DbError(const QSqlError &error);
    QString message() const { return m_message; }

private:
    QString m_message;
};
