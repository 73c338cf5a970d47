#pragma once
// The database in use as the user may see it: kind and data source, and the
// database name on a server; never the user or the password.

#include "db/db_settings.h"

#include <QString>

namespace ui {

QString databaseInUse(const DbSettings &settings);

}  // namespace ui
