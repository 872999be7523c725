#include "charts/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace {

QFont MakeFont(const CanvasFont& font) {
    QFont f(font.family);
    f.setPixelSize(std::max(1, CanvasFont::PixelSize(font.tenthsOfPoint)));
    f.setWeight(static_cast<QFont::Weight>(font.weight));
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

int ToDevice(int v, qreal ratio) {
    return ratio == 1.0 ? v : static_cast<int>(std::lround(v * ratio));
}

} // namespace

Canvas::Canvas() = default;
Canvas::~Canvas() {
    EndPainter();
}

void Canvas::Resize(int width, int height, qreal devicePixelRatio) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (devicePixelRatio <= 0.0 || !std::isfinite(devicePixelRatio))
        devicePixelRatio = 1.0;
    if (width == width_ && height == height_ && devicePixelRatio == ratio_ && !image_.isNull())
        return;
    EndPainter();
    width_ = width;
    height_ = height;
    ratio_ = devicePixelRatio;
    image_ = QImage(ToDevice(width, ratio_), ToDevice(height, ratio_), QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio_);
    image_.fill(Qt::white);
}

QPainter& Canvas::Painter() {
    if (!painter_) {
        if (image_.isNull())
            Resize(1, 1);
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::TextAntialiasing, false);
    }
    return *painter_;
}

void Canvas::EndPainter() {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

void Canvas::BeginCommand() {
    pen_ = CanvasPen{};
    brush_ = CanvasBrush{};
    font_ = CanvasFont{};
    textColour_ = Rgb(0, 0, 0);
    backgroundColour_ = Rgb(255, 255, 255);
    transparent_ = false;
    hAlign_ = HAlign::Left;
    vAlign_ = VAlign::Top;
    posX_ = posY_ = 0;
}

CanvasPen Canvas::SelectPen(const CanvasPen& pen) {
    return std::exchange(pen_, pen);
}
CanvasBrush Canvas::SelectBrush(const CanvasBrush& brush) {
    return std::exchange(brush_, brush);
}
CanvasFont Canvas::SelectFont(const CanvasFont& font) {
    return std::exchange(font_, font);
}
QRgb Canvas::SetTextColour(QRgb colour) {
    return std::exchange(textColour_, colour);
}
QRgb Canvas::SetBackgroundColour(QRgb colour) {
    return std::exchange(backgroundColour_, colour);
}
bool Canvas::SetTransparentBackground(bool transparent) {
    return std::exchange(transparent_, transparent);
}

void Canvas::LineTo(int x, int y) {
    if (!pen_.null)
        LineDevice(ToDevice(posX_, ratio_), ToDevice(posY_, ratio_), ToDevice(x, ratio_),
                   ToDevice(y, ratio_));
    posX_ = x;
    posY_ = y;
}

// Rasterises the line from (x0, y0) towards (x1, y1) in device pixels, without its last
// pixel. Only the steps that can land on the image are walked, so a line far outside costs
// nothing; each pixel is computed from its step, so clipping never shifts it.
void Canvas::LineDevice(int x0, int y0, int x1, int y1) {
    const std::int64_t dx = std::int64_t{x1} - x0;
    const std::int64_t dy = std::int64_t{y1} - y0;
    const std::int64_t adx = std::llabs(dx);
    const std::int64_t ady = std::llabs(dy);
    if (adx == 0 && ady == 0)
        return;
    Painter(); // flush nothing, but make sure the image exists
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    const bool alongX = adx >= ady;
    const std::int64_t major = alongX ? adx : ady;
    const std::int64_t minor = alongX ? ady : adx;
    const int majorStart = alongX ? x0 : y0;
    const int majorSign = alongX ? sx : sy;
    const int majorLimit = alongX ? image_.width() : image_.height();
    const int margin = std::max(1, ToDevice(pen_.width, ratio_));

    // Steps i in [0, major) whose major coordinate lies inside the image (with the pen's
    // margin for the minor one handled per pixel).
    std::int64_t lo = 0, hi = major - 1;
    if (majorSign > 0) {
        lo = std::max<std::int64_t>(lo, -std::int64_t{majorStart});
        hi = std::min<std::int64_t>(hi, std::int64_t{majorLimit} - 1 - majorStart);
    } else {
        lo = std::max<std::int64_t>(lo, std::int64_t{majorStart} - (majorLimit - 1));
        hi = std::min<std::int64_t>(hi, std::int64_t{majorStart});
    }
    const int minorStart = alongX ? y0 : x0;
    const int minorSign = alongX ? sy : sx;
    const int minorLimit = alongX ? image_.height() : image_.width();
    if (lo > hi)
        return;

    // One pixel of the line, widened across the line's direction for wide pens, written
    // straight into the image's rows: long curves stay cheap.
    QRgb* const bits = reinterpret_cast<QRgb*>(image_.bits());
    const qsizetype stride = image_.bytesPerLine() / qsizetype(sizeof(QRgb));
    const int w = image_.width();
    const int h = image_.height();
    const QRgb colour = pen_.colour;
    const int width = margin;
    const int first = -(width - 1) / 2;
    auto plot = [=](int x, int y) {
        if (width == 1) {
            if (x >= 0 && x < w && y >= 0 && y < h)
                bits[y * stride + x] = colour;
            return;
        }
        for (int k = first; k < first + width; ++k) {
            const int px = alongX ? x : x + k;
            const int py = alongX ? y + k : y;
            if (px >= 0 && px < w && py >= 0 && py < h)
                bits[py * stride + px] = colour;
        }
    };
    // m(i) = (2 i minor + major) / (2 major), kept as quotient and remainder: one division
    // per line, not per pixel (minor <= major, so each step carries at most once).
    const std::int64_t divisor = 2 * major;
    std::int64_t m = (2 * lo * minor + major) / divisor;
    std::int64_t remainder = (2 * lo * minor + major) % divisor;
    for (std::int64_t i = lo; i <= hi; ++i) {
        if (i > lo) {
            remainder += 2 * minor;
            if (remainder >= divisor) {
                remainder -= divisor;
                ++m;
            }
        }
        const std::int64_t minorCoord = minorStart + minorSign * m;
        if (minorCoord < -margin || minorCoord >= minorLimit + margin) {
            // The minor coordinate is monotone: once past the far side it stays there.
            if ((minorSign > 0 && minorCoord >= minorLimit + margin) ||
                (minorSign < 0 && minorCoord < -margin))
                break;
            continue;
        }
        const int majorCoord = static_cast<int>(majorStart + majorSign * i);
        if (alongX)
            plot(majorCoord, static_cast<int>(minorCoord));
        else
            plot(static_cast<int>(minorCoord), majorCoord);
    }
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (pen_.null) {
        if (!brush_.hollow)
            FillSolidRect(left, top, right - 1, bottom - 1, brush_.colour);
        return;
    }
    const int w = std::max(1, pen_.width);
    const int offset = w / 2;
    if (!brush_.hollow)
        FillSolidRect(left + w - offset, top + w - offset, right - 1 - offset, bottom - 1 - offset,
                      brush_.colour);
    const int l = left - offset;
    const int t = top - offset;
    const int r = right - 1 - offset + w; // exclusive outer edges of the frame band
    const int b = bottom - 1 - offset + w;
    FillSolidRect(l, t, r, t + w, pen_.colour);
    FillSolidRect(l, b - w, r, b, pen_.colour);
    FillSolidRect(l, t, l + w, b, pen_.colour);
    FillSolidRect(r - w, t, r, b, pen_.colour);
}

void Canvas::Ellipse(int left, int top, int right, int bottom) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (right - left < 2 || bottom - top < 2)
        return;
    QPainter& p = Painter();
    p.setPen(pen_.null ? QPen(Qt::NoPen) : QPen(QColor(pen_.colour), pen_.width));
    p.setBrush(brush_.hollow ? QBrush(Qt::NoBrush) : QBrush(QColor(brush_.colour)));
    p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
}

