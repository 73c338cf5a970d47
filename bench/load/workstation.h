#pragma once
// One workstation of the simulated day: a process of its own with its own
// connection, logged in as its account, doing what its person does through
// the program's operations until the day ends, and writing a record of every
// operation to standard output.

#include "workday_plan.h"

#include "db/db_settings.h"

namespace workday {

// The times of the day, in milliseconds since the epoch, as the parent
// writes them into the start file once every workstation is ready.
struct DayTimes
{
    qint64 startAt = 0;
    qint64 endAt = 0;
    qint64 statisticsAt = 0;  // the finance leader's run

    QString toText() const;
    static DayTimes fromText(const QString &text);
};

// Connects, prints "ready", waits for the start file, works until the day
// ends with pauses of thinkMs on average between operations, and prints
// "done". Returns the process's exit code: 0 when the day ran to its end (refusals
// and failed operations are in the records), 1 when the workstation could
// not work at all.
int runWorkstation(const DbSettings &settings, const Workstation &workstation, const QString &startFile, int thinkMs);

}  // namespace workday
