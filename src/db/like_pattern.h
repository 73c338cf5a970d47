#pragma once
// Searches "by any part of the number": the typed text is found anywhere in
// the column, and the LIKE wildcards "%" and "_" in it are taken literally.

#include <QString>

// The pattern for "column like ? escape '\'": the text between two "%",
// with "\", "%", "_" and "[" escaped.
QString containsPattern(const QString &text);

// The escape clause that goes with the pattern.
inline const QString kLikeEscape = QStringLiteral(" escape '\\'");
