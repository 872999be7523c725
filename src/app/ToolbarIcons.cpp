#include "app/ToolbarIcons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace toolbaricons {

namespace {

// One palette for every button: dark outlines, a blue for actions, orange for the load cell,
// green for the geophone.
const QColor kInk(38, 50, 66);
const QColor kBlue(28, 108, 190);
const QColor kLightBlue(222, 235, 250);
const QColor kOrange(226, 122, 24);
const QColor kGreen(34, 138, 72);
const QColor kRed(206, 40, 40);
const QColor kPurple(118, 58, 170);
const QColor kSteel(124, 138, 154);
const QColor kWood(160, 102, 48);

QFont BoldFont(int pixelSize) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

QPen InkPen(qreal width, const QColor& colour = kInk) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Text(QPainter& p, const QRectF& box, const QString& text, int pixelSize, const QColor& colour,
          int flags = Qt::AlignCenter) {
    p.setFont(BoldFont(pixelSize));
    p.setPen(colour);
    p.drawText(box, flags, text);
}

void Triangle(QPainter& p, QPointF tip, qreal depth, qreal halfHeight, const QColor& colour) {
    // depth > 0 points right, < 0 points left
    const QPointF points[3] = {
        tip, {tip.x() - depth, tip.y() - halfHeight}, {tip.x() - depth, tip.y() + halfHeight}};
    p.setPen(InkPen(1.2, colour.darker(140)));
    p.setBrush(colour);
    p.drawPolygon(points, 3);
}

// A page with a folded corner.
QPainterPath Page(const QRectF& r, qreal fold) {
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    return page;
}

void DrawPage(QPainter& p, const QRectF& r, qreal fold) {
    p.setPen(InkPen(1.3));
    p.setBrush(Qt::white);
    p.drawPath(Page(r, fold));
    p.setBrush(QColor(210, 218, 228));
    const QPointF corner[3] = {{r.right() - fold, r.top()},
                               {r.right() - fold, r.top() + fold},
                               {r.right(), r.top() + fold}};
    p.drawPolygon(corner, 3);
}

// A data file: a page with a recorded wave on it.
void DataFile(QPainter& p, const QRectF& r) {
    DrawPage(p, r, 6);
    QPainterPath wave;
    const qreal y = r.center().y() + 2;
    wave.moveTo(r.left() + 3, y);
    const qreal step = (r.width() - 6) / 6;
    for (int i = 1; i <= 6; ++i)
        wave.lineTo(r.left() + 3 + i * step, y + ((i % 2) ? -6 : 6) * (i == 6 ? 0 : 1));
    p.setPen(InkPen(1.6, kBlue));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    p.setPen(InkPen(1.2, kSteel));
    p.drawLine(QPointF(r.left() + 3, r.top() + 5), QPointF(r.right() - 8, r.top() + 5));
}

// The load actuator: a hydraulic cylinder pressing its foot plate on the road, in 26 x 30.
void LoadActuator(QPainter& p, qreal x) {
    QLinearGradient body(x + 5, 0, x + 21, 0);
    body.setColorAt(0, kOrange.lighter(135));
    body.setColorAt(1, kOrange.darker(115));
    p.setPen(InkPen(1.3));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(x + 5, 2, 16, 14), 2, 2);
    p.drawLine(QPointF(x + 5, 6), QPointF(x + 21, 6));
    p.setBrush(kSteel.lighter(130));
    p.drawRect(QRectF(x + 10.5, 16, 5, 6));
    p.setBrush(kInk);
    p.drawRect(QRectF(x + 3, 22, 20, 3));
    // the road under it
    p.setPen(InkPen(1.4));
    p.drawLine(QPointF(x + 1, 28), QPointF(x + 25, 28));
    p.setPen(InkPen(1.0, kSteel));
    for (qreal hx = x + 3; hx < x + 25; hx += 4)
        p.drawLine(QPointF(hx, 28.5), QPointF(hx - 2.5, 31));
}

// The geophone: a round sensor marked "G" with its spike, in 26 x 30.
void Geophone(QPainter& p, qreal x) {
    const QPointF centre(x + 13, 12.5);
    p.setPen(InkPen(1.3));
    p.setBrush(kInk);
    const QPointF spike[3] = {{centre.x() - 4, 21}, {centre.x() + 4, 21}, {centre.x(), 30.5}};
    p.drawPolygon(spike, 3);
    QLinearGradient shade(0, 2, 0, 23);
    shade.setColorAt(0, kGreen.lighter(140));
    shade.setColorAt(1, kGreen.darker(120));
    p.setBrush(shade);
    p.drawEllipse(centre, 10.5, 10.5);
    Text(p, QRectF(centre.x() - 10, centre.y() - 10, 20, 20), QStringLiteral("G"), 16, Qt::white);
}

