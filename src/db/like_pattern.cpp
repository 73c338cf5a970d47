#include "like_pattern.h"

QString containsPattern(const QString &text)
{
    QString escaped;
    for (QChar c : text) {
        // "[" is a wildcard of its own on SQL Server.
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('['))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}
