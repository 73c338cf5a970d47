#include "report/report_values.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <cmath>

namespace {
bool isFloatingType(QMetaType type)
{
    const int id = type.id();
    return id == QMetaType::Double || id == QMetaType::Float;
}

// Adds one unit in the last place of a string of decimal digits; returns false on
// a carry out of the first digit.
bool incrementDigits(QString &digits)
{
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] == u'9') {
            digits[i] = u'0';
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            return true;
        }
    }
    return false;
}

QString isoTimestampText(const QString &text)
{
    static const QRegularExpression iso(
        QStringLiteral(R"(^(\d{4}-\d{2}-\d{2})[T ](\d{2}:\d{2}:\d{2})(?:\.\d+)?(?:Z|[+-]\d{2}:?\d{2})?$)"));
    const QRegularExpressionMatch match = iso.match(text);
    if (!match.hasMatch())
        return text;
    return match.captured(1) + u' ' + match.captured(2);
}
}  // namespace

QString reportMoneyText(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const bool negative = std::signbit(value);
    // d.ddddddddddddddddde±x: the 18 significant digits and the exponent.
    const QString scientific = QString::number(std::fabs(value), 'e', 17);
    const qsizetype ePos = scientific.indexOf(u'e');
    QString digits = scientific.left(ePos).remove(u'.');
    qsizetype pointPos = scientific.mid(ePos + 1).toInt() + 1;
    if (pointPos < 1) {
        digits.prepend(QString(1 - pointPos, u'0'));
        pointPos = 1;
    }
    if (digits.size() < pointPos + 3)
        digits.append(QString(pointPos + 3 - digits.size(), u'0'));

    QString kept = digits.left(pointPos + 2);
    if (digits[pointPos + 2] >= u'5' && !incrementDigits(kept)) {
        kept.prepend(u'1');
        ++pointPos;
    }
    QString integer = kept.left(pointPos);
    while (integer.size() > 1 && integer.front() == u'0')
        integer.remove(0, 1);
    const QString text = integer + u'.' + kept.mid(pointPos);
    const bool zero = text == QLatin1String("0.00");
    return (negative && !zero) ? u'-' + text : text;
}

qint64 reportMoneyCents(double value)
{
    if (!std::isfinite(value))
        return 0;
    return reportMoneyText(value).remove(u'.').toLongLong();
}

bool reportIsBoolean(const QVariant &value, QMetaType fieldType)
{
    return fieldType.id() == QMetaType::Bool || value.metaType().id() == QMetaType::Bool;
}

QString reportValueText(const QVariant &value, QMetaType fieldType)
{
    if (!value.isValid() || value.isNull())
        return QString();
    const QMetaType valueType = value.metaType();
    if (isFloatingType(valueType) || (isFloatingType(fieldType) && value.canConvert<double>())) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (ok)
            return reportMoneyText(number);
    }
    switch (valueType.id()) {
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QString:
        return isoTimestampText(value.toString());
    default:
        return value.toString();
    }
}
