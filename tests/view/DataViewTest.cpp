#include "view/ViewHarness.h"

#include <QTest>

#include <cmath>
#include <cstdlib>

// The data views on a generated test with pictures, GPS and GPR: what a click and a mouse
// move over the result chart do to the linked charts.
class DataViewTest : public QObject {
    Q_OBJECT

private:
    struct Opened {
        std::unique_ptr<ViewUnderTest> t;
        float middle = 0.0f; // a distance in the middle of the segment
    };
    Opened Open(int dataView) {
        Opened o;
        o.t = std::make_unique<ViewUnderTest>(dir_.Path(), QSize(1600, 1000));
        o.t->doc.options.showGprColormap = 1;
        if (!o.t->view.OpenFile(QString::fromStdString(files_.kvt)))
            return o;
        const CVorlixDoc& doc = o.t->doc;
        o.middle = 0.5f * (doc.cycleDistance[0] + doc.cycleDistance[doc.cycleCount - 1]);
        o.t->view.RunCommand(kDataViews[dataView - 1]);
        return o;
    }
    static void Move(CVorlixView& view, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(at), Qt::NoButton, Qt::NoButton,
                         modifiers);
        QApplication::sendEvent(&view, &move);
    }
    static void Button(CVorlixView& view, QEvent::Type type, QPoint at) {
        QMouseEvent event(type, QPointF(at), QPointF(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }

    static constexpr ViewCommand kDataViews[4] = {ViewCommand::DataView1, ViewCommand::DataView2,
                                                  ViewCommand::DataView3, ViewCommand::DataView4};
    TempDir dir_;
    SynthFiles files_;

private slots:
    void initTestCase() {
        synth::Options options;
        options.groups = 2000; // about 7,400 ft
        options.pictures = 60;
        options.gpr = synth::Options::Gpr::Qxr;
        files_ = GenerateSynthFiles(dir_, options, "road");
        QVERIFY2(files_.ok, files_.error.c_str());
    }

    void clickInTheResultChartMovesEveryLinkedChart_data() {
        QTest::addColumn<int>("dataView");
        QTest::newRow("data view 1") << 1;
        QTest::newRow("data view 2") << 2;
        QTest::newRow("data view 3") << 3;
        QTest::newRow("data view 4") << 4;
    }
    void clickInTheResultChartMovesEveryLinkedChart() {
        QFETCH(int, dataView);
        Opened o = Open(dataView);
        QVERIFY(o.t);
        CVorlixView& view = o.t->view;
        const CVorlixDoc& doc = o.t->doc;
        const DisplayObjects& objects = view.Objects();
        view.ClickAtDistance(o.middle);

        const CkelGeneralChart& chart = objects.resultChart;
        QCOMPARE(objects.cursorLines[0].drawnPosition,
                 chart.ValueToX(o.middle) - chart.plotRect.left);
        const float pixelFeet = 1.0f / chart.xAxis.pixelsPerUnit; // a click is one column wide
        auto near = [&](float d) { return std::fabs(d - o.middle) <= pixelFeet; };
        switch (dataView) {
        case 1:
            QVERIFY(near(objects.smallDetailCharts[0].centreDistance));
            QVERIFY(near(objects.smallDetailCharts[1].centreDistance));
            QVERIFY(objects.smallDetailCharts[0].firstCycle >= 0);
            break;
        case 3:
            QVERIFY(near(objects.detailCharts[0].centreDistance));
            QVERIFY(near(objects.smallDetailCharts[1].centreDistance));
            QVERIFY(objects.detailCharts[0].firstPoint >= 0);
            break;
        case 4:
            QVERIFY(near(objects.detailCharts[0].centreDistance));
            QVERIFY(near(objects.detailCharts[1].centreDistance));
            break;
        default:
            break;
        }

        // The picture shown is the nearest to the distance.
        const Czipimg& images = doc.images;
        QVERIFY(images.count > 0);
        const int shown = objects.picture.current;
        const int clicked = static_cast<int>(o.middle - pixelFeet);
        for (int i = 0; i < images.count; ++i)
            QVERIFY(std::abs(images.distance[shown] - clicked) <=
                    std::abs(images.distance[i] - clicked) + pixelFeet + 1);

        // With the GPR display on, the GPR window holds the distance (views 1 and 2).
        if (dataView <= 2) {
            QVERIFY(objects.colourMap.firstDistance <= o.middle);
            QVERIFY(objects.colourMap.lastDistance >= o.middle - 1);
            QVERIFY(objects.gprCursor.drawnPosition >= 0);
        }
    }

    void secondClickRestoresTheChartUnderTheFirstCursor() {
        Opened o = Open(3);
        QVERIFY(o.t);
        CVorlixView& view = o.t->view;
        const Rect result = view.Objects().layout.resultRect;
        const QImage before = view.Picture().copy(result.ToQRect());
        view.ClickAtDistance(o.middle);
        view.ClickAtDistance(o.middle * 0.5f);
        const int x = view.Objects().resultChart.ValueToX(o.middle);
        const QImage after = view.Picture().copy(result.ToQRect());
        for (int y = 0; y < result.Height(); ++y)
            QCOMPARE(after.pixel(x - result.left, y), before.pixel(x - result.left, y));
    }

    void movesFillTheReadouts() {
        Opened o = Open(3);
        QVERIFY(o.t);
        CVorlixView& view = o.t->view;
        const CVorlixDoc& doc = o.t->doc;
        const DisplayObjects& objects = view.Objects();
        const CkelGeneralChart& chart = objects.resultChart;
        const QPoint at(chart.ValueToX(o.middle), (chart.plotRect.top + chart.plotRect.bottom) / 2);
        enum { kDmi, kLat, kLot, kValue };

        Move(view, at);
        const double distance = objects.labels[kDmi].lastValue;
        QVERIFY(std::fabs(distance - o.middle) <= 1.0 / chart.xAxis.pixelsPerUnit);
        const double middleOfAxis = 0.5 * (chart.yAxis.axisLow + chart.yAxis.axisHigh);
        QVERIFY(std::fabs(objects.labels[kValue].lastValue - middleOfAxis) <
                chart.yAxis.step * 0.1);
        QVERIFY(objects.labels[kLat].lastValue != 0.0);
        QVERIFY(objects.labels[kLot].lastValue != 0.0);
        QVERIFY(objects.labels[kDmi].shown.find_first_not_of(' ') != std::string::npos);

        // With Shift, "Value" is the measured result of the cycle under the mouse.
        Move(view, at, Qt::ShiftModifier);
        const int cycle = doc.CycleAtDistance(static_cast<float>(distance));
        QVERIFY(cycle >= 0);
        QCOMPARE(objects.labels[kValue].lastValue, double(doc.cycleRatio[cycle]));
    }

    void draggingAColourBarHandleChangesThePaletteAndTheImage() {
        Opened o = Open(1);
        QVERIFY(o.t);
        CVorlixView& view = o.t->view;
        const Ccolorbar& bar = view.Objects().colourMap.colourBar;
        const Rect image = view.Objects().colourMap.imageRect;
        const QImage before = view.Picture().copy(image.ToQRect());
        const int upperBefore = bar.palette.upper;
        const QPoint handle(bar.barRect.right, bar.barRect.bottom - bar.palette.upperPix);
        const QPoint middle(handle.x(), (bar.barRect.top + bar.barRect.bottom) / 2);
        Button(view, QEvent::MouseButtonPress, handle);
        QCOMPARE(int(bar.dragState), 2);
        Move(view, middle);
        Button(view, QEvent::MouseButtonRelease, middle);
        QCOMPARE(int(bar.dragState), 0);
        QVERIFY(bar.palette.upper < upperBefore);
        QVERIFY(view.Picture().copy(image.ToQRect()) != before);
    }

    void pictureButtonsStepAndMoveCursorOne() {
        Opened o = Open(3);
        QVERIFY(o.t);
        CVorlixView& view = o.t->view;
        const DisplayObjects& objects = view.Objects();
        const CviewPicture& picture = objects.picture;
        const int first = picture.current;
        const Rect stepForward = picture.buttonRects[3];
        Button(view, QEvent::MouseButtonPress, QPoint(stepForward.left + 2, stepForward.top + 2));
        QCOMPARE(picture.current, first + 1);
        const CkelGeneralChart& chart = objects.resultChart;
        QCOMPARE(objects.cursorLines[0].drawnPosition,
                 chart.ValueToX(float(o.t->doc.images.distance[first + 1])) - chart.plotRect.left);

        // A play runs from the event loop; a key press writes its code into the title and any
        // command stops it.
        const Rect playForwards = picture.buttonRects[4];
        Button(view, QEvent::MouseButtonPress, QPoint(playForwards.left + 2, playForwards.top + 2));
        QVERIFY(picture.IsPlaying());
        QTest::keyClick(&view, Qt::Key_A);
        QCOMPARE(o.t->host.title, QStringLiteral("%1---0").arg(int(Qt::Key_A)));
        view.RunCommand(ViewCommand::ResultView);
        QVERIFY(!picture.IsPlaying());
    }

    void mouseDoesNothingOutsideTheDataViews() {
        Opened o = Open(3);
        QVERIFY(o.t);
        CVorlixView& view = o.t->view;
        view.RunCommand(ViewCommand::ResultView);
        const QImage shown = view.Picture();
        view.ClickAtDistance(o.middle);
        Move(view, QPoint(800, 500), Qt::ShiftModifier);
        QCOMPARE(view.Picture(), shown);
    }
};

QTEST_MAIN(DataViewTest)
#include "DataViewTest.moc"
