#pragma once
// What a desktop program sets up before its first window: Qt's own texts
// (buttons of message boxes, file dialogs, context menus) in Chinese, and the
// program's icon.

class QApplication;

namespace ui {

void integrateWithDesktop(QApplication &app);

}  // namespace ui
