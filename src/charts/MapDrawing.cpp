#include "charts/MapDrawing.h"

#include "charts/SectionOverlay.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Feet of the ground per degree of latitude (mean Earth radius, 6 371 008.8 m).
constexpr double kFeetPerDegree = 6'371'008.8 / 0.3048 * std::numbers::pi / 180.0;
constexpr double kFeetPerMile = 5280.0;

// Room the fitted track leaves, in drawing pixels: the legend's column on the right, the scale
// bar below.
constexpr double kMargin = 24.0;
constexpr double kLegendWidth = 150.0;
constexpr double kScaleBarHeight = 44.0;

const QColor kTrackColour(150, 150, 150);
const QColor kFrameColour(190, 190, 190);
const QColor kTextColour(0, 0, 0);

QColor ColourOf(std::uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QFont MapFont(double unit, double pixels, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels * unit))));
    font.setBold(bold);
    return font;
}

QPen LinePen(const QColor& colour, double width, Qt::PenCapStyle cap = Qt::RoundCap) {
    return QPen(colour, width, Qt::SolidLine, cap, Qt::RoundJoin);
}

// Text with a white halo, legible over the track.
void HaloText(QPainter& painter, const QPointF& at, const QString& text, double unit) {
    QPainterPath path;
    path.addText(at, painter.font(), text);
    painter.strokePath(path, LinePen(Qt::white, 2.5 * unit));
    painter.setPen(kTextColour);
    painter.drawText(at, text);
}

// Decimals that show limits of this size with three significant digits or so.
int DecimalsFor(const sections::ClassLimits& limits) {
    const double largest =
        std::max({std::fabs(limits.a), std::fabs(limits.b), std::fabs(limits.c), 1e-9});
    return std::clamp(2 - static_cast<int>(std::floor(std::log10(largest))), 0, 6);
}

// The longest "nice" length (1, 2 or 5 times a power of ten) not above `limit`.
double NiceLength(double limit) {
    if (!(limit > 0.0))
        return 0.0;
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= limit)
            return step * power;
    return power;
}

QString LengthText(double value, const char* unit) {
    const int decimals =
        value >= 1.0 ? 0 : std::clamp(-static_cast<int>(std::floor(std::log10(value))), 0, 6);
    return QString::number(value, 'f', decimals) + QLatin1Char(' ') + QLatin1String(unit);
}

