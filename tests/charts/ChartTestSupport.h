#pragma once

#include "charts/Canvas.h"
#include "charts/Rect.h"
#include "support/Cases.h"

#include <QTest>

// What the chart tests share: a blank canvas, colour counts and readable rectangles.

// Lets QCOMPARE print a Rect that differs.
inline char* toString(const Rect& r) {
    return QTest::toString(
        QStringLiteral("(%1, %2, %3, %4)").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom));
}

constexpr QRgb kWhite = Rgb(255, 255, 255);

// A white canvas ready for a command.
inline void Blank(Canvas& dc, int width, int height, qreal ratio = 1.0) {
    dc.Resize(width, height, ratio);
    dc.BeginCommand();
}

// Pixels of `colour` in `area` (inclusive), or in the whole canvas.
inline int Count(const Canvas& dc, QRgb colour, QRect area = {}) {
    if (area.isNull())
        area = QRect(0, 0, dc.Width(), dc.Height());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += dc.GetPixel(x, y) == colour;
    return n;
}

inline bool AllWhite(const Canvas& dc) {
    return Count(dc, kWhite) == dc.Width() * dc.Height();
}

// Whether `colour` lies within `reach` pixels of (x, y).
inline bool Near(const Canvas& dc, int x, int y, QRgb colour, int reach = 2) {
    return Count(dc, colour, QRect(x - reach, y - reach, 2 * reach + 1, 2 * reach + 1)) > 0;
}
