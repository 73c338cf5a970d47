#include "database_label.h"

#include <QFileInfo>

namespace ui {

QString databaseInUse(const DbSettings &s)
{
    switch (s.kind()) {
    case DbKind::SQLite:
        return QStringLiteral("数据库：SQLite %1").arg(QFileInfo(s.dataSource).fileName());
    case DbKind::PostgreSQL:
        return QStringLiteral("数据库：PostgreSQL %1/%2").arg(s.dataSource, s.initialCatalog);
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("数据库：SQL Server %1/%2").arg(s.dataSource, s.initialCatalog);
}

}  // namespace ui
