#include "statistics_plan.h"

#include "db/sql_statement.h"
#include "db/user_refusal.h"

#include <QRegularExpression>

namespace finance {

std::optional<qint64> parsePlanAmount(const QString &text)
{
    // Up to thirteen digits of yuan keep every cent exact in the stored
    // floating-point column.
    static const QRegularExpression amount(QStringLiteral("^\\s*([0-9]{1,13})(?:\\.([0-9]{0,2}))?\\s*$"));
    const QRegularExpressionMatch match = amount.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    QString fraction = match.captured(2);
    while (fraction.size() < 2)
        fraction += QLatin1Char('0');
    return match.captured(1).toLongLong() * 100 + fraction.toLongLong();
}

void savePlan(QSqlDatabase db, const QString &year, const QString &department, const QString &text)
{
    // An empty entry takes the plan away: the progress table then says that
    // none is arranged, rather than measuring the year against 0.00.
    QVariant plan{QMetaType(QMetaType::Double)};
    if (!text.trimmed().isEmpty()) {
        const std::optional<qint64> cents = parsePlanAmount(text);
        if (!cents)
            throw UserRefusal(kPlanRefused);
        plan = double(*cents) / 100.0;
    }
    QSqlQuery q = runStatement(db, QStringLiteral("update statistic set expect=? where year=? and department=?"),
                               {plan, year, department});
    if (q.numRowsAffected() != 1)
        throw UserRefusal(QStringLiteral("该年份和科室的统计记录已不存在"));
}

}  // namespace finance
