#pragma once
// What a schema file declares: its tables with their columns, its indexes,
// and the statements that are neither (triggers, extensions, seed rows).

#include <QMap>
#include <QString>
#include <QStringList>

struct SchemaIndex
{
    QString table;
    QStringList columns;  // as written, lower case
    bool unique = false;
    QString method;     // "using ..." where the kind names one, lower case
    QString condition;  // "where ..." of a partial index, as written
};

struct SchemaDeclarations
{
    // Ordinary tables in the order of the file; names and columns lower case,
    // quotes removed.
    QStringList tables;
    QMap<QString, QStringList> columns;
    // What follows each column's name in its declaration (type, key, default),
    // lower case: table -> column -> declaration.
    QMap<QString, QMap<QString, QString>> columnDeclarations;
    // Tables a database kind keeps for itself (a full-text index), lower case.
    QStringList virtualTables;
    QMap<QString, SchemaIndex> indexes;  // by lower-case name
    // Every other statement, as written.
    QStringList otherStatements;
};

SchemaDeclarations declarationsOf(const QStringList &statements);
