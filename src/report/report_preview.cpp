#include "report/report_preview.h"

#include "report/report_preview_dialog.h"

#include <QApplication>

namespace {
ReportPreview::Hook &currentHook()
{
    static ReportPreview::Hook hook;
    return hook;
}
bool &lastPrintFailed()
{
    static bool failed = false;
    return failed;
}
}  // namespace

void ReportPreview::notePrintOutcome(bool printed)
{
    lastPrintFailed() = !printed;
}

void ReportPreview::setHook(Hook hook)
{
    currentHook() = std::move(hook);
}
bool ReportPreview::hasHook()
{
    return bool(currentHook());
}

bool ReportPreview::show(const QList<PreparedReport> &reports)
{
    lastPrintFailed() = false;
    if (const Hook &hook = currentHook()) {
        hook(reports);
    } else {
        ReportPreviewDialog dialog(reports, QApplication::activeWindow());
        dialog.exec();
    }
    return !lastPrintFailed();
}
