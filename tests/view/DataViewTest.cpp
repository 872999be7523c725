#include "view/ViewHarness.h"

#include <QTest>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

// The data views on a generated test with pictures, GPS and GPR: what a click and a mouse
// move over the result chart do to the linked charts, and damaged companion files.
class DataViewTest : public QObject {
    Q_OBJECT

    static constexpr ViewCommand kDataViews[4] = {ViewCommand::DataView1, ViewCommand::DataView2,
                                                  ViewCommand::DataView3, ViewCommand::DataView4};
    using ViewCases = Cases<int>;   // the data view
    using AfterCases = Cases<bool>; // after data view 3
    using CommandCases = Cases<QList<ViewCommand>>;
    using DamageCases = Cases<QString, int, int>; // extension ("" all), offset (-1: cut), value

    TempDir dir_;
    SynthFiles files_;

    // The generated test open in data view `dataView` (0: none) of a 1600 x 1000 view.
    std::unique_ptr<ViewUnderTest> Open(int dataView, const SynthFiles& files) {
        auto t = std::make_unique<ViewUnderTest>(dir_.Path(), QSize(1600, 1000));
        t->doc.options.showGprColormap = 1;
        if (!t->view.OpenFile(QString::fromStdString(files.kvt)))
            qFatal("not opened");
        if (dataView > 0)
            t->view.RunCommand(kDataViews[dataView - 1]);
        return t;
    }
    std::unique_ptr<ViewUnderTest> Open(int dataView) { return Open(dataView, files_); }
    static float Middle(const CVorlixDoc& doc) {
        return 0.5f * (doc.cycleDistance[0] + doc.cycleDistance[doc.cycleCount - 1]);
    }
    // Where cursor 1 stands for a distance.
    static int CursorOf(const DisplayObjects& o, float distance) {
        return o.resultChart.ValueToX(distance) - o.resultChart.plotRect.left;
    }

private slots:
    void initTestCase() {
        synth::Options options;
        options.groups = 2000; // about 7,400 ft
        options.pictures = 60, options.gpr = synth::Options::Gpr::Qxr;
        files_ = GenerateSynthFiles(dir_, options, "road");
        QVERIFY2(files_.ok, files_.error.c_str());
    }

    // A resize used to draw the data view afresh, dropping the pick: cursor 1, the picture, the
    // detail chart's cursor, the GPR cursor. (What a click moves, and the chart under the cursor
    // a second click restores, are compared pixel by pixel in the screenshots with clicks.)
    void resizeKeepsThePick_data() {
        auto row = ViewCases::Declare();
        row("data view 1", 1);
        row("data view 2", 2);
        row("data view 3", 3);
        row("data view 4", 4);
    }
    void resizeKeepsThePick() {
        auto [dataView] = ViewCases::Fetch();
        auto t = Open(dataView);
        const DisplayObjects& o = t->view.Objects();
        t->view.ClickAtDistance(Middle(t->doc));
        if (dataView >= 3)
            Mouse(t->view, QEvent::MouseButtonPress, Centre(o.layout.detail1Rect));
        const QImage picked = t->view.Picture();
        const int picture = o.picture.current;
        t->view.SetClientSize(QSize(1400, 900));
        QVERIFY(std::abs(o.cursorLines[0].drawnPosition - CursorOf(o, Middle(t->doc))) <= 1);
        QCOMPARE(o.picture.current, picture);
        QVERIFY((dataView >= 3 ? o.cursorLines[1] : o.gprCursor).drawnPosition >= 0);
        t->view.SetClientSize(picked.size());
        QCOMPARE(t->view.Picture(), picked);
    }