// The scale bar, bottom left: feet above the line, miles below.
void DrawScaleBar(QPainter& painter, const QRectF& area, const MapViewport& viewport, double unit) {
    const double fpp = viewport.FeetPerPixel();
    const double maxUnits = 140.0 * unit;
    const double feet = NiceLength(maxUnits * fpp);
    const double miles = NiceLength(maxUnits * fpp / kFeetPerMile);
    if (feet <= 0.0 || miles <= 0.0)
        return;
    const double feetLength = feet / fpp;
    const double milesLength = miles * kFeetPerMile / fpp;
    const QPointF origin(area.left() + 16.0 * unit, area.bottom() - 32.0 * unit);
    const double tick = 5.0 * unit;

    painter.setFont(MapFont(unit, 11));
    const QFontMetricsF metrics(painter.font());
    const QString feetText = LengthText(feet, "ft");
    const QString milesText = LengthText(miles, "mi");
    const double labelHalf =
        std::max(metrics.horizontalAdvance(feetText), metrics.horizontalAdvance(milesText)) / 2;
    const double top = origin.y() - tick - 3.0 * unit - metrics.ascent() - 4.0 * unit;
    const double bottom = origin.y() + tick + 1.0 * unit + metrics.height() + 3.0 * unit;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 215));
    painter.drawRect(QRectF(origin.x() - 8.0 * unit, top,
                            std::max(feetLength, milesLength) + labelHalf + 16.0 * unit,
                            bottom - top));

    painter.setPen(LinePen(kTextColour, 1.5 * unit, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    const double right = origin.x() + std::max(feetLength, milesLength);
    painter.drawLine(origin, QPointF(right, origin.y()));
    painter.drawLine(origin + QPointF(0, -tick), origin + QPointF(0, tick));
    painter.drawLine(QPointF(origin.x() + feetLength, origin.y() - tick),
                     QPointF(origin.x() + feetLength, origin.y()));
    painter.drawLine(QPointF(origin.x() + milesLength, origin.y()),
                     QPointF(origin.x() + milesLength, origin.y() + tick));
    painter.setPen(kTextColour);
    painter.drawText(QPointF(origin.x() + feetLength + 4.0 * unit, origin.y() - 2.0 * unit),
                     feetText);
    painter.drawText(
        QPointF(origin.x() + milesLength + 4.0 * unit, origin.y() + metrics.ascent() + 1.0 * unit),
        milesText);
}

// The north arrow, top right: north is up in this projection.
void DrawNorthArrow(QPainter& painter, const QRectF& area, double unit) {
    const QPointF tip(area.right() - 26.0 * unit, area.top() + 26.0 * unit);
    const double h = 26.0 * unit, w = 8.0 * unit;
    QPolygonF left, right;
    left << tip << QPointF(tip.x() - w, tip.y() + h) << QPointF(tip.x(), tip.y() + 0.72 * h);
    right << tip << QPointF(tip.x() + w, tip.y() + h) << QPointF(tip.x(), tip.y() + 0.72 * h);
    painter.setPen(LinePen(kTextColour, 1.0 * unit));
    painter.setBrush(kTextColour);
    painter.drawPolygon(left);
    painter.setBrush(Qt::white);
    painter.drawPolygon(right);
    painter.setFont(MapFont(unit, 13, true));
    const QFontMetricsF metrics(painter.font());
    const QString north = QStringLiteral("N");
    painter.setPen(kTextColour);
    painter.drawText(QPointF(tip.x() - metrics.horizontalAdvance(north) / 2, tip.y() - 4.0 * unit),
                     north);
}

// A pennant on a pole whose foot is the flag's peak: it marks the place without hiding the
// colours of the road around it.
void DrawFlagMarker(QPainter& painter, const QPointF& foot, double unit) {
    const QPointF top = foot + QPointF(0, -18.0 * unit);
    painter.setPen(LinePen(kTextColour, 1.5 * unit, Qt::FlatCap));
    painter.drawLine(foot, top);
    QPolygonF pennant;
    pennant << top << top + QPointF(11.0 * unit, 4.0 * unit) << top + QPointF(0, 8.0 * unit);
    painter.setPen(LinePen(kTextColour, 1.0 * unit));
    painter.setBrush(QColor::fromRgb(sectionoverlay::kFlagColour));
    painter.drawPolygon(pennant);
    painter.setBrush(kTextColour);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(foot, 2.0 * unit, 2.0 * unit);
}

// A tick across the road, whose direction on the target is (dx, dy) (y grows downwards).
void DrawTick(QPainter& painter, const QPointF& at, double dx, double dy, double unit) {
    const double half = 10.0 * unit;
    const QPointF across(-dy * half, dx * half);
    painter.setPen(LinePen(Qt::white, 4.5 * unit, Qt::FlatCap));
    painter.drawLine(at - across, at + across);
    painter.setPen(
        LinePen(QColor::fromRgb(sectionoverlay::kBoundaryColour), 2.5 * unit, Qt::FlatCap));
    painter.drawLine(at - across, at + across);
}

// The legend, top right below the north arrow: the four classes with their limits, then the
// symbols.
void DrawLegend(QPainter& painter, const QRectF& area, const MapScene& scene, double unit) {
    const sections::ClassLimits& l = scene.limits;
    const int decimals = DecimalsFor(l);
    auto number = [&](double v) { return QString::number(v, 'f', decimals); };
    const QString rows[sections::kClassCount] = {
        QStringLiteral("≤ %1").arg(number(l.a)),
        QStringLiteral("%1 – %2").arg(number(l.a), number(l.b)),
        QStringLiteral("%1 – %2").arg(number(l.b), number(l.c)),
        QStringLiteral("> %1").arg(number(l.c))};
    const double line = 18.0 * unit;
    const double pad = 8.0 * unit;
    const QRectF box(area.right() - (kLegendWidth + 10.0) * unit, area.top() + 64.0 * unit,
                     kLegendWidth * unit, pad * 2 + line * 7.4);
    painter.setPen(LinePen(kFrameColour, 1.0 * unit));
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawRect(box);

    double y = box.top() + pad;
    const double x = box.left() + pad;
    const double swatch = 24.0 * unit;
    painter.setFont(MapFont(unit, 12, true));
    const QFontMetricsF bold(painter.font());
    painter.setPen(kTextColour);
    painter.drawText(QPointF(x, y + bold.ascent()), QStringLiteral("Result value"));
    y += line * 1.2;
    painter.setFont(MapFont(unit, 12));
    const QFontMetricsF metrics(painter.font());
    const double textDrop = (line + metrics.ascent() - metrics.descent()) / 2;
    // Highest class on top, as on a value axis.
    for (int k = sections::kClassCount - 1; k >= 0; --k) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(ColourOf(sections::ClassColour(k + 1)));
        painter.drawRect(QRectF(x, y + 3.0 * unit, swatch, line - 6.0 * unit));
        painter.setPen(kTextColour);
        painter.drawText(QPointF(x + swatch + 8.0 * unit, y + textDrop), rows[k]);
        y += line;
    }
    y += line * 0.2;
    DrawTick(painter, QPointF(x + swatch / 2, y + line / 2), 0.0, 1.0, unit);
    painter.setPen(kTextColour);
    painter.drawText(QPointF(x + swatch + 8.0 * unit, y + textDrop),
                     QStringLiteral("Section boundary"));
    y += line;
    DrawFlagMarker(painter, QPointF(x + swatch / 2 - 4.0 * unit, y + line), unit);
    painter.setPen(kTextColour);
    painter.drawText(QPointF(x + swatch + 8.0 * unit, y + textDrop),
                     QStringLiteral("Flag (number)"));
}

