#pragma once
// The yearly statistics run: every billed notice not yet counted adds its
// amount to the money statistics of its year, section and month, one
// inspection to the counts of its year, kind and month, and is archived
// (state 5 to 6). The run is one transaction: it counts every notice exactly
// once or changes nothing, and runs on one workstation at a time.

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <stdexcept>

struct UserRecord;

namespace finance {

// The inspection kind a notice is counted under in statistic2; texts are
// compared exactly and anything unknown lands in "未知检验".
QString inspectionKind(const QString &checkType, const QString &checkContent);

// The number of notices a run would count now.
int pendingNoticeCount(QSqlDatabase db);

enum class StatisticsPhase { Reading, Writing };

struct StatisticsHooks
{
    // Told how far the run has come; returning false cancels it, and the run
    // then leaves every table as it was.
    std::function<bool(StatisticsPhase phase, int done, int total)> progress;
    // Called before each write with the name of the step (a test breaks the
    // run in the middle by throwing from it).
    std::function<void(const QString &step)> beforeWrite;
};

struct StatisticsResult
{
    int counted = 0;
    // The time recorded in counter.statictime.
    QDateTime time;
};

// The user cancelled the run; nothing was changed.
class StatisticsCancelled : public std::runtime_error
{
public:
    StatisticsCancelled() : std::runtime_error("statistics run cancelled") {}
};

// Runs the statistics. Throws StatisticsCancelled, UserRefusal (another
// workstation is running them, or a notice changed under the run) or DbError;
// in every such case nothing is changed.
// Every counted notice gets a history row as the user, written with the
// archiving in one statement.
StatisticsResult runStatistics(QSqlDatabase db, const UserRecord &user, const StatisticsHooks &hooks = {});

}  // namespace finance
