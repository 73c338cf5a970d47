#include "nollard_application.h"

#include "messages.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Every list and search lets the embedded database build and drop a scratch
// table of a few hundred kilobytes. By default the allocator hands such
// memory back to the system as soon as it is freed and asks for it again on
// the next click, paying page faults each time (about a third of a
// millisecond per search). Keeping a few megabytes at hand avoids that.
void keepFreedMemoryAtHand()
{
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, 8 * 1024 * 1024);
    mallopt(M_TOP_PAD, 1024 * 1024);
#endif
}

}  // namespace

NollardApplication::NollardApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromUtf8(messages::kTitle));
    keepFreedMemoryAtHand();
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
