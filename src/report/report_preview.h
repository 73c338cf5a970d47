#pragma once

#include "report/prepared_report.h"

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
// hook) and returns when it is closed: false when the last print started from
// the preview failed (the printer could not be opened or reported an error),
// true otherwise, also when the preview was closed without printing.
bool show(const QList<PreparedReport> &reports);

// Records the outcome of a print from the preview (the preview does this; a
// hook standing in for a printer that fails calls it with false).
void notePrintOutcome(bool printed);

}  // namespace ReportPreview
