#include "typing.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

void typeText(QWidget *widget, const QString &text)
{
    for (char32_t ucs4 : text.toUcs4()) {
        const QString ch = QString::fromUcs4(&ucs4, 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, ch);
        QApplication::sendEvent(widget, &release);
    }
}
