#pragma once
// A statement with the values bound to its placeholders, in order: what the
// dialect builds and the statement runner runs.

#include <QString>
#include <QVariantList>

struct Statement
{
    QString sql;
    QVariantList values;
};
