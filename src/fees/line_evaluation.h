#pragma once
// Turning a fee line's calculation steps into its amount.

class NamedQuery;

namespace nollard {
class TParser;
}

namespace fees {

// Compiles the description of the lines query's current row with the parser,
// evaluates it, and stores the amount as the two-decimal amount text makes it
// (an empty description gives 0.00).
// A parser error is thrown before the line enters editing, so the line and its
// amount stay as they were. An arithmetic fault is thrown while the line is in
// editing: its amount is unchanged and the edit ends with the next post or
// cancel. A refused store throws DbError. Does nothing without a current row.
void evaluateCurrentLine(NamedQuery &lines, nollard::TParser &parser);

}  // namespace fees
