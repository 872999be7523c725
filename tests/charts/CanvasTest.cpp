#include "ChartTestSupport.h"
#include "charts/CLABEL.h"
#include "charts/Cmoveline.h"
#include "charts/GlyphStrip.h"

// What is drawn over a chart: the cursor line, which leaves no trace, and the digit readouts.
// (Lines to far points are checked with the charts that draw them.)
class CanvasTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kRed = Rgb(255, 0, 0);
    using ReadoutCases = Cases<int, double, double, QString, bool>; // digits, previous, value, ...

    static void Place(Cmoveline& line, Canvas& dc, int position) {
        line.newPosition = position;
        line.Draw(dc);
    }

private slots:
    // The cursor spans its rectangle, moves and hides leaving the chart exact where the chart
    // has detail finer than a logical pixel. (At a ratio of 1, the screenshots with two clicks
    // show the chart under the first cursor restored.)
    void cursorLeavesNoTraceAtTwiceThePixelRatio() {
        const qreal ratio = 2;
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
        QCOMPARE(Count(dc, kRed, QRect(16, 0, 1, 60)), 42); // rows 8 to 49
        Place(line, dc, 20);
        QCOMPARE(dc.GetPixel(26, 30), kRed);
        for (int y = 0; y < 60; ++y)
            QCOMPARE(dc.GetPixel(16, y), before.pixel(qRound(16 * ratio), qRound(y * ratio)));
        Place(line, dc, -1);
        line.Draw(dc); // hidden twice
        QVERIFY(dc.Image() == before);
    }

    // A readout of `digits` cells shows `previous`, then `value` as `shown` (or refuses it):
    // every cell holds the glyph of its character, pixel for pixel.
    void readoutShowsItsValue_data() {
        auto row = ReadoutCases::Declare();
        row("blank then digits", 7, 0, 1234.5, " 1234.5", true);
        row("leading digits cut", 7, 0, 12345678.9, "45678.9", true);
        row("minus painted, not left stale", 7, 888888.8, -3.5, "   -3.5", true);
        row("twelve cells", 12, 0, 38.1234567, "  38.1234567", true);
        row("huge value never overflows", 7, 1, 1e300, "    1.0", false);
    }
    void readoutShowsItsValue() {
        auto [digits, previous, value, shown, accepted] = ReadoutCases::Fetch();
        const int decimals = digits == 12 ? 7 : 1;
        Canvas dc;
        dc.Resize(300, 100);
        CLABEL label; // as the view sets them: the cyan strip, 13 x 19 cells 2 pixels apart
        label.bitmapId = GlyphStrip::kCyanStrip, label.glyphWidth = 13, label.glyphHeight = 19;
        label.gap = 2, label.extraWidth = 0, label.digitCount = static_cast<std::int16_t>(digits);
        label.decimals = static_cast<std::int16_t>(decimals), label.left = 30, label.top = 40;
        label.Prepare(dc);
        label.ShowValue(dc, previous);
        label.ShowValue(dc, value);
        QCOMPARE(QString::fromStdString(label.shown), shown);
        QCOMPARE(label.lastValue, accepted ? value : (digits > 12 ? 0.0 : previous));
        for (int i = 0; i < std::min(digits, 12); ++i) {
            const char c = label.shown[i];
            const int glyph = c == '.'   ? GlyphStrip::kPointCell
                              : c == '-' ? GlyphStrip::kMinusCell
                              : c == ' ' ? GlyphStrip::kBlankCell
                                         : c - '0';
            QVERIFY2(dc.CopyBlock(QRect(label.cellPos[i], QSize(13, 19))) ==
                         label.glyphs.copy(glyph * 13, 0, 13, 19),
                     qPrintable(QStringLiteral("cell %1").arg(i)));
        }
    }
};

QTEST_MAIN(CanvasTest)
#include "CanvasTest.moc"
