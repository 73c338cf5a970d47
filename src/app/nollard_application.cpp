#include "nollard_application.h"

#include "messages.h"

NollardApplication::NollardApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromUtf8(messages::kTitle));
}

bool NollardApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        messages::showException(e);
    }
    return false;
}
