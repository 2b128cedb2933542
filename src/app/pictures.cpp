#include "pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QFontMetrics>
#include <QPainterPath>

namespace vorstel {

namespace {

void Disc(QPainter& p, int size, QColor fill) {
    p.setPen(QPen(fill.darker(150), size / 16.0));
    p.setBrush(fill);
    p.drawEllipse(QRectF(1, 1, size - 2, size - 2));
}

void Windows(QPainter& p, int s) {
    const qreal gap = s / 14.0, half = (s - 3 * gap) / 2;
    const QColor colours[4] = {QColor(0xf2, 0x50, 0x22), QColor(0x7f, 0xba, 0x00), QColor(0x00, 0xa4, 0xef),
                               QColor(0xff, 0xb9, 0x00)};
    for (int i = 0; i < 4; ++i)
        p.fillRect(QRectF(gap + (i % 2) * (half + gap), gap + (i / 2) * (half + gap), half, half), colours[i]);
}

void Penguin(QPainter& p, int s) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x20));
    p.drawEllipse(QRectF(s * 0.2, s * 0.05, s * 0.6, s * 0.85));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(s * 0.3, s * 0.3, s * 0.4, s * 0.55));
    p.drawEllipse(QRectF(s * 0.33, s * 0.15, s * 0.14, s * 0.14));
    p.drawEllipse(QRectF(s * 0.53, s * 0.15, s * 0.14, s * 0.14));
    p.setBrush(QColor(0xf0, 0xa0, 0x10));
    p.drawEllipse(QRectF(s * 0.42, s * 0.27, s * 0.16, s * 0.09));
    p.drawEllipse(QRectF(s * 0.18, s * 0.82, s * 0.28, s * 0.14));
    p.drawEllipse(QRectF(s * 0.54, s * 0.82, s * 0.28, s * 0.14));
}

void Mark(QPainter& p, int s, const QString& glyph) {
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(static_cast<int>(s * 0.7));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, glyph);
}

void Tick(QPainter& p, int s) {
    p.setPen(QPen(Qt::white, s / 7.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(s * 0.27, s * 0.52);
    path.lineTo(s * 0.44, s * 0.7);
    path.lineTo(s * 0.74, s * 0.32);
    p.drawPath(path);
}

void Cross(QPainter& p, int s) {
    p.setPen(QPen(Qt::white, s / 7.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.32, s * 0.32), QPointF(s * 0.68, s * 0.68));
    p.drawLine(QPointF(s * 0.68, s * 0.32), QPointF(s * 0.32, s * 0.68));
}

}  // namespace

QPixmap StatusIcon(const std::string& element, int size) {
    const qreal ratio = 2.0;  // drawn at twice the size so it stays sharp on high-DPI screens
    QPixmap pixmap(static_cast<int>(size * ratio), static_cast<int>(size * ratio));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor red(0xc8, 0x28, 0x28), green(0x2e, 0x9e, 0x3e), grey(0x90, 0x90, 0x90);
    if (element == "Image2") {
        Windows(p, size);
    } else if (element == "Image5") {
        Penguin(p, size);
    } else if (element == "Image1(0)") {  // cheats enabled on the server
        Disc(p, size, red);
        Mark(p, size, "!");
    } else if (element == "Image1(1)") {
        Disc(p, size, green);
        Tick(p, size);
    } else if (element == "Image3(0)" || element == "Image4(0)") {  // mod not running
        Disc(p, size, grey);
        Cross(p, size);
    } else {
        Disc(p, size, green);
        Tick(p, size);
    }
    return pixmap;
}

QPixmap Banner(QSize size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, size.width(), size.height());
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(0x3a, 0x4a, 0x2a));
    g.setColorAt(1, QColor(0x1c, 0x24, 0x14));
    p.fillRect(r, g);
    p.setPen(QPen(QColor(0xc8, 0xb0, 0x60), 2));
    p.drawRect(r.adjusted(1, 1, -1, -1));
    const QString text = "RCON VORSTEL  \u00b7  idle";
    QFont f = p.font();
    f.setBold(true);
    f.setLetterSpacing(QFont::PercentageSpacing, 110);
    // The largest size at which the text fits the banner.
    for (int px = std::max(8, size.height() / 2); px >= 6; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).horizontalAdvance(text) <= size.width() - 12) break;
    }
    p.setFont(f);
    p.setPen(QColor(0xf0, 0xe0, 0xa0));
    p.drawText(r, Qt::AlignCenter, text);
    return pixmap;
}

namespace {

// The logo's shapes in a unit square, as in data/vorstel.svg (whose viewBox is 256 wide).
QPainterPath Shield() {
    QPainterPath p;
    p.moveTo(0.5, 0.04);
    p.cubicTo(0.66, 0.12, 0.80, 0.13, 0.90, 0.12);
    p.lineTo(0.90, 0.48);
    p.cubicTo(0.90, 0.74, 0.72, 0.88, 0.5, 0.97);
    p.cubicTo(0.28, 0.88, 0.10, 0.74, 0.10, 0.48);
    p.lineTo(0.10, 0.12);
    p.cubicTo(0.20, 0.13, 0.34, 0.12, 0.5, 0.04);
    p.closeSubpath();
    return p;
}

QPainterPath Eye() {
    QPainterPath p;
    p.moveTo(0.22, 0.44);
    p.quadTo(0.5, 0.18, 0.78, 0.44);
    p.quadTo(0.5, 0.70, 0.22, 0.44);
    p.closeSubpath();
    return p;
}

}  // namespace

QPixmap Logo(int size, qreal ratio) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size, size);
    const QColor brass(0xc8, 0xb0, 0x60), dark(0x1f, 0x26, 0x12), cream(0xf3, 0xe6, 0xb0);

    QLinearGradient olive(0.5, 0.04, 0.5, 0.97);
    olive.setColorAt(0, QColor(0x5a, 0x6b, 0x34));
    olive.setColorAt(1, QColor(0x26, 0x2f, 0x16));
    p.setBrush(olive);
    p.setPen(QPen(brass, 0.04, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(Shield());

    p.setBrush(cream);
    p.setPen(QPen(dark, 0.025));
    p.drawPath(Eye());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3c, 0x5a, 0x2a));
    p.drawEllipse(QPointF(0.5, 0.44), 0.11, 0.11);
    p.setBrush(QColor(0x10, 0x10, 0x10));
    p.drawEllipse(QPointF(0.5, 0.44), 0.05, 0.05);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0.465, 0.405), 0.022, 0.022);

    // Two chevrons: a sergeant's stripes, and a V.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(brass, 0.05, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (qreal y : {0.66, 0.76}) {
        QPainterPath v;
        v.moveTo(0.35, y);
        v.lineTo(0.5, y + 0.1);
        v.lineTo(0.65, y);
        p.drawPath(v);
    }
    return pixmap;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(Logo(size, 1.0));
    return icon;
}

}  // namespace vorstel