    // Data view 4 left its cursor lines in the rectangles of the screen before it (or none),
    // so they were missing or cut short.
    void dataViewFourDrawsItsCursorsAtFullHeight_data() {
        auto row = AfterCases::Declare();
        row("opened first", false);
        row("after data view 3", true);
    }
    void dataViewFourDrawsItsCursorsAtFullHeight() {
        auto [afterDataView3] = AfterCases::Fetch();
        auto t = Open(afterDataView3 ? 3 : 4);
        CVorlixView& view = t->view;
        const DisplayObjects& o = view.Objects();
        const float middle = Middle(t->doc);
        if (afterDataView3) {
            view.ClickAtDistance(middle);
            Mouse(view, QEvent::MouseButtonPress, Centre(o.layout.detail1Rect));
            view.RunCommand(ViewCommand::DataView4);
            // Cursor 1 stays on its distance; no detail chart shows before a click, so cursors
            // 2 and 3 mark nothing.
            QVERIFY(std::abs(o.cursorLines[0].drawnPosition - CursorOf(o, middle)) <= 1);
            QCOMPARE(o.cursorLines[1].drawnPosition + o.cursorLines[2].drawnPosition, -2);
        }
        view.ClickAtDistance(middle * 0.8f);
        Mouse(view, QEvent::MouseButtonPress, Centre(o.layout.detail1Rect));
        Mouse(view, QEvent::MouseButtonPress, Centre(o.layout.detail2Rect));
        const Rect rects[3] = {o.layout.resultRect, o.layout.detail1Rect, o.layout.detail2Rect};
        for (int i = 0; i < 3; ++i) {
            const Cmoveline& line = o.cursorLines[i];
            QCOMPARE(line.lineRect, rects[i]);
            QVERIFY(line.drawnPosition >= 0);
            const int x = rects[i].left + line.drawnPosition + 1;
            for (int y = rects[i].top; y < rects[i].bottom; ++y)
                QCOMPARE(view.Picture().pixel(x, y), line.lineColour);
        }
    }

    // The readouts show distance, position and the value under the mouse; with Shift, "Value"
    // is the measured result of the cycle under the mouse.
    void movesFillTheReadouts() {
        auto t = Open(3);
        CVorlixView& view = t->view;
        const DisplayObjects& o = view.Objects();
        const CkelGeneralChart& chart = o.resultChart;
        const QPoint at(chart.ValueToX(Middle(t->doc)),
                        (chart.plotRect.top + chart.plotRect.bottom) / 2);
        enum { kDmi, kLat, kLot, kValue };
        Mouse(view, QEvent::MouseMove, at);
        const double distance = o.labels[kDmi].lastValue;
        QVERIFY(std::fabs(distance - Middle(t->doc)) <= 1.0 / chart.xAxis.pixelsPerUnit);
        const double middleOfAxis = 0.5 * (chart.yAxis.axisLow + chart.yAxis.axisHigh);
        QVERIFY(std::fabs(o.labels[kValue].lastValue - middleOfAxis) < chart.yAxis.step * 0.1);
        QVERIFY(o.labels[kLat].lastValue != 0.0 && o.labels[kLot].lastValue != 0.0);
        QVERIFY(o.labels[kDmi].shown.find_first_not_of(' ') != std::string::npos);
        Mouse(view, QEvent::MouseMove, at, Qt::ShiftModifier);
        const int cycle = t->doc.CycleAtDistance(static_cast<float>(distance));
        QVERIFY(cycle >= 0);
        QCOMPARE(o.labels[kValue].lastValue, double(t->doc.cycleRatio[cycle]));
    }

    void draggingAColourBarHandleChangesThePaletteAndTheImage() {
        auto t = Open(1);
        CVorlixView& view = t->view;
        const Ccolorbar& bar = view.Objects().colourMap.colourBar;
        const QRect image = view.Objects().colourMap.imageRect.ToQRect();
        const QImage before = view.Picture().copy(image);
        const int upperBefore = bar.palette.upper;
        const QPoint handle(bar.barRect.right, bar.barRect.bottom - bar.palette.upperPix);
        const QPoint middle(handle.x(), (bar.barRect.top + bar.barRect.bottom) / 2);
        Mouse(view, QEvent::MouseButtonPress, handle);
        QCOMPARE(int(bar.dragState), 2);
        Mouse(view, QEvent::MouseMove, middle);
        Mouse(view, QEvent::MouseButtonRelease, middle);
        QCOMPARE(int(bar.dragState), 0);
        QVERIFY(bar.palette.upper < upperBefore);
        QVERIFY(view.Picture().copy(image) != before);
    }

