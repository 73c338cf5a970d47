#include "ini_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

QString keyOf(const QString &section, const QString &key)
{
    return section.trimmed().toLower() + QLatin1Char('\n') + key.trimmed().toLower();
}

QString decode(const QByteArray &content)
{
    QByteArray bytes = content;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK");
    return gbk.decode(bytes);
}

}  // namespace

IniFile IniFile::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

IniFile IniFile::parse(const QByteArray &content)
{
    IniFile ini;
    QString section;
    const QStringList lines = decode(content).split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            section = trimmed.mid(1, trimmed.size() - 2);
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        // Blanks around a value are not part of it; everything between is.
        // The first key wins, as a reader that stops at the first match would.
        const QString k = keyOf(section, line.left(eq));
        if (!ini.m_values.contains(k))
            ini.m_values.insert(k, line.mid(eq + 1).trimmed());
    }
    return ini;
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    return m_values.contains(keyOf(section, key));
}

QString IniFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    const auto it = m_values.constFind(keyOf(section, key));
    return it == m_values.constEnd() ? fallback : *it;
}

bool writeIniSection(const QString &path, const QString &section, const QList<QPair<QString, QString>> &entries,
                     QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QByteArray out = "[" + section.toUtf8() + "]\r\n";
    for (const auto &[key, value] : entries)
        out += key.toUtf8() + '=' + value.toUtf8() + "\r\n";
    file.write(out);
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
