#include "ChartTestSupport.h"
#include "charts/Ccolormap.h"
#include "document/Cgprdata.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// The GPR colour map: the scan window for a value or a distance, the colour of a deviation,
// the picture's rows and columns, the distance labels, and what is drawn without a file.
class ColourMapTest : public QObject {
    Q_OBJECT

    TempDir dir_;

    // A "PULSE07" file of `scans` scans, scan s at 100 + 2 s feet, amplitude 2048 but for
    // sample 400 of every scan, 300 counts above.
    std::unique_ptr<Cgprdata> Read(int scans) {
        std::vector<std::int16_t> samples(static_cast<std::size_t>(scans + 1) * 1024, 2048);
        std::memcpy(samples.data(), "PULSE07", 7);
        for (int j = 1; j <= scans; ++j) {
            std::int16_t* block = &samples[static_cast<std::size_t>(j) * 1024];
            block[400] = 2048 + 300;
            block[1022] = 0;
            block[1023] = static_cast<std::int16_t>(100 + 2 * (j - 1));
        }
        auto data = std::make_unique<Cgprdata>();
        data->path = dir_.File("map.DAT");
        std::FILE* f = std::fopen(data->path.c_str(), "wb");
        std::fwrite(samples.data(), 2, samples.size(), f);
        std::fclose(f);
        data->ReadFile();
        return data;
    }

    // A map on `rect` from the first scan, drawn on a fresh canvas.
    static void Drawn(Ccolormap& map, Cgprdata& data, Canvas& dc, Rect rect) {
        map.imageRect = rect;
        QCOMPARE(map.GoToDistance(data, 100, GprFollow::Start), 0);
        Blank(dc, 400, 400);
        map.Draw(dc, data);
    }

private slots:
    void positionChoosesTheWindow_data() {
        // start: firstScan before; window: firstScan, lastScan, columnCount, last column's scan.
        auto row = Table<int, int, int, GprFollow, bool, QList<int>>(
            {"scans", "start", "value", "mode", "absolute", "window"});
        const GprFollow centre = GprFollow::Centre, start = GprFollow::Start;
        const auto other = static_cast<GprFollow>(3);
        // An image 101 pixels wide: 100 columns, a span of 100 scans.
        row("centre", 1000, 0, 500, centre, false, {450, 101, 101, 100});
        row("centre, absolute", 1000, 0, 500, centre, true, {450, 550, 101, 550});
        row("start", 1000, 0, 200, start, false, {200, 101, 101, 100});
        row("a page on", 1000, 200, 1, GprFollow::Move, false, {300, 101, 101, 100});
        row("other modes keep the start", 1000, 200, 7, other, false, {200, 101, 101, 100});
        row("value 0 forgets a start outside the file", 1000, 5000, 0, other, false,
            {0, 101, 101, 100});
        row("fewer scans than columns", 40, 0, 0, start, false, {0, 40, 40, 39});
        row("starting past the end shows the start", 40, 0, 45, start, false, {0, 40, 40, 39});
        row("no scans", 0, 0, 0, start, false, {0, 0, 0, -1});
    }
    void positionChoosesTheWindow() {
        QFETCH(int, scans);
        QFETCH(int, start);
        QFETCH(int, value);
        QFETCH(GprFollow, mode);
        QFETCH(bool, absolute);
        Cgprdata data;
        data.scanCount = scans;
        data.absolute = absolute;
        Ccolormap map;
        map.imageRect = {50, 20, 151, 320};
        map.firstScan = start;
        QCOMPARE(map.Position(data, value, mode), 0);
        const int last = map.columnCount > 0 ? map.columnScan[map.columnCount - 1] : -1;
        QTEST(QList<int>({map.firstScan, map.lastScan, map.columnCount, last}), "window");
        if (map.columnCount > 0)
            QCOMPARE(map.columnScan[0], absolute ? map.firstScan : 0);
        QCOMPARE(map.colourBar.barRect, (Rect{166, 20, 176, 320}));
    }

    // Wider than the column store, the image is cut, and says so.
    void columnsBeyondTheStoreAreCutAndSaid() {
        Cgprdata data;
        data.scanCount = 10'000;
        Ccolormap map;
        map.imageRect = {0, 0, 4500, 100};
        map.Position(data, 0, GprFollow::Start);
        QCOMPARE(map.columnCount, Ccolormap::kMaxColumns);
        QCOMPARE(map.lastScan, Ccolormap::kMaxColumns);
        QVERIFY(!map.note.empty());
        map.imageRect = {0, 0, 1000, 100};
        map.Position(data, 0, GprFollow::Start);
        QVERIFY(map.note.empty());
    }

