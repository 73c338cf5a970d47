#include "report/report_variables.h"

namespace {
QVariantMap &store()
{
    static QVariantMap variables;
    return variables;
}
}  // namespace

void ReportVariables::set(const QString &name, const QString &value)
{
    store().insert(name, value);
}
void ReportVariables::set(const QString &name, const char *value)
{
    store().insert(name, QString::fromUtf8(value));
}
void ReportVariables::set(const QString &name, qint64 value)
{
    store().insert(name, value);
}
void ReportVariables::set(const QString &name, int value)
{
    store().insert(name, qint64(value));
}

QVariant ReportVariables::value(const QString &name)
{
    return store().value(name);
}
QVariantMap ReportVariables::all()
{
    return store();
}
void ReportVariables::clear()
{
    store().clear();
}
