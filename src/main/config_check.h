#pragma once
// A first start without a configuration file explains itself: which file was
// looked for, in which folder, and how to make it.

#include <QString>

// The message for a missing or unreadable file, or an empty text when the
// file can be read.
QString configFileProblem(const QString &path);
