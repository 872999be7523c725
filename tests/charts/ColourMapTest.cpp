#include "ChartTestSupport.h"
#include "charts/Ccolorbar.h"
#include "charts/Ccolormap.h"
#include "document/Cgprdata.h"
#include "support/TempDir.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

// The GPR colour map (the scan window for a distance and its columns, the colour of a deviation,
// what is drawn without a file) and its colour bar (the palette the handles make, and the handle
// drag). (The map, its labels and the rainbow bar are compared pixel by pixel with the earlier
// build's screenshots; the map drawn again after a resize and a press on a handle are checked
// with the data views.)
class ColourMapTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kRed = Rgb(255, 0, 0), kBlue = Rgb(0, 0, 255);
    // distance, mode, absolute; result, firstScan, lastDistance, columnCount
    using DistanceCases = Cases<int, GprFollow, bool, int, int, int, int>;
    using DeviationCases = Cases<QList<int>, int>;    // deviation, handles, maximum, minimum; index
    using HandleCases = Cases<int, int, int, int>;    // lower, upper handle; index, its master
    using DragCases = Cases<int, int, int, int, int>; // handle, y; arrow row, lower, upper

    TempDir dir_;

    // A "PULSE07" file of `scans` scans, scan s at 100 + 2 s feet, amplitude 2048 but for
    // sample 400 of every scan, 300 counts above.
    std::unique_ptr<Cgprdata> Read(int scans) {
        std::vector<std::int16_t> samples(static_cast<std::size_t>(scans + 1) * 1024, 2048);
        std::memcpy(samples.data(), "PULSE07", 7);
        for (int j = 1; j <= scans; ++j) {
            std::int16_t* block = &samples[static_cast<std::size_t>(j) * 1024];
            block[400] = 2048 + 300, block[1022] = 0;
            block[1023] = static_cast<std::int16_t>(100 + 2 * (j - 1));
        }
        auto data = std::make_unique<Cgprdata>();
        data->path = dir_.File("map.DAT");
        std::ofstream(data->path, std::ios::binary)
            .write(reinterpret_cast<const char*>(samples.data()),
                   std::streamsize(2 * samples.size()));
        data->ReadFile();
        return data;
    }
    // A bar 256 pixels high at (100, 50), right edge 110, middle row 178; upper handle at row
    // 50, lower at row 306.
    static Ccolorbar PlacedBar(Canvas& dc) {
        Ccolorbar bar;
        bar.barRect = {100, 50, 110, 306};
        Blank(dc, 200, 400);
        bar.DrawBar(dc);
        return bar;
    }

