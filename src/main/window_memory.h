#pragma once
// Remembers the size and place of every window of the program and puts a
// window back there when it is next shown, within the screen it fits on. The
// memory is kept per login account in the desktop user's settings (not in the
// program's config.ini): several clerks share one workstation and often its
// desktop login, and each finds the windows as they left them. Windows shown
// before anyone logs in (the login window) are remembered for the workstation.
// An account with nothing remembered sees each window at its first size.

#include <QString>
#include <QStringList>

class QObject;

// Watches every window of the application from now on. `workstationWindows`
// names (objectName) the windows remembered for the workstation.
void rememberWindows(const QStringList &workstationWindows);

// The settings key under which a window's size and place are kept.
QString windowMemoryKey(const QString &account, const QString &window);
