#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

// The one list of named report variables. Every report of the run reads the same
// list, so a value set for one report is still there for the next one; setting a
// name again replaces its value.
class ReportVariables
{
public:
    static void set(const QString &name, const QString &value);
    static void set(const QString &name, const char *value);
    static void set(const QString &name, qint64 value);
    static void set(const QString &name, int value);

    // Invalid QVariant when the name was never set.
    static QVariant value(const QString &name);
    static QVariantMap all();

    // Only for tests that need a clean list; the program never forgets variables.
    static void clear();
};
