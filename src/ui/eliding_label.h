#pragma once

#include <QLabel>

// A one-line label that, when its room is too narrow, ends its text with "…"
// instead of cutting a character in half, and then shows the whole text as
// its tool tip. text() and the accessible name keep the whole text.
class ElidingLabel : public QLabel
{
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
