#include "schema_version.h"

#include "db_error.h"
#include "schema.h"
#include "user_refusal.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

bool hasTable(const QSqlDatabase &db, const QString &name)
{
    return hasDatabaseTable(db, name);
}

}  // namespace

int schemaVersionOf(QSqlDatabase db)
{
    if (!hasTable(db, QStringLiteral("notice")))
        return kNoSchema;
    if (hasTable(db, QStringLiteral("schemaversion"))) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("select version from schemaversion")))
            throw DbError(q.lastError());
        return q.next() ? q.value(0).toInt() : 0;
    }
    return db.record(QStringLiteral("notice")).contains(QStringLiteral("revision")) ? 1 : 0;
}

QString schemaMismatchMessage(int version)
{
    if (version == kNoSchema || version == kSchemaVersion)
        return {};
    if (version < kSchemaVersion)
        return QStringLiteral("数据库的结构是旧版本（版本 %1），本程序需要版本 %2。\n"
                              "请系统维护人员先运行 dbadmin upgrade 升级数据库（原有数据全部保留），再使用本程序。")
            .arg(version)
            .arg(kSchemaVersion);
    return QStringLiteral("数据库的结构（版本 %1）比本程序（版本 %2）新。\n请安装新版本的 Nollard。")
        .arg(version)
        .arg(kSchemaVersion);
}

void requireCurrentSchema(QSqlDatabase db)
{
    const QString message = schemaMismatchMessage(schemaVersionOf(db));
    if (!message.isEmpty())
        throw UserRefusal(message);
}