void Canvas::FillSolidRect(const QRect& rect, QRgb colour) {
    if (rect.isEmpty())
        return;
    Painter().fillRect(rect, QColor(colour));
}

void Canvas::BlendRect(const Rect& rect, QRgb colour, int alpha) {
    if (rect.IsEmpty())
        return;
    QColor c(colour);
    c.setAlpha(std::clamp(alpha, 0, 255));
    Painter().fillRect(rect.ToQRect(), c);
}

QRgb Canvas::GetPixel(int x, int y) const {
    const int dx = ToDevice(x, ratio_);
    const int dy = ToDevice(y, ratio_);
    if (image_.isNull() || dx < 0 || dy < 0 || dx >= image_.width() || dy >= image_.height())
        return 0;
    return reinterpret_cast<const QRgb*>(image_.constScanLine(dy))[dx];
}

void Canvas::SetPixel(int x, int y, QRgb colour) {
    if (ratio_ == 1.0) {
        if (!image_.isNull() && x >= 0 && y >= 0 && x < image_.width() && y < image_.height())
            reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = colour;
        return;
    }
    FillSolidRect(QRect(x, y, 1, 1), colour);
}

const QFontMetrics& Canvas::Metrics() {
    if (!metrics_ || !(metricsFont_ == font_)) {
        metrics_ = std::make_unique<QFontMetrics>(MakeFont(font_));
        metricsFont_ = font_;
    }
    return *metrics_;
}

QSize Canvas::TextExtent(const QString& text) {
    const QFontMetrics& fm = Metrics();
    return QSize(fm.horizontalAdvance(text), fm.height());
}

void Canvas::TextOut(int x, int y, const QString& text) {
    const QFontMetrics& fm = Metrics();
    const int width = fm.horizontalAdvance(text);
    const int height = fm.height();
    int left = x;
    if (hAlign_ == HAlign::Centre)
        left = x - width / 2;
    else if (hAlign_ == HAlign::Right)
        left = x - width;
    int top = y;
    if (vAlign_ == VAlign::Baseline)
        top = y - fm.ascent();
    else if (vAlign_ == VAlign::Bottom)
        top = y - height;
    QPainter& p = Painter();
    if (!transparent_)
        p.fillRect(QRect(left, top, width, height), QColor(backgroundColour_));
    p.setFont(MakeFont(font_));
    p.setPen(QColor(textColour_));
    p.drawText(QPoint(left, top + fm.ascent()), text);
}

QImage Canvas::CopyBlock(const QRect& rect) const {
    const QRect device(ToDevice(rect.left(), ratio_), ToDevice(rect.top(), ratio_),
                       ToDevice(rect.width(), ratio_), ToDevice(rect.height(), ratio_));
    QImage block = image_.copy(device);
    block.setDevicePixelRatio(ratio_);
    return block;
}

void Canvas::DrawBlock(int x, int y, const QImage& block) {
    DrawBlock(x, y, block, QRect(QPoint(0, 0), block.deviceIndependentSize().toSize()));
}

void Canvas::DrawBlock(int x, int y, const QImage& source, const QRect& sourceRect) {
    if (source.isNull() || sourceRect.isEmpty())
        return;
    QPainter& p = Painter();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QRect(QPoint(x, y), sourceRect.size()), source,
                QRectF(sourceRect.x() * source.devicePixelRatio(),
                       sourceRect.y() * source.devicePixelRatio(),
                       sourceRect.width() * source.devicePixelRatio(),
                       sourceRect.height() * source.devicePixelRatio()));
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}
