#include "charts/ProfileChart.h"

#include "charts/SectionOverlay.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// A round step giving about `count` ticks over `span`.
double TickStep(double span, int count) {
    const double raw = span / std::max(1, count);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= factor * power)
            return factor * power;
    return 10.0 * power;
}

struct Range {
    double low = 0.0;
    double high = 1.0;
};

Range ValueRange(const sections::Profile& profile, const sections::Result& result) {
    Range range{std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest()};
    for (double v : profile.value)
        if (std::isfinite(v)) {
            range.low = std::min(range.low, v);
            range.high = std::max(range.high, v);
        }
    for (const sections::Section& s : result.sections)
        range.high = std::max(range.high, s.characteristic);
    if (range.low > range.high)
        return {0.0, 1.0};
    if (range.high - range.low < 1e-9)
        range.high = range.low + 1.0;
    const double step = TickStep(range.high - range.low, 6);
    return {std::floor(range.low / step) * step, std::ceil(range.high / step) * step};
}

} // namespace

void DrawProfileChart(QPainter& painter, const QRectF& area, const sections::Profile& profile,
                      const sections::Result& result) {
    painter.save();
    QFont font = painter.font();
    font.setPointSizeF(6.5);
    painter.setFont(font);
    const QRectF plot = area.adjusted(34.0, 8.0, -6.0, -24.0);
    const std::size_t n = profile.value.size();
    const double x0 = n ? profile.distance.front() : 0.0;
    double x1 = n ? profile.distance.back() : 1.0;
    if (x1 <= x0)
        x1 = x0 + 1.0;
    const Range y = ValueRange(profile, result);
    auto px = [&](double d) { return plot.left() + (d - x0) / (x1 - x0) * plot.width(); };
    auto py = [&](double v) {
        return plot.bottom() - (v - y.low) / (y.high - y.low) * plot.height();
    };

    // Grid and tick labels.
    painter.setPen(QPen(QColor(220, 220, 220), 0.4));
    const double yStep = TickStep(y.high - y.low, 6);
    for (double v = y.low; v <= y.high + yStep * 1e-6; v += yStep) {
        painter.drawLine(QPointF(plot.left(), py(v)), QPointF(plot.right(), py(v)));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), py(v) - 5, 30, 10), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(v, 'g', 4));
        painter.setPen(QPen(QColor(220, 220, 220), 0.4));
    }
    const double xStep = TickStep(x1 - x0, 10);
    for (double d = std::ceil(x0 / xStep) * xStep; d <= x1; d += xStep) {
        painter.drawLine(QPointF(px(d), plot.top()), QPointF(px(d), plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(px(d) - 30, plot.bottom() + 2, 60, 9), Qt::AlignCenter,
                         QString::number(d, 'f', 0));
        painter.setPen(QPen(QColor(220, 220, 220), 0.4));
    }
    painter.setPen(Qt::black);
    painter.drawText(QRectF(plot.left(), plot.bottom() + 12, plot.width(), 10), Qt::AlignCenter,
                     QStringLiteral("Distance (ft)"));

    painter.setClipRect(plot);
    // Flags under the line.
    QColor flagColour = QColor::fromRgb(sectionoverlay::kFlagColour);
    flagColour.setAlpha(sectionoverlay::kFlagAlpha);
    for (const sections::Flag& flag : result.flags) {
        const double left = px(flag.startFt);
        const double width = std::max(0.6, px(flag.endFt) - left);
        painter.fillRect(QRectF(left, plot.top(), width, plot.height()), flagColour);
    }

    // The results: per sliver of a quarter point, its lowest and highest value in road order.
    QPainterPath line;
    const int slivers = std::max(1, static_cast<int>(plot.width() * 4));
    std::size_t i = 0;
    bool started = false;
    for (int s = 0; s < slivers && i < n; ++s) {
        const double end = x0 + (x1 - x0) * (s + 1) / slivers;
        double low = std::numeric_limits<double>::max(),
               high = std::numeric_limits<double>::lowest();
        std::size_t lowAt = 0, highAt = 0;
        const std::size_t from = i;
        for (; i < n && (profile.distance[i] <= end || s + 1 == slivers); ++i) {
            if (profile.value[i] < low) {
                low = profile.value[i];
                lowAt = i;
            }
            if (profile.value[i] > high) {
                high = profile.value[i];
                highAt = i;
            }
        }
        if (i == from)
            continue;
        for (std::size_t k : {std::min(lowAt, highAt), std::max(lowAt, highAt)}) {
            const QPointF point(px(profile.distance[k]), py(profile.value[k]));
            if (started)
                line.lineTo(point);
            else
                line.moveTo(point);
            started = true;
        }
    }
    painter.setPen(QPen(QColor(30, 60, 160), 0.5));
    painter.drawPath(line);

    // Sections over the line: boundaries, means, characteristic values.
    QPen boundary(QColor::fromRgb(sectionoverlay::kBoundaryColour), 0.5, Qt::DashLine);
    QPen mean(QColor::fromRgb(sectionoverlay::kMeanColour), 1.2);
    QPen characteristic(QColor::fromRgb(sectionoverlay::kCharacteristicColour), 1.2);
    for (std::size_t s = 0; s < result.sections.size(); ++s) {
        const sections::Section& section = result.sections[s];
        const double left = px(section.startFt);
        const double right = px(section.endFt);
        if (s > 0) {
            painter.setPen(boundary);
            painter.drawLine(QPointF(left, plot.top()), QPointF(left, plot.bottom()));
        }
        painter.setPen(mean);
        painter.drawLine(QPointF(left, py(section.mean)), QPointF(right, py(section.mean)));
        painter.setPen(characteristic);
        painter.drawLine(QPointF(left, py(section.characteristic)),
                         QPointF(right, py(section.characteristic)));
    }
    painter.setClipping(false);

    // A marker above the plot over each flag's peak.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(sectionoverlay::kFlagColour));
    for (const sections::Flag& flag : result.flags) {
        const double x = px(flag.peakFt);
        const QPointF marker[3] = {QPointF(x - 2.5, plot.top() - 6),
                                   QPointF(x + 2.5, plot.top() - 6), QPointF(x, plot.top() - 1)};
        painter.drawPolygon(marker, 3);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 0.6));
    painter.drawRect(plot);
    painter.restore();
}
