#pragma once
// Skipped bill numbers. Bill forms are numbered paper: a number the sequence
// passed that no notice carries (a higher number was typed when issuing, so
// the numbers between were never used) is a form the finance office has to
// account for. Numbers the sequence has not reached yet are not skipped.

#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace finance {

// A run of consecutive bill numbers, both ends included.
struct BillNumberRun
{
    int first = 0;
    int last = 0;
    int size() const { return last - first + 1; }
    bool operator==(const BillNumberRun &) const = default;
};

// "0000008–0000012", or "0000008" for a run of one number.
QString billRunText(const BillNumberRun &run);
// "缺号 0000008–0000012": the line the ledger prints for the run.
QString skippedRunLine(const BillNumberRun &run);
// The numbers in all the runs together.
int numberCount(const QList<BillNumberRun> &runs);

// The skipped numbers from first to last, in order. A number counts as
// passed when it lies below the counter or below a number a notice of the
// range carries (an older program may have left the counter behind). Any
// notice carrying a number, whatever its state, accounts for it. Throws
// DbError.
QList<BillNumberRun> skippedBillNumbers(QSqlDatabase db, int first, int last);

// The skipped numbers of the year: from just after the last number issued
// before the year (or from the year's first number, when none was) up to
// the last number passed. The year's first number is the smallest that a
// bill issued in the year carries: by its history row, or, for bills issued
// before the history was kept, by the notice's date. Throws DbError.
int skippedBillNumbersOfYear(QSqlDatabase db, int year);

}  // namespace finance
