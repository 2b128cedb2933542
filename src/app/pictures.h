#pragma once
// The window's pictures, drawn here rather than loaded: status icons, the banner and the
// logo. data/vorstel.svg is the same logo for the desktop's menus; keep the two alike.
#include <QIcon>
#include <QPixmap>
#include <string>

namespace vorstel {

// The icon of a status picture element ("Image2", "Image1(0)", ...), size in logical pixels.
QPixmap StatusIcon(const std::string& element, int size);

// The banner shown over the player table while no server is monitored.
QPixmap Banner(QSize size, qreal devicePixelRatio);

// The logo: a shield with a watchful eye over two chevrons, in a square of `size` logical pixels.
QPixmap Logo(int size, qreal devicePixelRatio);

// The logo at the sizes a window manager asks for.
QIcon AppIcon();

}  // namespace vorstel
