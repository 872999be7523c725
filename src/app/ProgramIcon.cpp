#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QImage ProgramIconPicture(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0); // drawn on the 64 x 64 grid of the SVG

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x5a, 0x92));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // the road, with the bowl the load presses into it
    QPainterPath road;
    road.moveTo(2, 42);
    road.lineTo(18, 42);
    road.cubicTo(24, 42, 26, 48, 32, 48);
    road.cubicTo(38, 48, 40, 42, 46, 42);
    road.lineTo(62, 42);
    road.lineTo(62, 50);
    road.arcTo(QRectF(38, 38, 24, 24), 0, -90);
    road.lineTo(14, 62);
    road.arcTo(QRectF(2, 38, 24, 24), -90, -90);
    road.closeSubpath();
    p.setBrush(QColor(0x3b, 0x41, 0x48));
    p.drawPath(road);
    QPainterPath surface;
    surface.moveTo(4, 42);
    surface.lineTo(18, 42);
    surface.cubicTo(24, 42, 26, 48, 32, 48);
    surface.cubicTo(38, 48, 40, 42, 46, 42);
    surface.lineTo(60, 42);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(surface);

    // the actuator: cylinder, rod and foot plate
    p.setPen(QPen(QColor(0x26, 0x32, 0x42), 1.5));
    p.setBrush(QColor(0xf0, 0x8a, 0x24));
    p.drawRoundedRect(QRectF(22, 8, 20, 20), 3, 3);
    p.setBrush(QColor(0xc8, 0xd2, 0xdc));
    p.drawRect(QRectF(29, 28, 6, 10));
    p.setBrush(QColor(0x26, 0x32, 0x42));
    p.drawRect(QRectF(24, 38, 16, 5));
    return image;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(ProgramIconPicture(size)));
    return icon;
}
