#include "charts/Canvas.h"
#include "charts/Ccolormap.h"
#include "document/Cgprdata.h"
#include "support/SynthFixture.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// The GPR colour map: the scan window for a value or a distance, the colour of a deviation,
// the picture's rows and columns, the distance labels, and what is drawn without a file.
class ColourMapTest : public QObject {
    Q_OBJECT

private:
    static constexpr QRgb kWhite = Rgb(255, 255, 255);

    TempDir dir_;

    // A "PULSE07" file of `scans` scans, scan s at 100 + 2 s feet, amplitude 2048 but for
    // sample 400 of every scan, 300 counts above.
    std::string WriteFile(int scans, const char* name = "map.DAT") {
        std::vector<std::int16_t> samples(static_cast<std::size_t>(scans + 1) * 1024, 2048);
        std::memcpy(samples.data(), "PULSE07", 7);
        for (int j = 1; j <= scans; ++j) {
            std::int16_t* block = &samples[static_cast<std::size_t>(j) * 1024];
            block[400] = 2048 + 300;
            block[1022] = 0;
            block[1023] = static_cast<std::int16_t>(100 + 2 * (j - 1));
        }
        const std::string path = dir_.File(name);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(samples.data(), 2, samples.size(), f);
        std::fclose(f);
        return path;
    }

    static std::unique_ptr<Cgprdata> Read(const std::string& path) {
        auto data = std::make_unique<Cgprdata>();
        data->path = path;
        data->ReadFile();
        return data;
    }

private slots:
    void positionChoosesTheWindow_data() {
        QTest::addColumn<int>("scans");
        QTest::addColumn<int>("startScan"); // firstScan before
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<int>("firstScan");
        QTest::addColumn<int>("lastScan");
        QTest::addColumn<int>("columnCount");
        QTest::addColumn<int>("lastColumnScan");
        // An image 101 pixels wide: 100 columns, a span of 100 scans.
        QTest::newRow("centre") << 1000 << 0 << 500 << 10 << false << 450 << 101 << 101 << 100;
        QTest::newRow("centre, absolute")
            << 1000 << 0 << 500 << 10 << true << 450 << 550 << 101 << 550;
        QTest::newRow("start") << 1000 << 0 << 200 << 11 << false << 200 << 101 << 101 << 100;
        QTest::newRow("start, -11") << 1000 << 0 << 200 << -11 << false << 200 << 101 << 101 << 100;
        QTest::newRow("centre near the start")
            << 1000 << 0 << 20 << 10 << false << 0 << 101 << 101 << 100;
        QTest::newRow("centre near the end")
            << 1000 << 0 << 990 << 10 << false << 900 << 100 << 100 << 99;
        QTest::newRow("a page on") << 1000 << 200 << 1 << 0 << false << 300 << 101 << 101 << 100;
        QTest::newRow("25 scans on") << 1000 << 200 << 25 << 0 << false << 225 << 101 << 101 << 100;
        QTest::newRow("pages back past the start")
            << 1000 << 200 << -3 << 0 << false << 0 << 101 << 101 << 100;
        QTest::newRow("other modes keep the start")
            << 1000 << 200 << 7 << 3 << false << 200 << 101 << 101 << 100;
        QTest::newRow("value 0 forgets a start outside the file")
            << 1000 << 5000 << 0 << 3 << false << 0 << 101 << 101 << 100;
        QTest::newRow("fewer scans than columns")
            << 40 << 0 << 0 << 11 << false << 0 << 40 << 40 << 39;
        QTest::newRow("starting at the last scan")
            << 40 << 0 << 39 << 11 << false << 39 << 1 << 1 << 0;
        QTest::newRow("starting past the end shows the start")
            << 40 << 0 << 45 << 11 << false << 0 << 40 << 40 << 39;
        QTest::newRow("no scans") << 0 << 0 << 0 << 11 << false << 0 << 0 << 0 << -1;
    }
    void positionChoosesTheWindow() {
        QFETCH(int, scans);
        QFETCH(int, startScan);
        QFETCH(int, value);
        QFETCH(int, mode);
        QFETCH(bool, absolute);
        Cgprdata data;
        data.scanCount = scans;
        data.absolute = absolute;
        Ccolormap map;
        map.imageRect = {50, 20, 151, 320};
        map.firstScan = startScan;
        QCOMPARE(map.Position(data, value, mode), 0);
        QTEST(map.firstScan, "firstScan");
        QTEST(map.lastScan, "lastScan");
        QTEST(map.columnCount, "columnCount");
        QCOMPARE(map.columns, 100);
        QCOMPARE(map.scanSpan, 100);
        if (map.columnCount > 0) {
            QCOMPARE(map.columnScan[0], absolute ? map.firstScan : 0);
            QTEST(map.columnScan[map.columnCount - 1], "lastColumnScan");
        }
        QCOMPARE(map.colourBar.barRect, (Rect{166, 20, 176, 320}));
    }

