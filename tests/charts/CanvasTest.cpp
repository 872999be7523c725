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

    // The charts' titles are checked against TextOut itself, so its reference point is here.
    void textAlignsOnItsReferencePoint() {
        Canvas c;
        Blank(c, 200, 100);
        c.SelectFont(CanvasFont{80});
        const int height = c.TextExtent(QStringLiteral("H")).height();
        QVERIFY(height >= 11 && height <= 15); // 8 pt = 11 px Arial
        c.SetTextAlign(HAlign::Right, VAlign::Top);
        c.TextOut(100, 50, QStringLiteral("HHHH"));
        QCOMPARE(Count(c, kBlack), Count(c, kBlack, QRect(60, 50, 40, height)));
        QVERIFY(Count(c, kBlack) > 20);
    }
};

QTEST_MAIN(CanvasTest)
#include "CanvasTest.moc"
