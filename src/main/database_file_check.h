#pragma once
// Before any window, the embedded database file is checked: a file that is
// missing, or that this user cannot write (nor its folder, where the database
// keeps its journal while writing), is explained in words, with the full
// path and what to do, instead of the database layer's text at the first
// click.

#include "db/db_settings.h"

#include <QString>

// The message for an embedded database file that cannot be used, or an
// empty text (also for a database server). configFile is the file that
// named the database; dbadminCommand how the configuration program is
// started ("dbadmin" where it is on the PATH).
QString embeddedDatabaseProblem(const DbSettings &settings, const QString &configFile, const QString &dbadminCommand);

// The configuration program beside this program, as the user would type it:
// its bare name when the PATH leads to this very one, else its full path.
QString dbadminCommand();
