#include "ui/eliding_label.h"

#include <QPainter>
#include <QStyle>

QSize ElidingLabel::minimumSizeHint() const
{
    // Room for the ellipsis alone, so that a layout may narrow the label.
    const QSize full = QLabel::minimumSizeHint();
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) + 2 * margin(), full.height()};
}

void ElidingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, room.width());
    // Painting is where a new text or a new width first meets the room it has.
    const QString tip = shown == text() ? QString() : text();
    if (toolTip() != tip)
        setToolTip(tip);
    style()->drawItemText(&painter, room, int(alignment()), palette(), isEnabled(), shown, foregroundRole());
}
