#pragma once
// The data module: owner of the program's one database connection and of the
// shared queries through which the windows reach the tables. Each subsystem
// sets up the queries its windows edit (notices::configure, fees::configure,
// masterdata::configure).

#include "db_settings.h"
#include "sql_dialect.h"

#include <QHash>
#include <QObject>
#include <QSqlDatabase>

class NamedQuery;

class Tdm : public QObject
{
    Q_OBJECT
public:
    explicit Tdm(const DbSettings &settings, const QString &connectionName = QStringLiteral("nollard"),
                 QObject *parent = nullptr);
    ~Tdm() override;

    // Opens the connection with the settings given at creation. Throws DbError;
    // the queries stay usable and report the failure again when they run.
    void DataModuleCreate();

    const DbSettings &settings() const { return m_settings; }
    SqlDialect dialect() const { return SqlDialect(m_settings.kind()); }
    QString connectionName() const { return m_connectionName; }
    QSqlDatabase database() const;
    bool isConnected() const;

    NamedQuery *aq_login;
    NamedQuery *aq_notice;
    NamedQuery *aq_itemofnotice;
    NamedQuery *aq_company;
    NamedQuery *aq_counter;
    NamedQuery *aq_item;
    NamedQuery *aq_buildtype;
    NamedQuery *aq_runtype;
    NamedQuery *aq_othertype;
    NamedQuery *aq_useradmin;
    NamedQuery *aq_money;
    NamedQuery *aq_pj;
    NamedQuery *aq_noticex;
    NamedQuery *aq_notices;
    NamedQuery *aq_static;
    NamedQuery *aq_static2;

private:
    NamedQuery *makeQuery(const char *name);

    DbSettings m_settings;
    QString m_connectionName;
};