    // A double-click on "step forward" steps once (its second press ran the click again) and
    // moves cursor 1 to the picture. A play runs from the event loop; a key press writes its
    // code into the title and any command stops it.
    void pictureButtonsStepPlayAndMoveCursorOne() {
        auto t = Open(3);
        CVorlixView& view = t->view;
        const CviewPicture& picture = view.Objects().picture;
        const int first = picture.current;
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                  QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
            Mouse(view, type, Centre(picture.buttonRects[3]));
        QCOMPARE(picture.current, first + 1);
        QCOMPARE(view.Objects().cursorLines[0].drawnPosition,
                 CursorOf(view.Objects(), float(t->doc.images.distance[first + 1])));
        Mouse(view, QEvent::MouseButtonPress, Centre(picture.buttonRects[4]));
        QVERIFY(picture.IsPlaying());
        QTest::keyClick(&view, Qt::Key_A);
        QCOMPARE(t->host.title, QStringLiteral("%1---0").arg(int(Qt::Key_A)));
        view.RunCommand(ViewCommand::ResultView);
        QVERIFY(!picture.IsPlaying());
    }

    // Paging from a data view kept its layout kind, so clicks drew cursors and charts over the
    // signal page.
    void mouseDoesNothingOutsideTheDataViews_data() {
        auto row = CommandCases::Declare();
        row("result view", {ViewCommand::ResultView});
        row("signal page after a data view",
            {ViewCommand::LoadSignal, ViewCommand::DataView3, ViewCommand::NextPage});
    }
    void mouseDoesNothingOutsideTheDataViews() {
        auto [commands] = CommandCases::Fetch();
        auto t = Open(3);
        for (ViewCommand command : commands)
            t->view.RunCommand(command);
        const QImage shown = t->view.Picture();
        t->view.ClickAtDistance(Middle(t->doc));
        Mouse(t->view, QEvent::MouseMove, QPoint(800, 500), Qt::ShiftModifier);
        QCOMPARE(t->view.Picture(), shown);
    }

    // The raw file still opens and analyses, the status bar says what was refused or cut,
    // the damaged file is not written, and every data view draws and answers a click. (How far
    // each companion reads is checked with the readers.)
    void damagedCompanions_data() {
        auto row = DamageCases::Declare();
        row("absurd picture count", "IMG", 244, 1 << 30);
        row("GPR header only: no scans", "DAT", -1, 2048);
        row("GPR cut inside a scan", "DAT", -1, 2048 * 7 + 1000);
        row("GPS cut short", "GPS", -1, 37);
        row("no companions, GPR display on", "", -1, 0);
    }
    void damagedCompanions() {
        auto [extension, offset, value] = DamageCases::Fetch();
        TempDir dir;
        synth::Options options;
        options.groups = 1200, options.pictures = 12;
        const SynthFiles files = GenerateSynthFiles(dir, options);
        QVERIFY2(files.ok, files.error.c_str());
        const std::string path = files.base + "." + extension.toStdString();
        if (extension.isEmpty())
            for (const std::string& companion : {files.img, files.dat, files.gps})
                std::filesystem::remove(companion);
        else if (offset < 0)
            std::filesystem::resize_file(path, value);
        else
            std::fstream(path, std::ios::in | std::ios::out | std::ios::binary)
                .seekp(offset)
                .write(reinterpret_cast<const char*>(&value), 4); // little-endian
        const std::string imagesBefore = ReadFile(files.img);
        auto t = Open(0, files);
        QVERIFY(t->doc.cycleCount > 0);
        QVERIFY(t->host.messages.isEmpty());
        QVERIFY(!t->host.statuses.last().isEmpty());
        QVERIFY(ReadFile(files.img) == imagesBefore);
        for (ViewCommand command : kDataViews) {
            t->view.RunCommand(command);
            t->view.ClickAtDistance(Middle(t->doc));
        }
        t->view.RunCommand(ViewCommand::Other);
    }
};

QTEST_MAIN(DataViewTest)
#include "DataViewTest.moc"