// The GPS track, every point at least about a pixel from the one before.
void DrawTrack(QPainter& painter, const MapScene& scene, const MapViewport& viewport, double unit) {
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(scene.track.size()));
    for (const MapScene::TrackPoint& p : scene.track) {
        const QPointF pixel = viewport.ToPixel(p.position);
        if (line.isEmpty() ||
            std::hypot(pixel.x() - line.back().x(), pixel.y() - line.back().y()) >= 0.75 * unit)
            line << pixel;
    }
    line << viewport.ToPixel(scene.track.back().position);
    painter.setPen(LinePen(kTrackColour, 8.0 * unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(line);
}

// The results along the track in pieces of about two pixels, each in the ramp colour of its
// mean value; neighbouring pieces of one colour are one line. Results further apart than a
// gap in the profile are not joined.
void DrawResults(QPainter& painter, const MapScene& scene, const MapViewport& viewport,
                 double unit) {
    const auto& results = scene.results;
    if (results.empty())
        return;
    const double width = 5.0 * unit;
    const QRectF visible = viewport.Area().adjusted(-width, -width, width, width);
    constexpr double kGapFt = 3.0; // a 1-ft profile has no larger step inside a run
    QPolygonF pending;
    std::uint32_t pendingColour = 0;
    auto flush = [&] {
        if (pending.size() >= 2) {
            painter.setPen(LinePen(ColourOf(pendingColour), width));
            painter.drawPolyline(pending);
        }
        pending.clear();
    };
    std::size_t i = 0;
    QPointF start = viewport.ToPixel(results[0].position);
    while (i < results.size()) {
        // A piece takes the results closer than two pixels to its start and runs on to the
        // next one, so that the line has no holes, unless the profile has a gap there.
        double sum = results[i].value;
        std::size_t j = i + 1;
        QPointF last = start, next;
        bool joined = false;
        for (; j < results.size(); ++j) {
            if (results[j].distance - results[j - 1].distance > kGapFt)
                break;
            next = viewport.ToPixel(results[j].position);
            if (std::hypot(next.x() - start.x(), next.y() - start.y()) >= 2.0 * unit) {
                joined = true;
                break;
            }
            sum += results[j].value;
            last = next;
        }
        const QPointF to = joined ? next : last;
        const std::uint32_t colour =
            sections::RampColour(sum / static_cast<double>(j - i), scene.limits);
        const QRectF extent = QRectF(start, to).normalized();
        if (!visible.intersects(extent.adjusted(-1, -1, 1, 1))) {
            flush();
        } else {
            if (!pending.isEmpty() && (colour != pendingColour || pending.back() != start))
                flush();
            if (pending.isEmpty()) {
                pending << start;
                pendingColour = colour;
            }
            if (to != start)
                pending << to;
            else
                pending << start + QPointF(0.01, 0); // a lone result still shows as a dot
        }
        if (!joined)
            flush();
        i = j;
        if (i < results.size())
            start = joined ? next : viewport.ToPixel(results[i].position);
    }
    flush();
}

void DrawBoundariesAndFlags(QPainter& painter, const MapScene& scene, const MapViewport& viewport,
                            double unit) {
    const QRectF visible = viewport.Area().adjusted(-20 * unit, -20 * unit, 20 * unit, 20 * unit);
    for (const MapScene::Boundary& b : scene.boundaries) {
        const QPointF at = viewport.ToPixel(b.position);
        if (visible.contains(at))
            DrawTick(painter, at, b.east, -b.north, unit);
    }
    painter.setFont(MapFont(unit, 11, true));
    const QFontMetricsF metrics(painter.font());
    std::vector<QRectF> labels; // numbers that would overlap one drawn are left out
    for (const MapScene::FlagMark& f : scene.flags) {
        const QPointF at = viewport.ToPixel(f.position);
        if (!visible.contains(at))
            continue;
        DrawFlagMarker(painter, at, unit);
        const QString text = QString::number(f.number);
        // Above the pole, clear of a road that runs any way but north.
        const QPointF origin = at + QPointF(-1.0 * unit, -21.0 * unit);
        const QRectF box(origin.x(), origin.y() - metrics.ascent(), metrics.horizontalAdvance(text),
                         metrics.height());
        if (std::any_of(labels.begin(), labels.end(),
                        [&](const QRectF& r) { return r.intersects(box); }))
            continue;
        labels.push_back(box);
        HaloText(painter, origin, text, unit);
    }
}

void DrawNoTrack(QPainter& painter, const QRectF& area, const MapScene& scene, double unit) {
    painter.setPen(kTextColour);
    painter.setFont(MapFont(unit, 20, true));
    const QRectF title(area.left(), area.center().y() - 40.0 * unit, area.width(), 32.0 * unit);
    painter.drawText(title, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("No GPS track"));
    painter.setFont(MapFont(unit, 13));
    const QRectF why(area.left() + area.width() * 0.15, area.center().y() + 4.0 * unit,
                     area.width() * 0.7, area.height() / 2 - 8.0 * unit);
    painter.drawText(
        why, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
        QString::fromStdString(scene.problem.empty() ? "nothing to draw" : scene.problem));
}

} // namespace

