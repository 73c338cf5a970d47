#include "schema_file.h"

#include <QRegularExpression>

namespace {

QString unquoted(QString name)
{
    name = name.trimmed();
    if (name.size() >= 2
        && ((name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
            || (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))))
        name = name.mid(1, name.size() - 2);
    return name.toLower();
}

// The items of a parenthesised list, split at the commas outside inner parentheses.
QStringList topLevelItems(const QString &list)
{
    QStringList items;
    QString current;
    int depth = 0;
    for (QChar c : list) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        if (c == QLatin1Char(',') && depth == 0) {
            items << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.trimmed().isEmpty())
        items << current.trimmed();
    return items;
}

QString parenthesised(const QString &sql)
{
    const qsizetype open = sql.indexOf(QLatin1Char('('));
    const qsizetype close = sql.lastIndexOf(QLatin1Char(')'));
    return open >= 0 && close > open ? sql.mid(open + 1, close - open - 1) : QString();
}

// The columns in order, each with the rest of its declaration.
QList<QPair<QString, QString>> columnsOf(const QString &createTable)
{
    static const QStringList constraints{QStringLiteral("primary"), QStringLiteral("unique"), QStringLiteral("check"),
                                         QStringLiteral("constraint"), QStringLiteral("foreign")};
    static const QRegularExpression blank(QStringLiteral("\\s+"));
    QList<QPair<QString, QString>> columns;
    for (const QString &item : topLevelItems(parenthesised(createTable))) {
        const QString first = item.section(blank, 0, 0);
        if (!constraints.contains(first.toLower()))
            columns.append({unquoted(first), item.section(blank, 1).simplified().toLower()});
    }
    return columns;
}

}  // namespace

SchemaDeclarations declarationsOf(const QStringList &statements)
{
    static const QRegularExpression table(QStringLiteral("^create\\s+table\\s+(\\S+)\\s*\\("),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression virtualTable(QStringLiteral("^create\\s+virtual\\s+table\\s+(\\S+)"),
                                                 QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression index(
        QStringLiteral("^create\\s+(unique\\s+)?index\\s+(\\S+)\\s+on\\s+(\\S+)\\s*(using\\s+\\w+)?\\s*"
                       "\\(([^)]*)\\)\\s*(where\\s+(.*))?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);

    SchemaDeclarations d;
    for (const QString &sql : statements) {
        if (const auto m = table.match(sql); m.hasMatch()) {
            const QString name = unquoted(m.captured(1));
            d.tables << name;
            QStringList names;
            for (const auto &[column, declaration] : columnsOf(sql)) {
                names << column;
                d.columnDeclarations[name].insert(column, declaration);
            }
            d.columns.insert(name, names);
        } else if (const auto v = virtualTable.match(sql); v.hasMatch()) {
            d.virtualTables << unquoted(v.captured(1));
        } else if (const auto i = index.match(sql); i.hasMatch()) {
            SchemaIndex x;
            x.unique = !i.captured(1).isEmpty();
            x.table = unquoted(i.captured(3));
            x.method = i.captured(4).simplified().toLower();
            for (const QString &c : topLevelItems(i.captured(5)))
                x.columns << c.simplified().toLower();
            x.condition = i.captured(7).simplified();
            d.indexes.insert(unquoted(i.captured(2)), x);
        } else {
            d.otherStatements << sql;
        }
    }
    return d;
}
