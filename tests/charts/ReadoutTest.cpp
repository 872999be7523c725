#include "charts/CLABEL.h"
#include "charts/Canvas.h"
#include "charts/GlyphStrip.h"

#include <QTest>

// Digit readouts: the glyph strips, the box a readout takes and what its cells show.
class ReadoutTest : public QObject {
    Q_OBJECT

private:
    static constexpr QRgb kCyan = Rgb(0, 255, 255);
    static constexpr QRgb kNavy = Rgb(0, 0, 128);

    static int Glyph(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c == '.')
            return GlyphStrip::kPointCell;
        if (c == '-')
            return GlyphStrip::kMinusCell;
        return GlyphStrip::kBlankCell;
    }

    static int CountInk(const QImage& image, const QRect& rect, QRgb ink) {
        int n = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                n += image.pixel(x, y) == ink;
        return n;
    }

    // A readout as the view configures them: the cyan strip, 13 x 19 cells, 2 pixels apart.
    static CLABEL Configured(int digits, int decimals) {
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
        return label;
    }

private slots:
    void stripsHoldEveryGlyph_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRgb>("ink");
        QTest::addColumn<QRgb>("paper");
        QTest::newRow("332") << 332 << 24 << Rgb(128, 0, 0) << Rgb(255, 255, 0);
        QTest::newRow("314") << 314 << 19 << kNavy << kCyan;
    }
    void stripsHoldEveryGlyph() {
        QFETCH(int, id);
        QFETCH(int, height);
        QFETCH(QRgb, ink);
        QFETCH(QRgb, paper);
        const QImage& strip = GlyphStrip::ForId(id);
        QCOMPARE(strip.height(), height);
        QCOMPARE(strip.width(), GlyphStrip::kCellCount * 13); // widened for the minus cell
        const auto cell = [&](int i) { return QRect(i * 13, 0, 13, height); };
        for (int i = 0; i < GlyphStrip::kCellCount; ++i) {
            const int ink_ = CountInk(strip, cell(i), ink);
            const int paper_ = CountInk(strip, cell(i), paper);
            QCOMPARE(ink_ + paper_, 13 * height); // two colours only
            if (i == GlyphStrip::kBlankCell)
                QCOMPARE(ink_, 0);
            else
                QVERIFY2(ink_ > 3, qPrintable(QStringLiteral("cell %1 is empty").arg(i)));
        }
        // Digits fill the cell's height and leave its edges clear.
        QVERIFY(CountInk(strip, QRect(8 * 13, 0, 13, height / 4), ink) > 0);
        QVERIFY(CountInk(strip, QRect(8 * 13, height * 3 / 4, 13, height / 4), ink) > 0);
        QCOMPARE(CountInk(strip, QRect(8 * 13, 0, 13, 1), ink), 0);
        QCOMPARE(CountInk(strip, QRect(8 * 13, 0, 1, height), ink), 0);
        // The point sits low, the minus in the middle.
        QCOMPARE(CountInk(strip, QRect(10 * 13, 0, 13, height / 2), ink), 0);
        QVERIFY(CountInk(strip, QRect(12 * 13 + 6, height / 2 - 2, 1, 5), ink) > 0);
        QCOMPARE(CountInk(strip, QRect(12 * 13, 0, 13, height / 3), ink), 0);
        QVERIFY(GlyphStrip::ForId(999).isNull());
    }

    void prepareBlanksTheBox() {
        Canvas dc;
        dc.Resize(300, 100);
        CLABEL label = Configured(7, 1);
        label.lastValue = 5.0;
        label.Prepare(dc);
        QCOMPARE(label.boxWidth, 15 * 7 + 6 + 0 + 2);
        QCOMPARE(label.boxHeight, 23);
        QCOMPARE(label.bounds, (Rect{30, 40, 30 + 113, 63}));
        QCOMPARE(label.cellPos[0], QPoint(36, 42));
        QCOMPARE(label.cellPos[6], QPoint(36 + 6 * 15, 42));
        QCOMPARE(label.shown, std::string(7, ' '));
        QCOMPARE(label.lastValue, 0.0);
        QCOMPARE(dc.GetPixel(36, 42), kCyan);
        QCOMPARE(dc.GetPixel(36 + 6 * 15 + 12, 42 + 18), kCyan);
        QCOMPARE(dc.GetPixel(36 + 13, 42), Rgb(255, 255, 255)); // the gap
    }

    // `previous` is shown first; `value` then shows as `shown`, or not at all.
    void showValue_data() {
        QTest::addColumn<int>("digits");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("previous");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("blank then digits") << 7 << 1 << 0.0 << 1234.5 << " 1234.5" << true;
        QTest::newRow("leading digits cut") << 7 << 1 << 0.0 << 12345678.9 << "45678.9" << true;
        QTest::newRow("minus painted, not left stale")
            << 7 << 1 << 888888.8 << -3.5 << "   -3.5" << true;
        QTest::newRow("latitude") << 12 << 7 << 0.0 << 38.1234567 << "  38.1234567" << true;
        QTest::newRow("value readout") << 6 << 2 << 0.0 << 12.25 << " 12.25" << true;
        QTest::newRow("too wide") << 7 << 1 << 1.0 << 1e12 << "    1.0" << false;
        QTest::newRow("huge value never overflows") << 7 << 1 << 1.0 << 1e300 << "    1.0" << false;
        QTest::newRow("more than twelve cells")
            << 13 << 1 << 1.0 << 2.0 << QString(13, QLatin1Char(' ')) << false;
    }
    void showValue() {
        QFETCH(int, digits);
        QFETCH(int, decimals);
        QFETCH(double, previous);
        QFETCH(double, value);
        QFETCH(QString, shown);
        QFETCH(bool, accepted);
        Canvas dc;
        dc.Resize(300, 100);
        CLABEL label = Configured(digits, decimals);
        label.Prepare(dc);
        label.ShowValue(dc, previous);
        label.ShowValue(dc, value);
        QCOMPARE(QString::fromStdString(label.shown), shown);
        QCOMPARE(label.lastValue, accepted ? value : (digits > 12 ? 0.0 : previous));
        if (accepted)
            QCOMPARE(label.text, label.shown);
        // Every cell holds the glyph of its character, pixel for pixel.
        const int cells = std::min(digits, 12);
        for (int i = 0; i < cells; ++i) {
            const QRect glyph(Glyph(label.shown[i]) * 13, 0, 13, 19);
            const QImage onCanvas = dc.CopyBlock(QRect(label.cellPos[i], QSize(13, 19)));
            QVERIFY2(onCanvas == label.glyphs.copy(glyph),
                     qPrintable(QStringLiteral("cell %1").arg(i)));
        }
    }
};

QTEST_MAIN(ReadoutTest)
#include "ReadoutTest.moc"