MapScene BuildMapScene(const sections::Profile& profile, const sections::Result& result,
                       const geo::GeoTrack& track, const sections::ClassLimits& limits) {
    MapScene scene;
    scene.limits = limits;
    if (!track.Usable()) {
        scene.problem = track.Problem().empty() ? "no GPS track" : track.Problem();
        return scene;
    }
    double latitudes = 0.0;
    for (const geo::GeoTrack::Point& p : track.Points()) {
        scene.track.push_back({p.position, p.distance});
        latitudes += p.position.latitude;
    }
    scene.meanLatitude = latitudes / static_cast<double>(scene.track.size());

    const std::size_t n = std::min(profile.distance.size(), profile.value.size());
    scene.results.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        scene.results.push_back(
            {*track.Locate(profile.distance[i]), profile.distance[i], profile.value[i]});

    // The road's direction at a boundary, from the track 20 ft either side of it.
    const double cosine = std::cos(scene.meanLatitude * std::numbers::pi / 180.0);
    auto boundary = [&](double distance) {
        MapScene::Boundary b{*track.Locate(distance), distance, 1.0, 0.0};
        const geo::Position before = *track.Locate(distance - 20.0);
        const geo::Position after = *track.Locate(distance + 20.0);
        const double east = (after.longitude - before.longitude) * cosine;
        const double north = after.latitude - before.latitude;
        const double length = std::hypot(east, north);
        if (length > 0.0) {
            b.east = east / length;
            b.north = north / length;
        }
        return b;
    };
    for (const sections::Section& s : result.sections)
        scene.boundaries.push_back(boundary(s.startFt));
    if (!result.sections.empty())
        scene.boundaries.push_back(boundary(result.sections.back().endFt));
    for (const sections::Flag& f : result.flags)
        scene.flags.push_back({*track.Locate(f.peakFt), f.peakFt, f.number});
    return scene;
}

double MapPixelUnit(const QPainter& painter) {
    const QPaintDevice* device = painter.device();
    const double dpi = device ? device->logicalDpiY() : 96.0;
    // A world or window transform that scales changes what a unit of the painter measures.
    const QTransform t = painter.combinedTransform();
    const double scale = std::sqrt(std::fabs(t.determinant()));
    return dpi / 96.0 / (scale > 0.0 ? scale : 1.0);
}

