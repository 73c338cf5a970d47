#include "report/report_notifier.h"

#include <QApplication>
#include <QMessageBox>

namespace {
report::Notifier &currentNotifier()
{
    static report::Notifier notifier;
    return notifier;
}

void showBox(report::Severity severity, const QString &text, QWidget *parent)
{
    if (!parent)
        parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    const QString title = QStringLiteral("Nollard");
    switch (severity) {
    case report::Severity::Information:
        QMessageBox::information(parent, title, text);
        break;
    case report::Severity::Warning:
        QMessageBox::warning(parent, title, text);
        break;
    case report::Severity::Error:
        QMessageBox::critical(parent, title, text);
        break;
    }
}
}  // namespace

report::Notifier report::setNotifier(Notifier notifier)
{
    Notifier previous = std::move(currentNotifier());
    currentNotifier() = std::move(notifier);
    return previous;
}

void report::notify(Severity severity, const QString &text, QWidget *parent)
{
    if (const Notifier &notifier = currentNotifier())
        notifier(severity, text);
    else
        showBox(severity, text, parent);
}
