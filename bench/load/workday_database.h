#pragma once
// The database of the simulated day: a new database on the PostgreSQL server
// of PGHOST/PGPORT/PGUSER with the schema, the demonstration data (accounts,
// both fee catalogues, the name lists, notices in every state) and an account
// for every workstation. It is dropped again at the end unless kept.

#include "db/db_settings.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <memory>

namespace workday {

class DayDatabase
{
public:
    // Throws DbError.
    static std::unique_ptr<DayDatabase> create(int workstations);
    ~DayDatabase();

    DbSettings settings() const { return m_settings; }
    QString name() const { return m_settings.initialCatalog; }
    // The parent's own connection, for the checks.
    QSqlDatabase connection() const;
    void keep() { m_keep = true; }

    // The notices that exist before the day begins, with their states.
    QHash<QString, int> noticeStates() const;

private:
    DayDatabase() = default;
    DbSettings m_settings;
    bool m_keep = false;
};

}  // namespace workday
