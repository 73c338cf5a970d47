#include "number_text.h"

#include "expr/amount_text.h"

#include <cmath>

namespace fees {

QString plainNumberText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0)
        return QStringLiteral("0");

    // Rounding to 15 significant digits is done by the scientific form;
    // the digits are then placed around the decimal point by hand.
    const QString scientific = QString::number(std::fabs(value), 'e', 14);  // d.dddddddddddddde±XX
    const qsizetype e = scientific.indexOf(QLatin1Char('e'));
    QString digits = scientific.left(e).remove(QLatin1Char('.'));
    const int exponent = scientific.mid(e + 1).toInt();
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);

    QString text;
    const int pointAfter = exponent + 1;  // digits before the decimal point
    if (pointAfter <= 0) {
        text = QStringLiteral("0.") + QString(-pointAfter, QLatin1Char('0')) + digits;
    } else if (pointAfter >= digits.size()) {
        text = digits + QString(pointAfter - digits.size(), QLatin1Char('0'));
    } else {
        text = digits.left(pointAfter) + QLatin1Char('.') + digits.mid(pointAfter);
    }
    return value < 0 ? QLatin1Char('-') + text : text;
}

QString moneyText(double value)
{
    return QString::fromStdString(nollard::FixedTwoDecimals(value));
}

}  // namespace fees
