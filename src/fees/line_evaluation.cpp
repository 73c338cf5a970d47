#include "line_evaluation.h"

#include "db/named_query.h"
#include "expr/amount_text.h"
#include "expr/parser.h"

namespace fees {

double amountOfSteps(nollard::TParser &parser, const QString &steps)
{
    parser.SetExpression(steps.toStdString());
    const long double value = parser.Value();
    // The amount is the number that its two-decimal text reads as.
    return QString::fromStdString(nollard::AmountText(static_cast<double>(value))).toDouble();
}

void evaluateCurrentLine(NamedQuery &lines, nollard::TParser &parser)
{
    if (lines.currentRow() < 0)
        return;
    const QString steps = lines.value(QStringLiteral("description")).toString();
    parser.SetExpression(steps.toStdString());
    lines.edit();
    const long double value = parser.Value();
    const QString amount = QString::fromStdString(nollard::AmountText(static_cast<double>(value)));
    lines.setValue(QStringLiteral("money"), amount.toDouble());
}

}  // namespace fees
