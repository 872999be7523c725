#include "ChartTestSupport.h"

// The device-context rules the charts are written against.
class CanvasTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kBlack = Rgb(0, 0, 0);

private slots:
    void linesOmitTheirLastPixel_data() {
        auto row = Table<QLine, int, QPoint>({"line", "pixels", "lastDrawn"});
        row("horizontal", {2, 5, 12, 5}, 10, {11, 5});
        row("vertical up", {4, 15, 4, 5}, 10, {4, 6});
        row("shallow", {1, 1, 17, 5}, 16, {16, 5});
        row("zero length", {3, 3, 3, 3}, 0, {3, 3});
    }
    void linesOmitTheirLastPixel() {
        QFETCH(QLine, line);
        QFETCH(int, pixels);
        QFETCH(QPoint, lastDrawn);
        Canvas c;
        Blank(c, 20, 20);
        c.MoveTo(line.x1(), line.y1());
        c.LineTo(line.x2(), line.y2());
        QCOMPARE(Count(c, kBlack), pixels);
        QCOMPARE(c.GetPixel(line.x2(), line.y2()), kWhite);
        QCOMPARE(c.GetPixel(lastDrawn.x(), lastDrawn.y()), pixels ? kBlack : kWhite);
        QCOMPARE(c.Position(), line.p2());
    }

    // The same line begun far outside draws exactly the same pixels inside.
    void clippedLineKeepsItsPixels() {
        Canvas near, far;
        Blank(near, 400, 300);
        Blank(far, 400, 300);
        near.MoveTo(-300, -100);
        near.LineTo(399, 133);
        far.MoveTo(-30000, -10000);
        far.LineTo(399, 133);
        QCOMPARE(far.Image(), near.Image());
        QCOMPARE(Count(far, kBlack), 399);
    }

    void rectangleExcludesRightAndBottom() {
        Canvas c;
        Blank(c, 20, 20);
        c.SelectBrush(CanvasBrush::Solid(Rgb(0, 255, 0)));
        c.Rectangle(2, 3, 10, 8);
        QCOMPARE(c.GetPixel(2, 3), kBlack);
        QCOMPARE(c.GetPixel(9, 7), kBlack);
        QCOMPARE(c.GetPixel(5, 5), Rgb(0, 255, 0));
        QCOMPARE(Count(c, kBlack), 2 * 8 + 2 * 3);
        QCOMPARE(Count(c, Rgb(0, 255, 0)), 6 * 3);
        c.FillSolidRect(Rect{0, 0, 4, 2}, Rgb(1, 2, 3));
        QCOMPARE(Count(c, Rgb(1, 2, 3)), 8);
    }

    void textAlignsOnItsReferencePoint() {
        Canvas c;
        Blank(c, 200, 100);
        c.SelectFont(CanvasFont{80});
        const QSize extent = c.TextExtent(QStringLiteral("H"));
        QVERIFY(extent.height() >= 11 && extent.height() <= 15); // 8 pt = 11 px Arial
        c.SetTransparentBackground(true);
        c.SetTextAlign(HAlign::Right, VAlign::Top);
        c.TextOut(100, 50, QStringLiteral("HHHH"));
        QCOMPARE(Count(c, kWhite, QRect(100, 0, 100, 100)), 100 * 100);
        QVERIFY(Count(c, kBlack, QRect(0, 50, 100, extent.height())) > 20);
        QCOMPARE(Count(c, kBlack, QRect(0, 0, 100, 50)), 0);
    }

    void blockCopiesRoundTripAtEveryRatio_data() {
        auto row = Table<qreal>({"ratio"});
        row("1x", 1);
        row("2x", 2);
    }
    void blockCopiesRoundTripAtEveryRatio() {
        QFETCH(qreal, ratio);
        Canvas c;
        Blank(c, 50, 40, ratio);
        QCOMPARE(c.Image().width(), qRound(50 * ratio));
        c.SetPixel(10, 10, Rgb(9, 9, 9));
        const QImage saved = c.CopyBlock(QRect(10, 0, 1, 40));
        c.FillSolidRect(Rect{0, 0, 50, 40}, Rgb(200, 0, 0));
        c.DrawBlock(10, 0, saved);
        QCOMPARE(c.GetPixel(10, 10), Rgb(9, 9, 9));
        QCOMPARE(c.GetPixel(10, 11), kWhite);
        QCOMPARE(c.GetPixel(11, 10), Rgb(200, 0, 0));
    }
};

QTEST_MAIN(CanvasTest)
#include "CanvasTest.moc"
