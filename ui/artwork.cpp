#include "ui/artwork.h"

#include <QDirIterator>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>

namespace meltsim {

namespace {

using Painting = void (*)(QPainter&, qreal size);

QIcon PaintedIcon(Painting paint) {
  QIcon icon;
  for (const int size : {16, 20, 24, 32, 40, 48, 64}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, size);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

// A screw flight in a barrel, orange melt at its tip: the fallback icon.
void PaintScrewIcon(QPainter& p, qreal s) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 90, 120));
  p.drawRoundedRect(QRectF(0.04 * s, 0.28 * s, 0.92 * s, 0.44 * s), 0.08 * s, 0.08 * s);
  p.setBrush(QColor(210, 215, 225));
  p.drawRect(QRectF(0.08 * s, 0.34 * s, 0.84 * s, 0.32 * s));
  p.setBrush(QColor(240, 130, 30));
  p.drawRect(QRectF(0.64 * s, 0.34 * s, 0.28 * s, 0.32 * s));
  p.setPen(QPen(QColor(40, 40, 40), std::max(1.0, 0.07 * s)));
  for (int i = 0; i < 4; ++i) {
    const qreal x = (0.16 + 0.2 * i) * s;
    p.drawLine(QPointF(x, 0.36 * s), QPointF(x + 0.1 * s, 0.64 * s));
  }
}

void PaintCheckMark(QPainter& p, qreal s) {
  QPen pen(QColor(0, 150, 0), 0.15 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  const std::array<QPointF, 3> stroke = {QPointF(0.14 * s, 0.55 * s), QPointF(0.40 * s, 0.80 * s),
                                         QPointF(0.86 * s, 0.20 * s)};
  p.drawPolyline(stroke.data(), static_cast<int>(stroke.size()));
}

void PaintDoor(QPainter& p, qreal s) {
  // Frame, then the leaf swung open towards the viewer, then its knob.
  p.setPen(QPen(QColor(60, 60, 60), 0.06 * s));
  p.setBrush(QColor(30, 30, 30));
  p.drawRect(QRectF(0.22 * s, 0.06 * s, 0.50 * s, 0.88 * s));
  const QPolygonF leaf({QPointF(0.22 * s, 0.06 * s), QPointF(0.58 * s, 0.16 * s),
                        QPointF(0.58 * s, 0.99 * s), QPointF(0.22 * s, 0.94 * s)});
  p.setPen(QPen(QColor(90, 45, 10), 0.05 * s));
  p.setBrush(QColor(170, 100, 40));
  p.drawPolygon(leaf);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(240, 200, 40));
  p.drawEllipse(QPointF(0.50 * s, 0.56 * s), 0.05 * s, 0.05 * s);
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, qreal head) {
  const QPointF d = to - from;
  const qreal length = std::hypot(d.x(), d.y());
  const QPointF u = d / length;
  const QPointF n(-u.y(), u.x());
  p.setPen(QPen(QColor(30, 60, 150), 2.2, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(from, to - u * head * 0.8);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(30, 60, 150));
  p.drawPolygon(QPolygonF({to, to - u * head + n * head * 0.55, to - u * head - n * head * 0.55}));
}

void DrawDriveAndStand(QPainter& p) {
  p.setPen(QPen(QColor(50, 50, 50), 1));
  p.setBrush(QColor(120, 130, 120));
  p.drawRect(QRectF(4, 46, 28, 40));  // gear box
  p.setBrush(QColor(90, 100, 90));
  p.drawRect(QRectF(8, 86, 20, 8));
  p.setBrush(QColor(95, 95, 95));
  p.drawRect(QRectF(60, 80, 6, 14));  // legs under the barrel
  p.drawRect(QRectF(176, 80, 6, 14));
  p.drawRect(QRectF(2, 94, 210, 6));  // base
}

void DrawBarrelAndScrew(QPainter& p) {
  p.setPen(QPen(QColor(50, 50, 60), 1));
  p.setBrush(QColor(175, 178, 188));
  p.drawRect(QRectF(34, 50, 172, 30));  // barrel
  p.setBrush(QColor(235, 235, 232));
  p.drawRect(QRectF(34, 55, 172, 20));  // bore
  p.setBrush(QColor(110, 110, 120));
  p.drawRect(QRectF(28, 61, 176, 8));  // screw root, coupled to the drive
  p.setBrush(QColor(75, 75, 88));
  for (int i = 0; i < 13; ++i) {  // flights of the helix, seen from the side
    const qreal x = 42 + 12.5 * i;
    p.drawPolygon(QPolygonF(
        {QPointF(x, 55.5), QPointF(x + 4, 55.5), QPointF(x + 10, 74.5), QPointF(x + 6, 74.5)}));
  }
}

void DrawHeaterBands(QPainter& p) {
  p.setPen(QPen(QColor(120, 30, 10), 1));
  p.setBrush(QColor(210, 70, 35));
  for (const qreal x : {94.0, 122.0, 150.0, 178.0}) p.drawRect(QRectF(x, 46, 12, 38));
}

void DrawHopper(QPainter& p) {
  p.setPen(QPen(QColor(40, 60, 90), 1));
  p.setBrush(QColor(150, 175, 205));
  p.drawPolygon(QPolygonF({QPointF(42, 18), QPointF(88, 18), QPointF(71, 46), QPointF(71, 55),
                           QPointF(59, 55), QPointF(59, 46)}));
  p.setPen(QPen(QColor(90, 90, 90), 0.6));
  p.setBrush(QColor(250, 250, 245));
  const std::array<QPointF, 12> pellets = {QPointF(50, 23), QPointF(57, 24), QPointF(64, 23),
                                           QPointF(71, 24), QPointF(78, 23), QPointF(54, 29),
                                           QPointF(61, 30), QPointF(68, 29), QPointF(75, 30),
                                           QPointF(60, 36), QPointF(67, 37), QPointF(64, 43)};
  for (const QPointF& c : pellets) p.drawEllipse(c, 2.6, 2.2);
}

void DrawDieAndOutput(QPainter& p) {
  p.setPen(QPen(QColor(50, 50, 60), 1));
  p.setBrush(QColor(120, 120, 132));
  p.drawPolygon(
      QPolygonF({QPointF(206, 50), QPointF(222, 57), QPointF(222, 73), QPointF(206, 80)}));
  p.drawRect(QRectF(222, 61, 6, 8));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(230, 120, 30));  // the melt strand leaving the die
  p.drawRect(QRectF(228, 63, 8, 4));
  DrawArrow(p, QPointF(236, 65), QPointF(254, 65), 8);
}

}  // namespace