    void goToDistanceFindsTheScanAndLoadsTheWindow_data() {
        auto row = Table<int, GprFollow, bool, int, int, int, int>(
            {"distance", "mode", "absolute", "result", "firstScan", "lastDistance", "columnCount"});
        const GprFollow centre = GprFollow::Centre;
        // 500 scans from 100 ft, 2 ft apart; the image shows 101 of them.
        row("centred", 600, centre, false, 0, 200, 700, 101);
        row("absolute loads the last column too", 600, centre, true, 0, 200, 700, 101);
        row("starting", 600, GprFollow::Start, false, 0, 250, 800, 101);
        row("past the end", 5000, centre, false, 0, 400, 1098, 100);
        row("before the first scan", 50, centre, false, -1, 7, 0, 0);
    }
    void goToDistanceFindsTheScanAndLoadsTheWindow() {
        QFETCH(int, distance);
        QFETCH(GprFollow, mode);
        QFETCH(bool, absolute);
        QFETCH(int, result);
        auto data = Read(500);
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
        // Column i stands at left + i + 1 and holds a loaded scan (the picture is copied 101
        // pixels wide, so column 100 is not seen); outside the image there is no distance.
        QVERIFY(dc.GetPixel(150, 20 + 100) != kWhite);
        const int d49 = map.columnDistance[49];
        QCOMPARE(QList<int>({map.DistanceAtPoint(100, 100), map.DistanceAtPoint(50, 100),
                             map.DistanceAtPoint(100, 320), map.ColumnOfDistance(d49 + 1),
                             map.ColumnOfDistance(map.firstDistance - 1)}),
                 QList<int>({d49, -1, -1, 49, -1}));
    }

    void colourOfADeviation_data() {
        // deviation, lower and upper handle, amplitude maximum and minimum
        auto row = Table<QList<int>, int>({"args", "index"});
        row("none: the middle", {0, 0, 1279, 3000, 1000}, 640);
        row("at the range's top: the last colour", {952, 0, 1279, 3000, 1000}, 1279);
        row("half way up", {476, 0, 1279, 3000, 1000}, 960);
        row("at the range's bottom: colour 1", {-1048, 0, 1279, 3000, 1000}, 1);
        row("lower handle at 320 saturates sooner", {-524, 320, 1279, 3000, 1000}, 1);
        row("upper handle at 960 saturates sooner", {476, 0, 960, 3000, 1000}, 1279);
        row("no range: no division by zero", {5, 0, 1279, 2048, 2048}, 1279);
        row("handles at the middle: no division by zero", {1, 640, 640, 3000, 1000}, 1279);
    }
    void colourOfADeviation() {
        QFETCH(QList<int>, args);
        QTEST(Ccolormap::ColourIndex(args[0], 1280, args[1], args[2], args[3], args[4]), "index");
    }

    void labelCount_data() {
        auto row = Table<int, int>({"columns", "labels"});
        for (const QPoint p :
             QList<QPoint>{{900, 11}, {510, 11}, {500, 10}, {120, 3}, {102, 3}, {101, 0}})
            row(qPrintable(QString::number(p.x())), p.x(), p.y());
    }
    void labelCount() {
        QFETCH(int, columns);
        QTEST(Ccolormap::LabelCount(columns), "labels");
    }

    // 120 columns: ticks under columns 0, 60 and 119, each standing at left + column + 1.
    void labelsStandUnderTheirColumns() {
        auto data = Read(120);
        Ccolormap map;
        Canvas dc;
        Drawn(map, *data, dc, {50, 20, 171, 320});
        QCOMPARE(map.scaleRect, (Rect{50, 320, 171, 340}));
        for (int column : {0, 60, 119})
            QCOMPARE(Count(dc, Rgb(0, 0, 0), QRect(50 + column + 1, 320, 1, 4)), 4);
        QCOMPARE(dc.GetPixel(50 + 31, 321), kWhite);
    }

    // Picture row r shows sample 4 (r - 1) and stands at top - 1 + r: 256 rows from 1024
    // samples; the picture's first column is blank. A picture used to keep the size of its
    // first drawing.
    void pixelsShowEveryFourthSampleInAPictureMadeAgainWhenItGrows() {
        auto data = Read(300);
        Ccolormap map;
        map.rowStep = 4;
        Canvas dc;
        Drawn(map, *data, dc, {10, 10, 71, 51});
        QCOMPARE(map.image.size(), QSize(62, 42));
        Drawn(map, *data, dc, {10, 10, 211, 310}); // 300 rows: room for more than 256
        QCOMPARE(map.image.size(), QSize(202, 301));
        QCOMPARE(map.rowCount, 256);
        const auto& colour = map.colourBar.palette.working;
        const int x = 210;
        QCOMPARE(QList<QRgb>({dc.GetPixel(x, 10 + 99), dc.GetPixel(x, 10 + 100),
                              dc.GetPixel(x, 10 + 255), dc.GetPixel(x, 10 + 256)}),
                 QList<QRgb>({colour[640], colour[1279], colour[640], kWhite})); // 400 the peak
        QCOMPARE(dc.GetPixel(10, 100), kWhite);
    }

    // Without a file nothing is found and the image is drawn white.
    void noFileDrawsAWhiteImage() {
        auto data = Read(300);
        Ccolormap map;
        Canvas dc;
        Drawn(map, *data, dc, {10, 10, 211, 110});
        data->path = dir_.File("missing.DAT");
        QCOMPARE(data->ReadFile(), -1);
        QCOMPARE(map.GoToDistance(*data, 0, GprFollow::Start), -1);
        dc.FillSolidRect(dc.ClientRect(), Rgb(1, 2, 3));
        map.Draw(dc, *data);
        QCOMPARE(Count(dc, kWhite, QRect(10, 9, 201, 99)), 201 * 99);
        QCOMPARE(map.DistanceAtPoint(50, 50), -1);
        QCOMPARE(map.ColumnOfDistance(200), -1);
    }
};

QTEST_MAIN(ColourMapTest)
#include "ColourMapTest.moc"