private slots:
    // Wider than the column store, the image is cut, and says so.
    void columnsBeyondTheStoreAreCutAndSaid() {
        Cgprdata data;
        data.scanCount = 10'000;
        Ccolormap map;
        map.imageRect = {0, 0, 4500, 100};
        map.Position(data, 0, GprFollow::Start);
        QCOMPARE(map.columnCount, Ccolormap::kMaxColumns);
        QVERIFY(!map.note.empty());
        map.imageRect = {0, 0, 1000, 100};
        map.Position(data, 0, GprFollow::Start);
        QVERIFY(map.note.empty());
    }

    // 500 scans from 100 ft, 2 ft apart; the image shows 101 of them. Column i stands at
    // left + i + 1 and holds a loaded scan; outside the image there is no distance.
    void goToDistanceFindsTheScanAndLoadsTheWindow_data() {
        auto row = DistanceCases::Declare();
        const GprFollow centre = GprFollow::Centre;
        row("absolute loads the last column too", 600, centre, true, 0, 200, 700, 101);
        row("past the end", 5000, centre, false, 0, 400, 1098, 100);
        row("before the first scan", 50, centre, false, -1, 7, 0, 0);
    }
    void goToDistanceFindsTheScanAndLoadsTheWindow() {
        auto [distance, mode, absolute, result, firstScan, lastDistance, columns] =
            DistanceCases::Fetch();
        auto data = Read(500);
        data->absolute = absolute;
        Ccolormap map;
        map.imageRect = {50, 20, 151, 320};
        map.firstScan = 7;
        QCOMPARE(map.GoToDistance(*data, distance, mode), result);
        QCOMPARE(map.firstScan, firstScan);
        if (result != 0)
            return;
        QCOMPARE(map.columnCount, columns);
        Canvas dc;
        dc.Resize(300, 400);
        map.Draw(dc, *data);
        QCOMPARE(map.firstDistance, 100 + 2 * map.firstScan);
        QCOMPARE(map.lastDistance, lastDistance);
        QVERIFY(dc.GetPixel(150, 20 + 100) != kWhite);
        const int d49 = map.columnDistance[49];
        QCOMPARE(QList<int>({map.DistanceAtPoint(100, 100), map.DistanceAtPoint(50, 100),
                             map.DistanceAtPoint(100, 320), map.ColumnOfDistance(d49 + 1),
                             map.ColumnOfDistance(map.firstDistance - 1)}),
                 QList<int>({d49, -1, -1, 49, -1}));
    }

    void colourOfADeviation_data() {
        auto row = DeviationCases::Declare();
        row("none: the middle", {0, 0, 1279, 3000, 1000}, 640);
        row("at the range's top: the last colour", {952, 0, 1279, 3000, 1000}, 1279);
        row("at the range's bottom: colour 1", {-1048, 0, 1279, 3000, 1000}, 1);
        row("lower handle at 320 saturates sooner", {-524, 320, 1279, 3000, 1000}, 1);
        row("upper handle at 960 saturates sooner", {476, 0, 960, 3000, 1000}, 1279);
        row("no range: no division by zero", {5, 0, 1279, 2048, 2048}, 1279);
        row("handles at the middle: no division by zero", {1, 640, 640, 3000, 1000}, 1279);
    }
    void colourOfADeviation() {
        auto [args, index] = DeviationCases::Fetch();
        QCOMPARE(Ccolormap::ColourIndex(args[0], 1280, args[1], args[2], args[3], args[4]), index);
    }

    // Without a file nothing is found and the image is drawn white.
    void noFileDrawsAWhiteImage() {
        auto data = Read(300);
        Ccolormap map;
        Canvas dc;
        map.imageRect = {10, 10, 211, 110};
        QCOMPARE(map.GoToDistance(*data, 100, GprFollow::Start), 0);
        Blank(dc, 400, 400);
        map.Draw(dc, *data);
        data->path = dir_.File("missing.DAT");
        QCOMPARE(data->ReadFile(), -1);
        QCOMPARE(map.GoToDistance(*data, 0, GprFollow::Start), -1);
        dc.FillSolidRect(dc.ClientRect(), Rgb(1, 2, 3));
        map.Draw(dc, *data);
        QCOMPARE(Count(dc, kWhite, QRect(10, 9, 201, 99)), 201 * 99);
        QCOMPARE(map.DistanceAtPoint(50, 50), -1);
        QCOMPARE(map.ColumnOfDistance(200), -1);
    }

    void workingPaletteFollowsTheHandles_data() {
        auto row = HandleCases::Declare();
        row("lower 320: 319 is blue", 320, 1279, 319, 0);
        row("upper 960: 960 is magenta", 0, 960, 960, 1279);
    }
    void workingPaletteFollowsTheHandles() {
        auto [lower, upper, index, master] = HandleCases::Fetch();
        Canvas dc;
        Ccolorbar bar = PlacedBar(dc);
        bar.palette.lower = static_cast<std::int16_t>(lower);
        bar.palette.upper = static_cast<std::int16_t>(upper);
        bar.DrawBar(dc);
        QCOMPARE(bar.palette.working[index], bar.palette.master[master]);
    }

    // While dragged, the arrow (2 upper, 1 lower) moves within its half: the upper one stays
    // above row 166, the lower one below row 190, and the handle is set from that row on
    // release. The bar is repainted from the new handle; the working palette waits for DrawBar.
    void dragAndReleaseAHandle_data() {
        auto row = DragCases::Declare();
        row("upper at the middle", 2, 178, 166, 0, 700);
        row("lower at the middle", 1, 178, 190, 580, 1279);
        row("lower below the bar", 1, 380, 306, 0, 1279);
    }
    void dragAndReleaseAHandle() {
        auto [state, y, arrow, lower, upper] = DragCases::Fetch();
        Canvas dc;
        Ccolorbar bar = PlacedBar(dc);
        const auto working = bar.palette.working;
        bar.dragState = static_cast<std::int16_t>(state);
        bar.DragFeedback(dc, state, y);
        const int old = state == 2 ? 50 : 306;
        QCOMPARE(dc.GetPixel(111, arrow), state == 2 ? kRed : kBlue);
        QCOMPARE(dc.GetPixel(111, old), arrow == old ? dc.GetPixel(111, arrow) : kWhite);
        QCOMPARE(dc.GetPixel(111, 356 - old), state == 2 ? kBlue : kRed); // the other half
        QCOMPARE(bar.EndDrag(dc, 105, y), 0);
        QCOMPARE(QList<int>({bar.dragState, bar.palette.lower, bar.palette.upper}),
                 QList<int>({0, lower, upper}));
        const Ccolorrainbowl& p = bar.palette;
        QCOMPARE(dc.GetPixel(105, 306 - 255), p.upper < 1279 ? p.master[1279] : p.master[1275]);
        QVERIFY(p.working == working);
        QCOMPARE(bar.EndDrag(dc, 105, y), 1); // no drag in progress
    }
};

QTEST_MAIN(ColourMapTest)
#include "ColourMapTest.moc"
