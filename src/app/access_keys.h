#pragma once
// Access keys (Alt+letter) and the names a screen reader speaks. Each window
// sets all of its keys in one place, so the letters of a window can be read
// and kept unique together.

#include <QString>

class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QWidget;

namespace keys {

// The caption with its access key as Chinese desktop programs show it:
// "新建" and 'N' give "新建(&N)"; a closing colon and padding stay last, so
// "合计金额：" gives "合计金额(&M)：".
QString caption(const QString &text, char key);
// The caption as spoken: without the access key, the padding and the colon.
QString spoken(const QString &text);

// Buttons, check boxes and menu items: the caption gains the key; a button's
// spoken name stays the caption alone.
void set(QAbstractButton *button, char key);
void set(QAction *action, char key);
void set(QMenu *menu, char key);
// A label gains the key and leads to its field, which is named after it.
void set(QLabel *label, QWidget *buddy, char key);
// A label that names its field without a key of its own (fields that only
// show, where the window has no letters left).
void name(QLabel *label, QWidget *buddy);

}  // namespace keys
