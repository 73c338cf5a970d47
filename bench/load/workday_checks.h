#pragma once
// What must hold after a day of many workstations, checked against the
// database and against what each workstation believes it did.

#include "workday_plan.h"

#include <QHash>
#include <QMap>
#include <QPair>
#include <QSqlDatabase>
#include <QStringList>
#include <array>

namespace workday {

struct Check
{
    QString name;
    QStringList faults;
    bool passed() const { return faults.isEmpty(); }
};

// The statistics tables: (year, section or kind) -> per month, in cents for
// the money table and in notices for the counts.
struct StatisticsTables
{
    QMap<QPair<QString, QString>, std::array<qint64, 12>> money;
    QMap<QPair<QString, QString>, std::array<qint64, 12>> counts;
};
StatisticsTables readStatistics(QSqlDatabase db);

struct DayStart
{
    QHash<QString, int> noticeStates;  // the notices that existed, with their states
    StatisticsTables statistics;
};

// The checks, each with its faults (none when it passed):
//  - no notice number and no bill number given twice;
//  - no lost update: every change a workstation stored is in the database
//    (its history row, the ship name typed last, the amount computed last,
//    the bill number issued) and nothing a workstation was told was refused
//    is;
//  - every notice counted by the statistics run counted exactly once, and the
//    statistics tables hold exactly the counted notices;
//  - every notice's history runs without a gap from its creation to its
//    current state (a deleted notice ends with its deletion).
QList<Check> checkDay(QSqlDatabase db, const QList<Record> &records, const DayStart &start);

}  // namespace workday
