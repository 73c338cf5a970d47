#pragma once
// A statement and the values bound to its placeholders.

#include <QString>
#include <QVariantList>

struct Statement
{
    QString sql;
    QVariantList values;
};
