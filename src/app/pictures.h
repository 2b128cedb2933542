#pragma once
// The window's pictures, drawn here rather than loaded: status icons and the banner.
#include <QPixmap>
#include <string>

namespace vorstel {

// The icon of a status picture element ("Image2", "Image1(0)", ...), size in logical pixels.
QPixmap StatusIcon(const std::string& element, int size);

// The banner shown over the player table while no server is monitored.
QPixmap Banner(QSize size, qreal devicePixelRatio);

}  // namespace vorstel