    void columnsBeyondTheStoreAreCutAndSaid() {
        Cgprdata data;
        data.scanCount = 10'000;
        Ccolormap map;
        map.imageRect = {0, 0, 4500, 100};
        map.Position(data, 0, 11);
        QCOMPARE(map.columnCount, Ccolormap::kMaxColumns);
        QCOMPARE(map.lastScan, Ccolormap::kMaxColumns);
        QVERIFY(!map.note.empty());
        map.imageRect = {0, 0, 1000, 100};
        map.Position(data, 0, 11);
        QVERIFY(map.note.empty());
    }

    void goToDistanceFindsTheScanAndLoadsTheWindow_data() {
        QTest::addColumn<int>("distance");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("firstScan");
        QTest::addColumn<int>("lastDistance");
        QTest::addColumn<int>("columnCount");
        // 500 scans from 100 ft, 2 ft apart; the image shows 101 of them.
        QTest::newRow("centred") << 600 << 10 << false << 0 << 200 << 700 << 101;
        QTest::newRow("between two scans") << 601 << 10 << false << 0 << 200 << 700 << 101;
        QTest::newRow("absolute loads the last column too")
            << 600 << 10 << true << 0 << 200 << 700 << 101;
        QTest::newRow("starting") << 600 << 11 << false << 0 << 250 << 800 << 101;
        QTest::newRow("past the end") << 5000 << 10 << false << 0 << 400 << 1098 << 100;
        QTest::newRow("before the first scan") << 50 << 10 << false << -1 << 7 << 0 << 0;
        QTest::newRow("starting before the first scan") << 0 << 11 << false << 0 << 0 << 300 << 101;
    }
    void goToDistanceFindsTheScanAndLoadsTheWindow() {
        QFETCH(int, distance);
        QFETCH(int, mode);
        QFETCH(bool, absolute);
        QFETCH(int, result);
        auto data = Read(WriteFile(500));
        data->absolute = absolute;
        Ccolormap map;
        map.imageRect = {50, 20, 151, 320};
        map.firstScan = 7;
        QTEST(map.GoToDistance(*data, distance, mode), "result");
        QTEST(map.firstScan, "firstScan");
        if (result != 0)
            return;
        QTEST(map.columnCount, "columnCount");
        Canvas dc;
        dc.Resize(300, 400);
        map.Draw(dc, *data);
        QCOMPARE(map.firstDistance, 100 + 2 * map.firstScan);
        QTEST(map.lastDistance, "lastDistance");
        QCOMPARE(map.columnDistance[map.columnCount - 1], map.lastDistance);
        QCOMPARE(map.drawn, std::int16_t{1});
        // The columns shown hold loaded scans (column i stands at left + i + 1; the picture
        // is copied 101 pixels wide, so column 100 is not seen).
        QVERIFY(dc.GetPixel(50 + 1, 20 + 100) != kWhite);
        QVERIFY(dc.GetPixel(150, 20 + 100) != kWhite);
    }

    void columnsAndPixelsMapToDistances() {
        auto data = Read(WriteFile(500));
        Ccolormap map;
        map.imageRect = {50, 20, 151, 320};
        QCOMPARE(map.GoToDistance(*data, 600, 10), 0); // columns from 500 ft, 2 ft apart
        struct Case {
            int distance, column;
        };
        for (const Case c : {Case{600, 50}, Case{601, 50}, Case{500, 0}, Case{499, -1},
                             Case{700, 100}, Case{9999, 100}})
            QCOMPARE(map.ColumnOfDistance(c.distance), c.column);
        QCOMPARE(map.DistanceAtPoint(50 + 51, 100), 600); // column i stands at left + i + 1
        QCOMPARE(map.DistanceAtPoint(50 + 1, 20), 500);
        QCOMPARE(map.DistanceAtPoint(50, 100), -1);
        QCOMPARE(map.DistanceAtPoint(151, 100), -1);
        QCOMPARE(map.DistanceAtPoint(100, 320), -1);
    }

