#pragma once

#include "preparedreport.h"

#include <QList>
#include <functional>

// Where prepared reports go to be seen: the modal preview, or, when a hook is set,
// the hook instead. Tests of callers set the hook so that printing never blocks
// and they can check what was handed over.
namespace ReportPreview {

using Hook = std::function<void(const QList<PreparedReport> &reports)>;

// Replaces the modal preview while set; an empty hook restores it.
void setHook(Hook hook);
bool hasHook();

// Shows the reports one after another in one modal preview (or hands them to the
// hook) and returns when it is closed.
void show(const QList<PreparedReport> &reports);

} // namespace ReportPreview
