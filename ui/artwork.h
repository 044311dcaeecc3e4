// The window's font and pictures, all drawn in code so that they stay sharp
// at any display scale.
#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace meltsim {

// The proportional window font (it has the degree Celsius sign) at a pixel size.
QFont WindowFont(int pixelSize);

// A green check mark, the picture of GO and OK buttons.
QIcon CheckMarkIcon();

// A door standing open, the picture of the Close button.
QIcon DoorIcon();

// The application's icon: the drawn icon of the packaging (built in from
// data/icons when the build found it), else a screw drawn here.
QIcon AppIcon();

// The single-screw extruder: hopper with a feed arrow, screw in a barrel
// with heater bands, die with an output arrow. `size` is in logical pixels;
// the pixmap carries `devicePixelRatio` so it is drawn at full resolution.
QPixmap ExtruderPixmap(QSize size, qreal devicePixelRatio);

// The logical size the extruder picture is designed for.
constexpr QSize kExtruderSize(256, 109);

}  // namespace meltsim
