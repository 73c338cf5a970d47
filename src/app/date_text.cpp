#include "app/date_text.h"

#include <QLocale>

QString workstationDateTime(const QDateTime &time)
{
    if (!time.isValid())
        return {};
    // Each half as the locale itself writes it: its format strings are not
    // taken apart, so a locale that orders or marks them otherwise still
    // reads as the desktop shows it.
    const QLocale locale = QLocale::system();
    return locale.toString(time.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + locale.toString(time.time(), QLocale::LongFormat);
}

QString dateTimeText(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    QDateTime dt = value.toDateTime();
    if (!dt.isValid())
        dt = QDateTime::fromString(value.toString(), Qt::ISODate);
    if (!dt.isValid())
        return value.toString();
    return workstationDateTime(dt);
}