    void colourOfADeviation_data() {
        QTest::addColumn<int>("deviation");
        QTest::addColumn<int>("lower");
        QTest::addColumn<int>("upper");
        QTest::addColumn<int>("ampMax");
        QTest::addColumn<int>("ampMin");
        QTest::addColumn<int>("index");
        QTest::newRow("none: the middle") << 0 << 0 << 1279 << 3000 << 1000 << 640;
        QTest::newRow("at the range's top: the last colour")
            << 952 << 0 << 1279 << 3000 << 1000 << 1279;
        QTest::newRow("beyond the top") << 30000 << 0 << 1279 << 3000 << 1000 << 1279;
        QTest::newRow("half way up") << 476 << 0 << 1279 << 3000 << 1000 << 960;
        QTest::newRow("at the range's bottom: colour 1") << -1048 << 0 << 1279 << 3000 << 1000 << 1;
        QTest::newRow("half way down") << -524 << 0 << 1279 << 3000 << 1000 << 320;
        QTest::newRow("lower handle at 320 saturates sooner")
            << -524 << 320 << 1279 << 3000 << 1000 << 1;
        QTest::newRow("upper handle at 960 saturates sooner")
            << 476 << 0 << 960 << 3000 << 1000 << 1279;
        QTest::newRow("flat file's range") << 1 << 0 << 1279 << 2049 << 2047 << 1279;
        QTest::newRow("no range: no division by zero") << 5 << 0 << 1279 << 2048 << 2048 << 1279;
        QTest::newRow("no range, below") << -5 << 0 << 1279 << 2048 << 2048 << 1;
        QTest::newRow("handles at the middle: no division by zero")
            << 1 << 640 << 640 << 3000 << 1000 << 1279;
    }
    void colourOfADeviation() {
        QFETCH(int, deviation);
        QFETCH(int, lower);
        QFETCH(int, upper);
        QFETCH(int, ampMax);
        QFETCH(int, ampMin);
        QTEST(Ccolormap::ColourIndex(deviation, 1280, lower, upper, ampMax, ampMin), "index");
    }

