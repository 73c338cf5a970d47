#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

// How database values read as text on a printed report.

// An amount with exactly two decimals, "." as the point and no grouping. The
// value's decimal expansion to 18 significant digits is rounded half away from
// zero at the second decimal (0.125 gives "0.13", 2.675 gives "2.67" because its
// double lies just below), the same rule the amount in capitals follows, so the
// figures and the capitals of a total never disagree.
QString reportMoneyText(double value);

// The amount as reportMoneyText prints it, in whole cents (0.125 gives 13). A
// total summed from these foots with the figures printed above it, which a
// sum of the unrounded values need not (three times 0.125 prints 0.13 each but
// 0.38 in all). A value that is not finite gives 0.
qint64 reportMoneyCents(double value);

// The text of one field. fieldType is the column's type as the driver reports it:
// floating-point columns print as amounts even when a value arrives as an integer.
// Dates print as yyyy-MM-dd, date-times (also ISO texts such as SQLite keeps them)
// as yyyy-MM-dd HH:mm:ss. NULL gives an empty text.
QString reportValueText(const QVariant &value, QMetaType fieldType = QMetaType());

// True for a boolean column or a boolean value: such fields act as conditions.
bool reportIsBoolean(const QVariant &value, QMetaType fieldType = QMetaType());