void Phi(QPainter& p, qreal cx) {
    p.setPen(InkPen(2.6, kPurple));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(cx, 16), 7.5, 7);
    p.drawLine(QPointF(cx, 3), QPointF(cx, 29));
}

void Plus(QPainter& p, qreal cx) {
    p.setPen(QPen(kBlue, 5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(cx - 9, 16), QPointF(cx + 9, 16));
    p.drawLine(QPointF(cx, 7), QPointF(cx, 25));
}

void HammerAndWrench(QPainter& p) {
    // The wrench, drawn upright and turned: an open jaw on a round head, a shaft and a tail.
    p.save();
    p.translate(28.5, 16);
    p.rotate(40);
    QPainterPath head;
    head.addEllipse(QPointF(0, -10), 6.5, 6.5);
    QPainterPath jaw;
    jaw.addRect(QRectF(-2.4, -18, 4.8, 9));
    QPainterPath wrench = head.subtracted(jaw);
    QPainterPath shaft;
    shaft.addRoundedRect(QRectF(-2.4, -5, 4.8, 20), 2.4, 2.4);
    wrench = wrench.united(shaft);
    p.setPen(InkPen(1.2));
    p.setBrush(kSteel.lighter(125));
    p.drawPath(wrench);
    p.restore();

    // The hammer, turned the other way: wooden handle, steel head.
    p.save();
    p.translate(28.5, 16);
    p.rotate(-40);
    p.setPen(InkPen(1.2));
    p.setBrush(kWood);
    p.drawRoundedRect(QRectF(-2, -8, 4, 23), 1.5, 1.5);
    p.setBrush(kInk.lighter(150));
    p.drawRoundedRect(QRectF(-8.5, -14, 17, 7), 1.5, 1.5);
    p.restore();
}

void Eject(QPainter& p) {
    p.setPen(InkPen(1.3, kBlue.darker(140)));
    p.setBrush(kBlue);
    const QPointF triangle[3] = {{28.5, 3}, {15, 18}, {42, 18}};
    p.drawPolygon(triangle, 3);
    p.drawRoundedRect(QRectF(15, 22, 27, 6), 1, 1);
}

void ResultCurve(QPainter& p) {
    p.setPen(InkPen(1.4));
    p.drawLine(QPointF(6, 3), QPointF(6, 28));
    p.drawLine(QPointF(6, 28), QPointF(53, 28));
    QPainterPath curve;
    curve.moveTo(9, 20);
    curve.cubicTo(15, 8, 21, 10, 27, 15);
    curve.cubicTo(33, 20, 39, 6, 51, 9);
    p.setPen(InkPen(2.0, kBlue));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    // good points on the curve, bad ones off it
    p.setPen(InkPen(1.0, kGreen.darker(130)));
    p.setBrush(kGreen);
    for (const QPointF& point : {QPointF(13.5, 12.8), QPointF(27, 15), QPointF(46, 8.6)})
        p.drawEllipse(point, 2.6, 2.6);
    p.setPen(InkPen(2.0, kRed));
    for (const QPointF& point : {QPointF(20, 23), QPointF(37, 22.5)}) {
        p.drawLine(point + QPointF(-2.6, -2.6), point + QPointF(2.6, 2.6));
        p.drawLine(point + QPointF(-2.6, 2.6), point + QPointF(2.6, -2.6));
    }
}

void DataView(QPainter& p, int number) {
    p.setPen(InkPen(1.2, kBlue));
    p.setBrush(kLightBlue);
    p.drawRoundedRect(QRectF(2.5, 1.5, 52, 29), 4, 4);
    Text(p, QRectF(2, 2, 53, 14), QStringLiteral("Data"), 12, kInk);
    Text(p, QRectF(2, 15, 53, 15), QStringLiteral("View %1").arg(number), 12, kInk);
}

void RawSegment(QPainter& p, bool next) {
    if (next) {
        Text(p, QRectF(4, 1, 26, 30), QStringLiteral("R"), 26, kInk);
        Triangle(p, QPointF(52, 16), 17, 11, kBlue);
    } else {
        Triangle(p, QPointF(5, 16), -17, 11, kBlue);
        Text(p, QRectF(27, 1, 26, 30), QStringLiteral("R"), 26, kInk);
    }
}

void Other(QPainter& p) {
    p.setPen(InkPen(1.2, kSteel));
    p.setBrush(QColor(240, 243, 246));
    p.drawRoundedRect(QRectF(2.5, 4.5, 52, 23), 4, 4);
    Text(p, QRectF(2, 4, 53, 24), QStringLiteral("Other"), 16, kInk);
}

// A folded map with a road across it coloured green to red, and a pin on a weak spot.
void Map(QPainter& p) {
    const QPointF sheet[6] = {{5, 5}, {20, 2}, {37, 5}, {52, 2}, {52, 28}, {5, 30}};
    p.setPen(InkPen(1.2, kSteel));
    p.setBrush(QColor(240, 243, 246));
    p.drawPolygon(sheet, 6);
    p.setPen(QPen(kSteel, 0.8, Qt::DashLine));
    p.drawLine(QPointF(20, 3), QPointF(20, 29));
    p.drawLine(QPointF(37, 5), QPointF(37, 28));
    QLinearGradient ramp(QPointF(8, 25), QPointF(49, 8));
    ramp.setColorAt(0.0, QColor(0x1A, 0x96, 0x41));
    ramp.setColorAt(0.4, QColor(0xA6, 0xD9, 0x6A));
    ramp.setColorAt(0.7, QColor(0xFD, 0xAE, 0x61));
    ramp.setColorAt(1.0, QColor(0xD7, 0x19, 0x1C));
    QPainterPath road;
    road.moveTo(8, 25);
    road.cubicTo(18, 25, 22, 14, 31, 16);
    road.cubicTo(39, 18, 42, 9, 49, 8);
    p.setPen(QPen(QBrush(ramp), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(road);
    p.setPen(InkPen(1.2));
    p.drawLine(QPointF(40, 12), QPointF(40, 3.5));
    const QPointF pennant[3] = {{40, 3.5}, {47, 5.8}, {40, 8}};
    p.setBrush(kOrange);
    p.drawPolygon(pennant, 3);
}

void ExportText(QPainter& p) {
    const QRectF page(30, 1.5, 25, 29);
    DrawPage(p, page, 6);
    p.setFont(BoldFont(8));
    p.setPen(kInk);
    const char* rows[3] = {"12.5", "13.1", "12.9"};
    for (int i = 0; i < 3; ++i)
        p.drawText(QRectF(page.left() + 3, page.top() + 6.5 + i * 7, 19, 7),
                   Qt::AlignLeft | Qt::AlignVCenter, QLatin1String(rows[i]));
    // the arrow into the page
    p.setPen(QPen(kBlue, 4, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(3, 16), QPointF(20, 16));
    Triangle(p, QPointF(30, 16), 11, 7.5, kBlue);
}

void ConvertTo(QPainter& p) {
    Text(p, QRectF(1, 2, 27, 28), QStringLiteral("To:"), 16, kInk);
    const QPointF centre(43, 16);
    p.setPen(InkPen(1.0, kRed.darker(130)));
    for (const auto& [radius, colour] :
         {std::pair{12.5, kRed}, std::pair{9.0, QColor(Qt::white)}, std::pair{5.5, kRed}}) {
        p.setBrush(colour);
        p.drawEllipse(centre, radius, radius);
    }
    p.setPen(InkPen(1.2, kInk));
    p.drawLine(centre + QPointF(-14.5, 0), centre + QPointF(-3, 0));
    p.drawLine(centre + QPointF(3, 0), centre + QPointF(14.5, 0));
    p.drawLine(centre + QPointF(0, -14.5), centre + QPointF(0, -3));
    p.drawLine(centre + QPointF(0, 3), centre + QPointF(0, 14.5));
}

void RunningManAtDoor(QPainter& p) {
    // the door frame and the door swung open
    p.setPen(InkPen(1.4));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(35, 2.5, 17, 26));
    p.setBrush(kWood.lighter(120));
    const QPointF door[4] = {{52, 2.5}, {46, 5.5}, {46, 31}, {52, 28.5}};
    p.drawPolygon(door, 4);
    p.drawLine(QPointF(30, 28.5), QPointF(56, 28.5));

    // the runner, heading for the door
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(22, 5.5), 3.3, 3.3);
    p.setPen(InkPen(3.0, kGreen));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(21, 10), QPointF(17.5, 18.5)); // body
    QPainterPath limbs;
    limbs.moveTo(10, 12.5); // back arm
    limbs.lineTo(14.5, 14);
    limbs.lineTo(20.5, 11);
    limbs.lineTo(25, 14.5); // front arm
    limbs.lineTo(29, 12);
    limbs.moveTo(6, 23); // back leg
    limbs.lineTo(11.5, 24);
    limbs.lineTo(17.5, 18.5);
    limbs.lineTo(23, 22.5); // front leg
    limbs.lineTo(22, 29);
    p.drawPath(limbs);
}

void Draw(QPainter& p, ViewCommand command) {
    switch (command) {
    case ViewCommand::Options:
        HammerAndWrench(p);
        break;
    case ViewCommand::Open:
        Eject(p);
        break;
    case ViewCommand::LoadSignal:
        LoadActuator(p, 1);
        DataFile(p, QRectF(31, 2, 23, 28));
        break;
    case ViewCommand::GeoSignal:
        Geophone(p, 1);
        DataFile(p, QRectF(31, 2, 23, 28));
        break;
    case ViewCommand::LoadSpectrum:
        LoadActuator(p, 1);
        Phi(p, 43);
        break;
    case ViewCommand::GeoSpectrum:
        Geophone(p, 1);
        Phi(p, 43);
        break;
    case ViewCommand::LoadFiltered:
        LoadActuator(p, 1);
        Plus(p, 43);
        break;
    case ViewCommand::GeoFiltered:
        Geophone(p, 1);
        Plus(p, 43);
        break;
    case ViewCommand::PreviousPage:
        Triangle(p, QPointF(17, 16), -23, 13, kBlue);
        break;
    case ViewCommand::NextPage:
        Triangle(p, QPointF(40, 16), 23, 13, kBlue);
        break;
    case ViewCommand::ResultView:
        ResultCurve(p);
        break;
    case ViewCommand::DataView1:
        DataView(p, 1);
        break;
    case ViewCommand::DataView2:
        DataView(p, 2);
        break;
    case ViewCommand::PreviousSegment:
        RawSegment(p, false);
        break;
    case ViewCommand::NextSegment:
        RawSegment(p, true);
        break;
    case ViewCommand::Other:
        Other(p);
        break;
    case ViewCommand::TextExport:
        ExportText(p);
        break;
    case ViewCommand::ConversionExport:
        ConvertTo(p);
        break;
    case ViewCommand::DataView3:
        DataView(p, 3);
        break;
    case ViewCommand::DataView4:
        DataView(p, 4);
        break;
    case ViewCommand::Exit:
        RunningManAtDoor(p);
        break;
    case ViewCommand::Map:
        Map(p);
        break;
    }
}

} // namespace

