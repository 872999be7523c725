#include "charts/Canvas.h"

#include <QGuiApplication>
#include <QTest>

// The device-context rules the charts are written against.
class CanvasTest : public QObject {
    Q_OBJECT

private:
    static int CountColour(const Canvas& c, QRgb colour) {
        int n = 0;
        for (int y = 0; y < c.Height(); ++y)
            for (int x = 0; x < c.Width(); ++x)
                n += c.GetPixel(x, y) == colour;
        return n;
    }

private slots:
    void linesOmitTheirLastPixel_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<QPoint>("lastDrawn");
        QTest::newRow("horizontal") << QPoint(2, 5) << QPoint(12, 5) << 10 << QPoint(11, 5);
        QTest::newRow("vertical up") << QPoint(4, 15) << QPoint(4, 5) << 10 << QPoint(4, 6);
        QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(8, 8) << 8 << QPoint(7, 7);
        QTest::newRow("shallow") << QPoint(1, 1) << QPoint(17, 5) << 16 << QPoint(16, 5);
        QTest::newRow("zero length") << QPoint(3, 3) << QPoint(3, 3) << 0 << QPoint(-1, -1);
    }
    void linesOmitTheirLastPixel() {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(int, pixels);
        QFETCH(QPoint, lastDrawn);
        Canvas c;
        c.Resize(20, 20);
        c.BeginCommand();
        c.MoveTo(from.x(), from.y());
        c.LineTo(to.x(), to.y());
        QCOMPARE(CountColour(c, Rgb(0, 0, 0)), pixels);
        QCOMPARE(c.GetPixel(to.x(), to.y()), Rgb(255, 255, 255));
        if (pixels > 0) {
            QCOMPARE(c.GetPixel(from.x(), from.y()), Rgb(0, 0, 0));
            QCOMPARE(c.GetPixel(lastDrawn.x(), lastDrawn.y()), Rgb(0, 0, 0));
        }
        QCOMPARE(c.Position(), to);
    }

    void clippedLineKeepsItsPixels() {
        // The same line begun far outside draws exactly the same pixels inside.
        Canvas near, far;
        near.Resize(400, 300);
        far.Resize(400, 300);
        near.BeginCommand();
        far.BeginCommand();
        near.MoveTo(-300, -100);
        near.LineTo(399, 133);
        far.MoveTo(-30000, -10000);
        far.LineTo(399, 133);
        QCOMPARE(far.Image(), near.Image());
        QCOMPARE(CountColour(far, Rgb(0, 0, 0)), 399);
    }

    void rectangleExcludesRightAndBottom() {
        Canvas c;
        c.Resize(20, 20);
        c.BeginCommand();
        c.SelectBrush(CanvasBrush::Solid(Rgb(0, 255, 0)));
        c.Rectangle(2, 3, 10, 8);
        QCOMPARE(c.GetPixel(2, 3), Rgb(0, 0, 0));
        QCOMPARE(c.GetPixel(9, 7), Rgb(0, 0, 0));
        QCOMPARE(c.GetPixel(10, 7), Rgb(255, 255, 255));
        QCOMPARE(c.GetPixel(9, 8), Rgb(255, 255, 255));
        QCOMPARE(c.GetPixel(5, 5), Rgb(0, 255, 0));
        QCOMPARE(CountColour(c, Rgb(0, 0, 0)), 2 * 8 + 2 * 3);
        c.FillSolidRect(Rect{0, 0, 4, 2}, Rgb(1, 2, 3));
        QCOMPARE(CountColour(c, Rgb(1, 2, 3)), 8);
    }

    void textAlignsOnItsReferencePoint() {
        Canvas c;
        c.Resize(200, 100);
        c.BeginCommand();
        c.SelectFont(CanvasFont{80});
        const QSize extent = c.TextExtent(QStringLiteral("H"));
        QVERIFY(extent.height() >= 11 && extent.height() <= 15); // 8 pt = 11 px Arial
        c.SetTransparentBackground(true);
        c.SetTextAlign(HAlign::Right, VAlign::Top);
        c.TextOut(100, 50, QStringLiteral("HHHH"));
        for (int y = 0; y < 100; ++y)
            for (int x = 100; x < 200; ++x)
                QCOMPARE(c.GetPixel(x, y), Rgb(255, 255, 255));
        QVERIFY(CountColour(c, Rgb(0, 0, 0)) > 20);
    }

    void blockCopiesRoundTripAtEveryRatio_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }
    void blockCopiesRoundTripAtEveryRatio() {
        QFETCH(qreal, ratio);
        Canvas c;
        c.Resize(50, 40, ratio);
        QCOMPARE(c.Image().width(), qRound(50 * ratio));
        c.BeginCommand();
        c.SetPixel(10, 10, Rgb(9, 9, 9));
        QCOMPARE(c.GetPixel(10, 10), Rgb(9, 9, 9));
        const QImage saved = c.CopyBlock(QRect(10, 0, 1, 40));
        c.FillSolidRect(Rect{0, 0, 50, 40}, Rgb(200, 0, 0));
        c.DrawBlock(10, 0, saved);
        QCOMPARE(c.GetPixel(10, 10), Rgb(9, 9, 9));
        QCOMPARE(c.GetPixel(10, 11), Rgb(255, 255, 255));
        QCOMPARE(c.GetPixel(11, 10), Rgb(200, 0, 0));
    }
};

QTEST_MAIN(CanvasTest)
#include "CanvasTest.moc"
