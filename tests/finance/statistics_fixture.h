#pragma once
// Billed and other notices whose statistics are known by hand, and a dump of
// every table a statistics run touches, to compare before and after.

#include "test_database.h"

#include <QStringList>

// Fills the notices of the small fixture (see the table in the source file)
// and a statistic and a statistic2 row that a run before has left.
void addStatisticsFixture(TestDatabase &db);
// The rows of statistic after one run over the fixture, as statisticRows() writes them.
QStringList expectedStatistic();
QStringList expectedStatistic2();
// The number of fixture notices a run counts.
inline constexpr int kFixtureCounted = 12;

// "year|department|expect|m1|...|m12" per row, ordered; money with every
// digit of the stored double, so that an inexact sum shows.
QStringList statisticRows(QSqlDatabase db);
// "year|type|m1|...|m12" per row, ordered.
QStringList statistic2Rows(QSqlDatabase db);
// "ID|status" per notice, ordered.
QStringList noticeStates(QSqlDatabase db);
// Everything above, the notices' history, and counter.statictime last.
QStringList dumpTouchedTables(QSqlDatabase db);
