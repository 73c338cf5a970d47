#pragma once

#include <QString>
#include <stdexcept>

// A report that cannot be prepared (a template the engine cannot read as a
// template). It travels to the program's general error display like every other
// error; the text is UTF-8.
class ReportError : public std::runtime_error
{
public:
    explicit ReportError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};
