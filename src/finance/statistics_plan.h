#pragma once
// The yearly collection plan of a section: the planned amount in yuan that
// finance enters on a row of statistic that a statistics run created.

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace finance {

// The text a user types as a plan, in cents: a non-negative amount in yuan
// with at most two decimals. Nothing else is a plan.
std::optional<qint64> parsePlanAmount(const QString &text);

// Stores the plan of the year and section; an empty (or blank) text clears it
// (null). Throws UserRefusal for a text that is no plan or a row that no
// longer exists, DbError when the database refuses.
void savePlan(QSqlDatabase db, const QString &year, const QString &department, const QString &text);

inline const QString kPlanRefused = QStringLiteral("计划金额必须是不小于0的数字，最多两位小数，单位为元");

}  // namespace finance