MapViewport MapViewport::Fit(const MapScene& scene, const QRectF& area, double pixelUnit) {
    MapViewport v;
    v.area_ = area;
    v.meanLatitude_ = scene.meanLatitude;
    if (scene.track.empty())
        return v;
    double south = 90.0, north = -90.0, west = 180.0, east = -180.0;
    for (const MapScene::TrackPoint& p : scene.track) {
        south = std::min(south, p.position.latitude);
        north = std::max(north, p.position.latitude);
        west = std::min(west, p.position.longitude);
        east = std::max(east, p.position.longitude);
    }
    // The room the decorations leave, and the centre of that room.
    const QRectF room = area.adjusted(kMargin * pixelUnit, kMargin * pixelUnit,
                                      -(kMargin + kLegendWidth) * pixelUnit,
                                      -(kMargin + kScaleBarHeight) * pixelUnit);
    const double cosine = std::cos(v.meanLatitude_ * std::numbers::pi / 180.0);
    const double widthFt = (east - west) * cosine * kFeetPerDegree;
    const double heightFt = (north - south) * kFeetPerDegree;
    const double w = std::max(room.width(), 1.0), h = std::max(room.height(), 1.0);
    v.feetPerPixel_ = std::max({widthFt / w, heightFt / h, 0.01});
    v.fittedFeetPerPixel_ = v.feetPerPixel_;
    // The track's middle at the middle of the room, which lies off the area's centre.
    v.centre_ = {(south + north) / 2, (west + east) / 2};
    v.centre_ = v.ToPosition(area.center() + (area.center() - room.center()));
    return v;
}

QPointF MapViewport::ToPixel(const geo::Position& p) const {
    const double cosine = std::cos(meanLatitude_ * std::numbers::pi / 180.0);
    const double x = (p.longitude - centre_.longitude) * cosine * kFeetPerDegree / feetPerPixel_;
    const double y = (p.latitude - centre_.latitude) * kFeetPerDegree / feetPerPixel_;
    return area_.center() + QPointF(x, -y);
}

geo::Position MapViewport::ToPosition(const QPointF& pixel) const {
    const double cosine = std::cos(meanLatitude_ * std::numbers::pi / 180.0);
    const QPointF d = pixel - area_.center();
    return {centre_.latitude - d.y() * feetPerPixel_ / kFeetPerDegree,
            centre_.longitude + d.x() * feetPerPixel_ / (kFeetPerDegree * cosine)};
}

void MapViewport::ZoomAbout(const QPointF& pixel, double factor) {
    if (!(factor > 0.0))
        return;
    const geo::Position held = ToPosition(pixel);
    // From a few inches of road across the screen to a few times the whole track.
    feetPerPixel_ = std::clamp(feetPerPixel_ / factor, 0.02, fittedFeetPerPixel_ * 8.0);
    const geo::Position now = ToPosition(pixel);
    centre_.latitude += held.latitude - now.latitude;
    centre_.longitude += held.longitude - now.longitude;
}

void MapViewport::Pan(const QPointF& delta) {
    centre_ = ToPosition(area_.center() - delta);
}

void DrawMap(QPainter& painter, const QRectF& area, const MapScene& scene,
             const MapViewport& viewport) {
    const double unit = MapPixelUnit(painter);
    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(area, Qt::white);
    if (!scene.HasTrack()) {
        DrawNoTrack(painter, area, scene, unit);
    } else {
        DrawTrack(painter, scene, viewport, unit);
        DrawResults(painter, scene, viewport, unit);
        DrawBoundariesAndFlags(painter, scene, viewport, unit);
        DrawScaleBar(painter, area, viewport, unit);
        DrawNorthArrow(painter, area, unit);
        // Before the sections are known there is nothing to explain.
        if (!scene.results.empty())
            DrawLegend(painter, area, scene, unit);
    }
    painter.setPen(LinePen(kFrameColour, 1.0 * unit, Qt::SquareCap));
    painter.setBrush(Qt::NoBrush);
    const double inset = 0.5 * unit;
    painter.drawRect(area.adjusted(inset, inset, -inset, -inset));
    painter.restore();
}

int NearestMapResult(const MapScene& scene, const MapViewport& viewport, const QPointF& pixel,
                     double maxPixels) {
    int nearest = -1;
    double best = maxPixels * maxPixels;
    for (std::size_t i = 0; i < scene.results.size(); ++i) {
        const QPointF d = viewport.ToPixel(scene.results[i].position) - pixel;
        const double squared = d.x() * d.x() + d.y() * d.y();
        // The first of equally near results, along the road.
        if (squared < best || (nearest < 0 && squared == best)) {
            nearest = static_cast<int>(i);
            best = squared;
        }
    }
    return nearest;
}
