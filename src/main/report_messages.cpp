#include "report_messages.h"

#include "app/messages.h"
#include "report/report_notifier.h"

void routeReportMessages()
{
    report::setNotifier([](report::Severity severity, const QString &text) {
        // The engine warns of what the user can put right (another printer,
        // another folder): told as information, as the program's own refusals are.
        if (severity == report::Severity::Error)
            messages::showError(text);
        else
            messages::inform(text);
    });
}
