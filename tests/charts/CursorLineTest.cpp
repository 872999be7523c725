#include "charts/Canvas.h"
#include "charts/Cmoveline.h"

#include <QTest>

// The cursor line moves and hides without leaving a trace of itself on the chart beneath.
class CursorLineTest : public QObject {
    Q_OBJECT

private:
    static constexpr QRgb kRed = Rgb(255, 0, 0);

    // A chart-like picture with detail finer than a logical pixel on a HiDPI canvas.
    static void Paint(Canvas& dc) {
        dc.BeginCommand();
        for (int y = 0; y < dc.Height(); ++y)
            for (int x = 0; x < dc.Width(); ++x)
                dc.SetPixel(x, y, Rgb(x * 3, y * 2, (x * y) & 0xff));
        dc.SelectPen(CanvasPen::Solid(1, Rgb(0, 0, 240)));
        dc.MoveTo(0, 5);
        dc.LineTo(dc.Width(), dc.Height() - 7);
    }

private slots:
    void movesAndHidesLeavingTheChartExact_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }
    void movesAndHidesLeavingTheChartExact() {
        QFETCH(qreal, ratio);
        Canvas dc;
        dc.Resize(80, 60, ratio);
        Paint(dc);
        const QImage before = dc.Image().copy();
        Cmoveline line;
        line.lineRect = {5, 8, 70, 50};

        line.newPosition = 10;
        line.Draw(dc);
        QCOMPARE(line.drawnPosition, 10);
        QCOMPARE(dc.GetPixel(16, 8), kRed);
        QCOMPARE(dc.GetPixel(16, 49), kRed);
        QVERIFY(dc.GetPixel(16, 50) != kRed);
        QVERIFY(dc.GetPixel(16, 7) != kRed);

        line.newPosition = 20;
        line.Draw(dc);
        QCOMPARE(dc.GetPixel(26, 30), kRed);
        for (int y = 0; y < 60; ++y)
            QCOMPARE(dc.GetPixel(16, y), before.pixel(qRound(16 * ratio), qRound(y * ratio)));

        line.newPosition = -1;
        line.Draw(dc);
        QCOMPARE(line.drawnPosition, -1);
        QVERIFY(dc.Image() == before);
        line.Draw(dc);
        QVERIFY(dc.Image() == before);
    }

    void tallRectangleIsClippedTo1000Rows() {
        Canvas dc;
        dc.Resize(20, 1300);
        Cmoveline line;
        line.lineRect = {0, 100, 20, 1250};
        line.newPosition = 5;
        line.Draw(dc);
        QCOMPARE(line.savedColumn.height(), 1000);
        QCOMPARE(dc.GetPixel(6, 100), kRed);
        QCOMPARE(dc.GetPixel(6, 1099), kRed);
        QCOMPARE(dc.GetPixel(6, 1100), Rgb(255, 255, 255));
        line.newPosition = -1;
        line.Draw(dc);
        for (int y = 0; y < 1300; ++y)
            QCOMPARE(dc.GetPixel(6, y), Rgb(255, 255, 255));
    }

    void staleColumnIsNotWrittenBackAfterForget() {
        Canvas dc;
        dc.Resize(60, 40);
        Cmoveline line;
        line.lineColour = Rgb(0, 255, 0);
        line.lineRect = {0, 0, 60, 40};
        line.newPosition = 10;
        line.Draw(dc);
        QCOMPARE(dc.GetPixel(11, 20), Rgb(0, 255, 0));

        dc.FillSolidRect(Rect{0, 0, 60, 40}, Rgb(7, 7, 7)); // the chart is redrawn
        line.Forget();
        QCOMPARE(line.drawnPosition, -1);
        line.newPosition = 20;
        line.Draw(dc);
        QCOMPARE(dc.GetPixel(11, 20), Rgb(7, 7, 7));
        QCOMPARE(dc.GetPixel(21, 20), Rgb(0, 255, 0));
    }

    void restoresWhereItSavedWhenTheRectangleMoved() {
        Canvas dc;
        dc.Resize(60, 40);
        Cmoveline line;
        line.lineRect = {0, 0, 60, 40};
        line.newPosition = 10;
        line.Draw(dc);
        line.lineRect = {20, 5, 50, 30};
        line.newPosition = -1;
        line.Draw(dc);
        for (int y = 0; y < 40; ++y)
            QCOMPARE(dc.GetPixel(11, y), Rgb(255, 255, 255));
    }
};

QTEST_MAIN(CursorLineTest)
#include "CursorLineTest.moc"
