#pragma once
// Every date and time the windows show, in one form: the workstation's own
// short date, a blank, and its long time (seconds included), as the desktop's
// regional settings give them. Stored texts and printed reports keep their
// fixed forms; this is only how a time reads on the screen.

#include <QDateTime>
#include <QString>
#include <QVariant>

QString workstationDateTime(const QDateTime &time);
// A stored value: a date and time, or its ISO text as the embedded database
// keeps it. NULL shows nothing; a text that is no time shows as it is.
QString dateTimeText(const QVariant &value);
