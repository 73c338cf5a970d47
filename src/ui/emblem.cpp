#include "emblem.h"

#include <QPainter>
#include <QPainterPath>

namespace ui {

void paintEmblem(QPainter &p, const QRectF &box)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(box.topLeft());
    p.scale(box.width() / 64.0, box.height() / 64.0);

    QRadialGradient disc(QPointF(26, 22), 40);
    disc.setColorAt(0, QColor(62, 130, 200));
    disc.setColorAt(1, QColor(16, 56, 110));
    p.setPen(QPen(QColor(10, 36, 72), 1.5));
    p.setBrush(disc);
    p.drawEllipse(QRectF(2, 2, 60, 60));

    // Anchor.
    QPen gold(QColor(244, 204, 96), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(gold);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(32, 14), 4, 4);
    p.drawLine(QPointF(32, 18), QPointF(32, 46));
    p.drawLine(QPointF(24, 24), QPointF(40, 24));
    QPainterPath arms;
    arms.moveTo(17, 36);
    arms.quadTo(20, 48, 32, 48);
    arms.quadTo(44, 48, 47, 36);
    p.drawPath(arms);

    // Waves.
    p.setPen(QPen(QColor(255, 255, 255, 200), 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 2; ++i) {
        QPainterPath wave;
        const double y = 52 + i * 5;
        wave.moveTo(12 + i * 4, y);
        for (double x = 12 + i * 4; x < 52 - i * 4; x += 8)
            wave.quadTo(x + 2, y - 3, x + 4, y), wave.quadTo(x + 6, y + 3, x + 8, y);
        p.drawPath(wave);
    }
    p.restore();
}

QPixmap emblemPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    paintEmblem(p, QRectF(0, 0, size, size));
    return pixmap;
}

QIcon emblemIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(emblemPixmap(size));
    return icon;
}

}  // namespace ui
