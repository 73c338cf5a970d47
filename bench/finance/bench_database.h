#pragma once
// The benchmark database shared by the finance benchmarks: 1,000,000 notices
// of both sections over five years, the recent ones in every state, the older
// ones counted or voided, every billed notice with its own bill number
// (bill number n on the n-th notice, oldest first). Made once and kept.

#include "db/db_settings.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>

class Tdm;

namespace bench {

// Creates the schema and fills the notices.
void fill(QSqlDatabase db, int notices);
// Runs a statement; a failure ends the program with the database's message.
void run(QSqlDatabase db, const QString &sql);

// The SQLite file (made on first use) and, when PGHOST is set, the PostgreSQL
// database of the same name (made on first use): settings to open them with.
DbSettings sqliteDatabase(const QString &path, int notices);
// Valid only when PGHOST is set.
DbSettings postgresDatabase(int notices);

// The middle value of the timings.
double median(QList<double> values);

// Opens the data module on the SQLite file and then, when PGHOST is set, on
// PostgreSQL, and runs the measurement on each with the database's title.
// False when a measurement fails, a database error ends it, or PostgreSQL is
// not there and postgresRequired.
using Measurement = std::function<bool(Tdm &dm, const char *title)>;
bool measureOnEachDatabase(const QString &sqlitePath, int notices, const Measurement &measure, bool postgresRequired);

}  // namespace bench
