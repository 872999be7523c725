#include "ChartTestSupport.h"
#include "charts/Cmoveline.h"

// The cursor line moves and hides without leaving a trace of itself on the chart beneath.
class CursorLineTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kRed = Rgb(255, 0, 0);

    static void Place(Cmoveline& line, Canvas& dc, int position) {
        line.newPosition = position;
        line.Draw(dc);
    }
    static bool ColumnIs(const Canvas& dc, int x, QRgb colour) {
        return Count(dc, colour, QRect(x, 0, 1, dc.Height())) == dc.Height();
    }

private slots:
    void movesAndHidesLeavingTheChartExact_data() {
        auto row = Table<qreal>({"ratio"});
        row("1x", 1);
        row("2x", 2); // the chart has detail finer than a logical pixel
    }
    void movesAndHidesLeavingTheChartExact() {
        QFETCH(qreal, ratio);
        Canvas dc;
        Blank(dc, 80, 60, ratio);
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x)
                dc.SetPixel(x, y, Rgb(x * 3, y * 2, (x * y) & 0xff));
        dc.MoveTo(0, 5);
        dc.LineTo(80, 53);
        const QImage before = dc.Image().copy();
        Cmoveline line;
        line.lineRect = {5, 8, 70, 50};
        Place(line, dc, 10);
        QCOMPARE(line.drawnPosition, 10);
        QCOMPARE(Count(dc, kRed, QRect(16, 0, 1, 60)), 42); // rows 8 to 49

        Place(line, dc, 20);
        QCOMPARE(dc.GetPixel(26, 30), kRed);
        for (int y = 0; y < 60; ++y)
            QCOMPARE(dc.GetPixel(16, y), before.pixel(qRound(16 * ratio), qRound(y * ratio)));

        Place(line, dc, -1);
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
        Place(line, dc, 5);
        QCOMPARE(Count(dc, kRed, QRect(6, 0, 1, 1300)), 1000);
        QCOMPARE(dc.GetPixel(6, 1099), kRed);
        Place(line, dc, -1);
        QVERIFY(ColumnIs(dc, 6, kWhite));
    }

    // After Forget the column saved before the chart was redrawn is not written back.
    void staleColumnIsNotWrittenBackAfterForget() {
        Canvas dc;
        dc.Resize(60, 40);
        Cmoveline line;
        line.lineColour = Rgb(0, 255, 0);
        line.lineRect = {0, 0, 60, 40};
        Place(line, dc, 10);
        QVERIFY(ColumnIs(dc, 11, Rgb(0, 255, 0)));
        dc.FillSolidRect(Rect{0, 0, 60, 40}, Rgb(7, 7, 7)); // the chart is redrawn
        line.Forget();
        QCOMPARE(line.drawnPosition, -1);
        Place(line, dc, 20);
        QVERIFY(ColumnIs(dc, 11, Rgb(7, 7, 7)));
        QVERIFY(ColumnIs(dc, 21, Rgb(0, 255, 0)));
    }

    void restoresWhereItSavedWhenTheRectangleMoved() {
        Canvas dc;
        dc.Resize(60, 40);
        Cmoveline line;
        line.lineRect = {0, 0, 60, 40};
        Place(line, dc, 10);
        line.lineRect = {20, 5, 50, 30};
        Place(line, dc, -1);
        QVERIFY(AllWhite(dc));
    }
};

QTEST_MAIN(CursorLineTest)
#include "CursorLineTest.moc"