    void labelCount_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("labels");
        QTest::newRow("900") << 900 << 11;
        QTest::newRow("510") << 510 << 11;
        QTest::newRow("500") << 500 << 10;
        QTest::newRow("120") << 120 << 3;
        QTest::newRow("102") << 102 << 3;
        QTest::newRow("101") << 101 << 0;
        QTest::newRow("90") << 90 << 0;
        QTest::newRow("0") << 0 << 0;
    }
    void labelCount() {
        QFETCH(int, columns);
        QTEST(Ccolormap::LabelCount(columns), "labels");
    }

    void labelsStandUnderTheirColumns() {
        auto data = Read(WriteFile(120));
        Ccolormap map;
        map.imageRect = {50, 20, 171, 320}; // 120 columns: labels at 0, 60 and 119
        QCOMPARE(map.GoToDistance(*data, 100, 11), 0);
        QCOMPARE(map.columnCount, 120);
        Canvas dc;
        dc.Resize(400, 400);
        dc.BeginCommand();
        map.Draw(dc, *data);
        QCOMPARE(map.scaleRect, (Rect{50, 320, 171, 340}));
        for (int column : {0, 60, 119}) {
            const int x = 50 + column + 1;
            for (int y = 320; y < 324; ++y)
                QCOMPARE(dc.GetPixel(x, y), Rgb(0, 0, 0));
            QCOMPARE(dc.GetPixel(x + 3, 321), kWhite);
        }
        QCOMPARE(dc.GetPixel(50 + 31, 321), kWhite);
    }

    void pixelsShowEveryRowStepSamplesOfEachScan() {
        auto data = Read(WriteFile(300));
        Ccolormap map;
        map.rowStep = 4;
        map.imageRect = {10, 10, 211, 310}; // 300 rows: room for more than 256
        QCOMPARE(map.GoToDistance(*data, 100, 11), 0);
        QCOMPARE(map.rowCount, 256);
        Canvas dc;
        dc.Resize(300, 400);
        map.Draw(dc, *data);
        const Ccolorrainbowl& palette = map.colourBar.palette;
        // Picture row r shows sample 4 (r - 1) and stands at top - 1 + r.
        for (int x : {11, 100, 210}) {
            QCOMPARE(dc.GetPixel(x, 10), palette.working[640]);        // sample 0: flat
            QCOMPARE(dc.GetPixel(x, 10 + 100), palette.working[1279]); // sample 400: the peak
            QCOMPARE(dc.GetPixel(x, 10 + 99), palette.working[640]);
            QCOMPARE(dc.GetPixel(x, 10 + 255), palette.working[640]); // row 256, sample 1020
            QCOMPARE(dc.GetPixel(x, 10 + 256), kWhite);               // no row 257
        }
        QCOMPARE(dc.GetPixel(10, 100), kWhite); // the picture's first column is blank
    }

    void noFileDrawsAWhiteImage() {
        auto data = Read(WriteFile(300));
        Ccolormap map;
        map.imageRect = {10, 10, 211, 110};
        QCOMPARE(map.GoToDistance(*data, 100, 11), 0);
        data->path = dir_.File("missing.DAT");
        QCOMPARE(data->ReadFile(), -1);
        QCOMPARE(map.GoToDistance(*data, 0, 11), -1);
        Canvas dc;
        dc.Resize(300, 200);
        dc.FillSolidRect(Rect{0, 0, 300, 200}, Rgb(1, 2, 3));
        map.Draw(dc, *data);
        for (int y = 9; y < 108; ++y)
            for (int x = 10; x < 211; ++x)
                QCOMPARE(dc.GetPixel(x, y), kWhite);
        QCOMPARE(map.DistanceAtPoint(50, 50), -1);
        QCOMPARE(map.ColumnOfDistance(200), -1);
    }

    void imageIsMadeAgainWhenItsRectangleGrows() {
        auto data = Read(WriteFile(500));
        Ccolormap map;
        map.rowStep = 4;
        map.imageRect = {10, 10, 71, 51};
        map.GoToDistance(*data, 100, 11);
        Canvas dc;
        dc.Resize(400, 400);
        map.Draw(dc, *data);
        QCOMPARE(map.image.size(), QSize(62, 42));
        map.imageRect = {10, 10, 311, 311};
        map.GoToDistance(*data, 100, 11);
        map.Draw(dc, *data);
        QCOMPARE(map.image.size(), QSize(302, 302));
        QCOMPARE(dc.GetPixel(10 + 250, 10 + 100), map.colourBar.palette.working[1279]);
        QCOMPARE(dc.GetPixel(10 + 300, 10 + 50), map.colourBar.palette.working[640]);
    }

    // A 1600-pixel window shows about 1550 columns of 256 rows; loading and drawing them must
    // not hold up the mouse.
    void wideWindowLoadsAndDrawsQuickly() {
        synth::Options options = SmallSynthOptions();
        options.groups = 800;
        options.gpr = synth::Options::Gpr::Qxr;
        const SynthFiles files = GenerateSynthFiles(dir_, options, "wide");
        QVERIFY2(files.ok, files.error.c_str());
        auto data = Read(files.dat);
        QVERIFY(data->scanCount > 2000);
        Ccolormap map;
        map.rowStep = 4;
        map.imageRect = {20, 20, 1571, 300};
        Canvas dc;
        dc.Resize(1650, 400);
        qint64 best = 1'000'000'000;
        for (int round = 0; round < 5; ++round) {
            QElapsedTimer timer;
            timer.start();
            QCOMPARE(map.GoToDistance(*data, 1000 + 37 * round, 10), 0);
            map.Draw(dc, *data);
            map.colourBar.DrawBar(dc);
            best = std::min(best, timer.nsecsElapsed());
        }
        QCOMPARE(map.columnCount, 1551);
        qInfo("1551 columns x 256 rows loaded and drawn in %.2f ms", best / 1e6);
        QVERIFY2(best < 20'000'000, "slower than 20 ms");
    }
};

QTEST_MAIN(ColourMapTest)
#include "ColourMapTest.moc"