QIcon AppIcon() {
  // Every size the build found (icons/NxN/meltsim.png, or the same under
  // hicolor/NxN/apps), and the drawing for the sizes between.
  QIcon icon;
  QDirIterator files(QStringLiteral(":/meltsim/icons"), QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString file = files.next();
    if (file.endsWith(QStringLiteral("/meltsim.png")) ||
        file.endsWith(QStringLiteral("/meltsim.svg")))
      icon.addFile(file);
  }
  if (icon.availableSizes().isEmpty()) icon = PaintedIcon(PaintScrewIcon);
  return icon;
}

QFont WindowFont(int pixelSize) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  return font;
}

QIcon CheckMarkIcon() { return PaintedIcon(&PaintCheckMark); }

QIcon DoorIcon() { return PaintedIcon(&PaintDoor); }

QPixmap ExtruderPixmap(QSize size, qreal devicePixelRatio) {
  QPixmap pixmap(size * devicePixelRatio);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(QColor(248, 248, 244));
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(qreal(size.width()) / kExtruderSize.width(),
          qreal(size.height()) / kExtruderSize.height());
  DrawDriveAndStand(p);
  DrawBarrelAndScrew(p);
  DrawHeaterBands(p);
  DrawHopper(p);
  DrawDieAndOutput(p);
  DrawArrow(p, QPointF(65, 1), QPointF(65, 17), 7);  // feed into the hopper
  return pixmap;
}

}  // namespace meltsim
