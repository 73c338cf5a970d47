#pragma once
// A caption as the window's design gives it: the Alt key the program adds,
// "(&N)" in "新建(&N)", left out.

#include <QRegularExpression>
#include <QString>

inline QString captionOf(const QString &shown)
{
    static const QRegularExpression key(QStringLiteral("\\(&[0-9A-Z]\\)"));
    return QString(shown).remove(key);
}
