#pragma once
// Turning a fee line's calculation steps into its amount.

#include <QString>

class NamedQuery;

namespace nollard {
class TParser;
}

namespace fees {

// The amount of the steps as a line stores it: compiled and evaluated with
// the parser, then the number that its two-decimal amount text reads as (an
// empty text gives 0). Throws the parser's error or the arithmetic fault.
double amountOfSteps(nollard::TParser &parser, const QString &steps);

// Computes the amount of the lines query's current row from its description
// and sets it in the row, which is left in editing for the caller to store
// (storeFeeLine stores it with the notice total).
// A parser error is thrown before the line enters editing, so the line and its
// amount stay as they were. An arithmetic fault is thrown while the line is in
// editing: its amount is unchanged and the edit ends with the next post or
// cancel. Does nothing without a current row.
void evaluateCurrentLine(NamedQuery &lines, nollard::TParser &parser);

}  // namespace fees
