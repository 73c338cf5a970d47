#include "reportpreview.h"

#include "reportpreviewdialog.h"

#include <QApplication>

namespace {
ReportPreview::Hook &currentHook()
{
    static ReportPreview::Hook hook;
    return hook;
}
} // namespace

void ReportPreview::setHook(Hook hook) { currentHook() = std::move(hook); }
bool ReportPreview::hasHook() { return bool(currentHook()); }

void ReportPreview::show(const QList<PreparedReport> &reports)
{
    if (const Hook &hook = currentHook()) {
        hook(reports);
        return;
    }
    ReportPreviewDialog dialog(reports, QApplication::activeWindow());
    dialog.exec();
}
