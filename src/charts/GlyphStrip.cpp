#include "charts/GlyphStrip.h"

#include "charts/Canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <map>

namespace {

QFont DigitFont(int pixelSize, int stretch = 100) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelSize);
    f.setWeight(QFont::Bold);
    f.setStretch(stretch);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

// The box that holds every digit of the font, relative to the pen position on the baseline.
QRect DigitBox(const QFontMetrics& fm) {
    QRect box;
    for (char c = '0'; c <= '9'; ++c)
        box |= fm.tightBoundingRect(QString(QChar(c)));
    return box;
}

bool Fits(const QFont& font, int cellWidth, int height) {
    const QFontMetrics fm(font);
    const QRect box = DigitBox(fm);
    return box.height() <= height - 2 && box.width() <= cellWidth - 2 &&
           fm.horizontalAdvance(QLatin1Char('0')) <= cellWidth;
}

// Digits as tall as the cell allows with a pixel to spare above and below, narrowed where the
// cell is too slim for them.
QFont FittingFont(int cellWidth, int height) {
    int size = height * 2;
    while (size > 5 && DigitBox(QFontMetrics(DigitFont(size))).height() > height - 2)
        --size;
    for (int stretch = 100; stretch >= 50; stretch -= 2)
        if (Fits(DigitFont(size, stretch), cellWidth, height))
            return DigitFont(size, stretch);
    while (size > 5 && !Fits(DigitFont(size), cellWidth, height))
        --size;
    return DigitFont(size);
}

} // namespace

QImage GlyphStrip::Render(int minWidth, int height, int cellWidth, QRgb ink, QRgb paper) {
    QImage strip(std::max(minWidth, kCellCount * cellWidth), height, QImage::Format_RGB32);
    strip.fill(paper);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return strip;

    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    const QFont font = FittingFont(cellWidth, height);
    const QFontMetrics fm(font);
    const QRect box = DigitBox(fm);
    // Baseline that centres the digits' common box in the cell.
    const int baseline = (height - box.height()) / 2 - box.top();
    p.setFont(font);
    p.setPen(QColor(ink));
    for (int cell = 0; cell <= kPointCell; ++cell) {
        const QString glyph = cell == kPointCell ? QStringLiteral(".") : QString::number(cell);
        const int left = cell * cellWidth + (cellWidth - fm.horizontalAdvance(glyph)) / 2;
        p.setClipRect(QRect(cell * cellWidth, 0, cellWidth, height));
        p.drawText(QPoint(left, baseline), glyph);
    }
    p.setClipping(false);
    // The minus sign: a bar across the middle of the digits, as heavy as their strokes.
    const int thickness = std::max(2, box.height() / 7);
    const int barWidth = std::max(3, cellWidth * 6 / 10);
    const int middle = baseline + box.top() + box.height() / 2;
    p.fillRect(QRect(kMinusCell * cellWidth + (cellWidth - barWidth) / 2, middle - thickness / 2,
                     barWidth, thickness),
               QColor(ink));
    return strip;
}

const QImage& GlyphStrip::ForId(int bitmapId) {
    static std::map<int, QImage> strips;
    static QImage none;
    static QImage scratch;
    if (const auto it = strips.find(bitmapId); it != strips.end())
        return it->second;

    QImage strip;
    if (bitmapId == kYellowStrip)
        strip = Render(156, 24, kCellWidth, Rgb(128, 0, 0), Rgb(255, 255, 0));
    else if (bitmapId == kCyanStrip)
        strip = Render(163, 19, kCellWidth, Rgb(0, 0, 128), Rgb(0, 255, 255));
    else
        return none;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        scratch = strip;
        return scratch;
    }
    return strips.emplace(bitmapId, std::move(strip)).first->second;
}
