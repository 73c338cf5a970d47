#pragma once
// A reader of sectioned key=value files that keeps every value exactly as
// written: commas, semicolons and equals signs inside a value are part of it
// (a password may hold any of them). Files are read as UTF-8, or as GBK when
// they are not valid UTF-8, since such files are often edited with the
// workstation's own editor.

#include <QHash>
#include <QString>

class IniFile
{
public:
    // Reads the file; a missing or unreadable file gives an empty result.
    static IniFile read(const QString &path);
    static IniFile parse(const QByteArray &content);

    bool contains(const QString &section, const QString &key) const;
    // The value, or the fallback when the section or the key is missing.
    QString value(const QString &section, const QString &key, const QString &fallback) const;

private:
    // Section and key names compare without regard to letter case.
    QHash<QString, QString> m_values;  // "section\nkey" -> value
};

// Writes a [section] with the keys in the given order; values are written as they are.
bool writeIniSection(const QString &path, const QString &section, const QList<QPair<QString, QString>> &entries,
                     QString *error);
