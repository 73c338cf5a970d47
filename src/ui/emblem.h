#pragma once
// The program's own picture: an anchor over waves in a blue disc. Drawn in
// code so that it needs no image plugin; the installed icon file
// (data/nollard.svg) shows the same drawing.

#include <QIcon>
#include <QPixmap>

class QPainter;
class QRectF;

namespace ui {

void paintEmblem(QPainter &painter, const QRectF &box);
QPixmap emblemPixmap(int size);
QIcon emblemIcon();

}  // namespace ui