namespace {

template <typename Drawing> QImage Paint(qreal devicePixelRatio, Drawing draw) {
    QImage image(kIconSize * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    draw(painter);
    return image;
}

void Sections(QPainter& p) {
    // the weak spot, under the curve
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 140, 0, 110));
    p.drawRect(QRectF(38, 4, 9, 24));
    p.setPen(InkPen(1.4));
    p.drawLine(QPointF(6, 3), QPointF(6, 28));
    p.drawLine(QPointF(6, 28), QPointF(53, 28));
    QPainterPath curve;
    curve.moveTo(8, 20);
    curve.cubicTo(13, 17, 17, 23, 22, 20);
    curve.cubicTo(26, 12, 30, 15, 35, 13);
    curve.cubicTo(40, 5, 44, 8, 51, 14);
    p.setPen(InkPen(2.0, kBlue));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    // a boundary and the sections' means
    p.setPen(QPen(kInk, 1.2, Qt::DashLine));
    p.drawLine(QPointF(23.5, 3), QPointF(23.5, 28));
    p.setPen(InkPen(1.6, kPurple));
    p.drawLine(QPointF(8, 18), QPointF(23, 18));
    p.drawLine(QPointF(24, 11), QPointF(52, 11));
}

} // namespace

QImage Picture(ViewCommand command, qreal devicePixelRatio) {
    return Paint(devicePixelRatio, [command](QPainter& p) { Draw(p, command); });
}

QImage SectionsPicture(qreal devicePixelRatio) {
    return Paint(devicePixelRatio, Sections);
}

QIcon SectionsIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(SectionsPicture(1.0)));
    icon.addPixmap(QPixmap::fromImage(SectionsPicture(2.0)));
    return icon;
}

QIcon Icon(ViewCommand command) {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(Picture(command, 1.0)));
    icon.addPixmap(QPixmap::fromImage(Picture(command, 2.0)));
    return icon;
}

} // namespace toolbaricons
