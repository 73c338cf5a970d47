#pragma once
// Numbers handed out from the single counter row: notice serials, bill numbers
// and catalogue order numbers. Taking a value and advancing the counter is one
// statement, so two workstations never receive the same value.

#include "sql_dialect.h"

#include <QSqlDatabase>

// Advances the column by one and returns its value from before the step
// (the notice serial and the proposed bill number are read this way).
int takeCounterValue(QSqlDatabase db, CounterColumn column);

// Advances the column by one and returns its new value (the catalogue order
// numbers record the value last given).
int advanceCounter(QSqlDatabase db, CounterColumn column);
