#include "ChartTestSupport.h"
#include "charts/CLABEL.h"
#include "charts/GlyphStrip.h"

// Digit readouts: the box a readout takes and what its cells show.
class ReadoutTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kCyan = Rgb(0, 255, 255);

    // A readout as the view configures them: the cyan strip, 13 x 19 cells, 2 pixels apart.
    static CLABEL Prepared(Canvas& dc, int digits, int decimals) {
        dc.Resize(300, 100);
        CLABEL label;
        label.bitmapId = GlyphStrip::kCyanStrip;
        label.glyphWidth = 13;
        label.glyphHeight = 19;
        label.gap = 2;
        label.extraWidth = 0;
        label.digitCount = static_cast<std::int16_t>(digits);
        label.decimals = static_cast<std::int16_t>(decimals);
        label.left = 30;
        label.top = 40;
        label.lastValue = 5.0;
        label.Prepare(dc);
        return label;
    }

private slots:
    void prepareBlanksTheBox() {
        Canvas dc;
        const CLABEL label = Prepared(dc, 7, 1);
        QCOMPARE(label.bounds, (Rect{30, 40, 30 + 15 * 7 + 6 + 2, 63}));
        QCOMPARE(label.cellPos[6], QPoint(36 + 6 * 15, 42));
        QCOMPARE(label.lastValue, 0.0);
        QCOMPARE(dc.GetPixel(36, 42), kCyan);
        QCOMPARE(dc.GetPixel(36 + 6 * 15 + 12, 42 + 18), kCyan);
        QCOMPARE(dc.GetPixel(36 + 13, 42), kWhite); // the gap
    }

    // `previous` is shown first; `value` then shows as `shown`, or not at all.
    void showValue_data() {
        auto row = Table<int, int, double, double, QString, bool>(
            {"digits", "decimals", "previous", "value", "shown", "accepted"});
        row("blank then digits", 7, 1, 0, 1234.5, " 1234.5", true);
        row("leading digits cut", 7, 1, 0, 12345678.9, "45678.9", true);
        row("minus painted, not left stale", 7, 1, 888888.8, -3.5, "   -3.5", true);
        row("twelve cells", 12, 7, 0, 38.1234567, "  38.1234567", true);
        row("huge value never overflows", 7, 1, 1, 1e300, "    1.0", false);
        row("more than twelve cells", 13, 1, 1, 2, QString(13, QLatin1Char(' ')), false);
    }
    void showValue() {
        QFETCH(int, digits);
        QFETCH(int, decimals);
        QFETCH(double, previous);
        QFETCH(double, value);
        QFETCH(bool, accepted);
        Canvas dc;
        CLABEL label = Prepared(dc, digits, decimals);
        label.ShowValue(dc, previous);
        label.ShowValue(dc, value);
        QTEST(QString::fromStdString(label.shown), "shown");
        QCOMPARE(label.lastValue, accepted ? value : (digits > 12 ? 0.0 : previous));
        if (accepted)
            QCOMPARE(label.text, label.shown);
        // Every cell holds the glyph of its character, pixel for pixel.
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

QTEST_MAIN(ReadoutTest)
#include "ReadoutTest.moc"
