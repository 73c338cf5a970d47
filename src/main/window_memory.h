#pragma once
// Remembers a window's size and place for the user of this workstation (the
// desktop's per-user settings, not the program's config.ini), and puts the
// window back there when it is next shown, within the screen it fits on.

#include <QString>

class QWidget;

void rememberGeometry(QWidget *window, const QString &key);
