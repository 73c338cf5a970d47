#pragma once
// Types text into a widget key by key, Chinese included (QTest::keyClicks
// takes Latin-1 only), as a user typing through an input method would.

#include <QString>

class QWidget;

void typeText(QWidget *widget, const QString &text);
