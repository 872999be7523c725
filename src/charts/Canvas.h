#pragma once

#include "charts/Rect.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <memory>

// RGB(r, g, b) as the charts write their colours.
constexpr QRgb Rgb(int r, int g, int b) {
    return 0xff000000u | (static_cast<QRgb>(r & 0xff) << 16) | (static_cast<QRgb>(g & 0xff) << 8) |
           static_cast<QRgb>(b & 0xff);
}

// A pen of the device context: solid lines of `width` pixels, or no line at all.
struct CanvasPen {
    QRgb colour = Rgb(0, 0, 0);
    int width = 1;
    bool null = false;
    static CanvasPen Solid(int width, QRgb colour) { return {colour, width, false}; }
    static CanvasPen None() { return {Rgb(0, 0, 0), 1, true}; }
};

// A brush: a solid fill, or hollow (shapes are outlined only).
struct CanvasBrush {
    QRgb colour = Rgb(255, 255, 255);
    bool hollow = false;
    static CanvasBrush Solid(QRgb colour) { return {colour, false}; }
    static CanvasBrush Hollow() { return {Rgb(255, 255, 255), true}; }
};

// A font by point size in tenths (80 is 8 point), as the charts create them. Sizes are turned
// into pixels at 96 dpi, so every chart has the same geometry on every screen.
struct CanvasFont {
    int tenthsOfPoint = 80;
    QString family = QStringLiteral("Arial");
    int weight = QFont::Normal;
    bool operator==(const CanvasFont&) const = default;
    static int PixelSize(int tenthsOfPoint) { return (tenthsOfPoint * 96 + 360) / 720; }
};

// Text alignment of the reference point given to TextOut.
enum class HAlign { Left, Centre, Right };
enum class VAlign { Top, Baseline, Bottom };

// The drawing surface of every screen: a backing image in logical pixels (the image itself
// holds logical size x device pixel ratio) with the operations of a classic device context.
// Lines follow the end-point rule of that model: a line omits its last pixel; rectangles,
// ellipses and fills exclude their right and bottom edges. There is no antialiasing.
//
// Select* return the previous object so that a chart can put it back, as it would on a
// device context. BeginCommand starts a command from a black pen, a white brush, black text
// on an opaque white background and Arial 8 point, as a fresh device context would: the view
// calls it before every command, click, mouse move and play step, so that no chart draws with
// what the last one left selected.
class Canvas {
public:
    Canvas();
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Makes the backing image width x height logical pixels at the given pixel ratio. The
    // contents are white after a change of size; an equal size keeps them.
    void Resize(int width, int height, qreal devicePixelRatio = 1.0);
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rect ClientRect() const { return Rect{0, 0, width_, height_}; }
    qreal DevicePixelRatio() const { return ratio_; }
    const QImage& Image() const { return image_; }

    void BeginCommand();

    CanvasPen SelectPen(const CanvasPen& pen);
    CanvasBrush SelectBrush(const CanvasBrush& brush);
    CanvasFont SelectFont(const CanvasFont& font);
    const CanvasPen& Pen() const { return pen_; }
    const CanvasBrush& Brush() const { return brush_; }
    const CanvasFont& Font() const { return font_; }
    QRgb SetTextColour(QRgb colour);
    QRgb SetBackgroundColour(QRgb colour);
    bool SetTransparentBackground(bool transparent); // returns the previous mode
    void SetTextAlign(HAlign h, VAlign v) {
        hAlign_ = h;
        vAlign_ = v;
    }

    // Lines with the current pen, from the current position; the last pixel is omitted.
    void MoveTo(int x, int y) {
        posX_ = x;
        posY_ = y;
    }
    void LineTo(int x, int y);
    QPoint Position() const { return QPoint(posX_, posY_); }

    // Outline with the pen, inside filled with the brush; right and bottom edges excluded.
    void Rectangle(int left, int top, int right, int bottom);
    void Ellipse(int left, int top, int right, int bottom);
    void FillSolidRect(const QRect& rect, QRgb colour);
    void FillSolidRect(int left, int top, int right, int bottom, QRgb colour) {
        FillSolidRect(QRect(left, top, right - left, bottom - top), colour);
    }
    void FillSolidRect(const Rect& rect, QRgb colour) { FillSolidRect(rect.ToQRect(), colour); }
    // The colour laid over the rectangle at `alpha` (0 to 255): what lies beneath shows through.
    void BlendRect(const Rect& rect, QRgb colour, int alpha);

    QRgb GetPixel(int x, int y) const; // 0 outside the image
    void SetPixel(int x, int y, QRgb colour);

    // Text at a reference point with the current alignment, font, text colour and background.
    void TextOut(int x, int y, const QString& text);
    QSize TextExtent(const QString& text); // width and height in the current font
    const QFontMetrics& Metrics();

    // Free drawing on the image in logical pixels with the painter's own tools (antialiased
    // vector drawings such as the map); the canvas's pen, brush and font are not touched.
    template <typename Drawing> void Paint(Drawing draw) {
        QPainter& painter = Painter();
        painter.save();
        draw(painter);
        painter.restore();
    }

    // Block copies in logical pixels: a piece of the canvas out, and an image in.
    QImage CopyBlock(const QRect& rect) const;
    void DrawBlock(int x, int y, const QImage& block);
    void DrawBlock(int x, int y, const QImage& source, const QRect& sourceRect);

private:
    QPainter& Painter();
    void EndPainter();
    void LineDevice(int x0, int y0, int x1, int y1);

    QImage image_;
    std::unique_ptr<QPainter> painter_;
    int width_ = 0;
    int height_ = 0;
    qreal ratio_ = 1.0;

    CanvasPen pen_;
    CanvasBrush brush_;
    CanvasFont font_;
    QRgb textColour_ = Rgb(0, 0, 0);
    QRgb backgroundColour_ = Rgb(255, 255, 255);
    bool transparent_ = false;
    HAlign hAlign_ = HAlign::Left;
    VAlign vAlign_ = VAlign::Top;
    int posX_ = 0;
    int posY_ = 0;

    std::unique_ptr<QFontMetrics> metrics_;
    CanvasFont metricsFont_;
};
