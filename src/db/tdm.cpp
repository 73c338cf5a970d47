#include "tdm.h"

#include "connection.h"
#include "named_query.h"

Tdm::Tdm(const DbSettings &settings, const QString &connectionName, QObject *parent)
    : QObject(parent), m_settings(settings), m_connectionName(connectionName)
{
    setObjectName(QStringLiteral("dm"));
    aq_login = makeQuery("aq_login");
    aq_notice = makeQuery("aq_notice");
    aq_itemofnotice = makeQuery("aq_itemofnotice");
    aq_company = makeQuery("aq_company");
    aq_counter = makeQuery("aq_counter");
    aq_item = makeQuery("aq_item");
    aq_buildtype = makeQuery("aq_buildtype");
    aq_runtype = makeQuery("aq_runtype");
    aq_othertype = makeQuery("aq_othertype");
    aq_useradmin = makeQuery("aq_useradmin");
    aq_money = makeQuery("aq_money");
    aq_pj = makeQuery("aq_pj");
    aq_noticex = makeQuery("aq_noticex");
    aq_notices = makeQuery("aq_notices");
    aq_static = makeQuery("aq_static");
    aq_static2 = makeQuery("aq_static2");
}

Tdm::~Tdm()
{
    // Queries hold results of the connection; let them go first.
    qDeleteAll(findChildren<NamedQuery *>(Qt::FindDirectChildrenOnly));
    closeConnection(m_connectionName);
}

NamedQuery *Tdm::makeQuery(const char *name)
{
    return new NamedQuery(QString::fromLatin1(name), m_connectionName, this);
}

void Tdm::DataModuleCreate()
{
    openConnection(m_settings, m_connectionName);
}

QSqlDatabase Tdm::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool Tdm::isConnected() const
{
    return database().isOpen();
}
