#include "analysis/SectionClasses.h"
#include "view/ViewHarness.h"

#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <filesystem>
#include <memory>

// The map screen on a generated road of two segments: the results drawn on the track in the
// colours of their values, the wheel and Home, the readouts under the mouse, and a click that
// shows data view 1 at the place clicked.
class MapScreenTest : public QObject {
    Q_OBJECT

private:
    TempDir dir_;
    SynthFiles files_;
    std::unique_ptr<ViewUnderTest> t_;

    static void Mouse(QWidget& w, QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, w.mapToGlobal(at), Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(&w, &event);
    }

    static void Wheel(QWidget& w, QPointF at, int notches) {
        QWheelEvent event(at, w.mapToGlobal(at), {}, QPoint(0, 120 * notches), Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&w, &event);
    }

private slots:
    void initTestCase() {
        synth::Options options;
        options.groups = 13'201; // segment 0 full, segment 1 short
        options.pictures = 0;
        options.gpr = synth::Options::Gpr::None;
        files_ = GenerateSynthFiles(dir_, options, "road");
        QVERIFY2(files_.ok, files_.error.c_str());
        t_ = std::make_unique<ViewUnderTest>(dir_.Path(), QSize(1400, 900));
        t_->view.SetSectionsSynchronous(true);
        QVERIFY(t_->view.OpenFile(QString::fromStdString(files_.kvt)));
    }

    // Results at the start, the middle and the end of the road, away from flags and section
    // ticks, seen close: each shows the ramp colour of its value, the map beside the road is
    // white, and the mouse over it fills the readouts with it. Home shows the whole road again.
    void resultsLieOnTheTrackInTheirColours() {
        ViewUnderTest& t = *t_;
        t.view.RunCommand(ViewCommand::Map);
        const MapScene& scene = t.view.Map().Scene();
        QVERIFY(scene.results.size() > 40'000);
        auto nearMark = [&](double d) {
            const auto near = [d](const auto& mark) { return std::abs(mark.distance - d) < 30; };
            return std::any_of(scene.boundaries.begin(), scene.boundaries.end(), near) ||
                   std::any_of(scene.flags.begin(), scene.flags.end(), near);
        };
        for (double share : {0.05, 0.3, 0.5, 0.7, 0.95}) {
            std::size_t i = std::size_t(share * double(scene.results.size()));
            while (i < scene.results.size() && nearMark(scene.results[i].distance))
                ++i;
            QVERIFY(i + 1 < scene.results.size());
            const MapScene::LocatedResult& r = scene.results[i];
            // Close enough for a result to span pixels of its own, then whole again.
            const QPointF at = t.view.Map().Viewport().ToPixel(r.position);
            Wheel(t.view, at, 25);
            QVERIFY(t.view.Map().Viewport().FeetPerPixel() < 0.3);
            QCOMPARE(QColor(t.view.Picture().pixel(at.toPoint())).name().toStdString(),
                     sections::ColourHex(sections::RampColour(r.value, scene.limits)));
            const QPointF along =
                t.view.Map().Viewport().ToPixel(scene.results[i + 1].position) - at;
            const QPointF aside =
                QPointF(-along.y(), along.x()) * (12.0 / std::hypot(along.x(), along.y()));
            QCOMPARE(t.view.Picture().pixel((at + aside).toPoint()) & 0xFFFFFF, 0xFFFFFFu);
            // The readouts under the mouse name this result.
            Mouse(t.view, QEvent::MouseMove, at, Qt::NoButton);
            QCOMPARE(t.view.Objects().labels[0].lastValue, double(float(r.distance)));
            QCOMPARE(t.view.Objects().labels[1].lastValue, r.position.latitude);
            QCOMPARE(t.view.Objects().labels[2].lastValue, r.position.longitude);
            QCOMPARE(t.view.Objects().labels[3].lastValue, double(float(r.value)));
            QTest::keyClick(&t.view, Qt::Key_Home);
        }
    }

    // The wheel zooms about the mouse, a drag moves the map with it, Home fits the whole
    // track again; a click on the road in the other segment reads that segment and shows data
    // view 1 with cursor 1 at the clicked result's distance.
    void navigateThenClickAPlace() {
        ViewUnderTest& t = *t_;
        t.view.RunCommand(ViewCommand::Map);
        const MapScene& scene = t.view.Map().Scene();
        const double whole = t.view.Map().Viewport().FeetPerPixel();
        const MapScene::LocatedResult& target = scene.results[scene.results.size() - 200];
        QPointF at = t.view.Map().Viewport().ToPixel(target.position);
        Wheel(t.view, at, 2);
        QCOMPARE(t.view.Map().Viewport().FeetPerPixel(), whole / 1.25 / 1.25);
        QVERIFY((t.view.Map().Viewport().ToPixel(target.position) - at).manhattanLength() < 1e-6);

        Mouse(t.view, QEvent::MouseButtonPress, at, Qt::LeftButton);
        Mouse(t.view, QEvent::MouseMove, at + QPointF(-80, 50), Qt::LeftButton);
        Mouse(t.view, QEvent::MouseButtonRelease, at + QPointF(-80, 50), Qt::NoButton);
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::Map); // a drag is no click
        QVERIFY((t.view.Map().Viewport().ToPixel(target.position) - at - QPointF(-80, 50))
                    .manhattanLength() < 1e-6);
        QTest::keyClick(&t.view, Qt::Key_Home);
        QCOMPARE(t.view.Map().Viewport().FeetPerPixel(), whole);

        at = t.view.Map().Viewport().ToPixel(target.position);
        const double distance = scene.results[std::size_t(t.view.Map().ResultAt(at))].distance;
        QCOMPARE(t.doc.options.currentSegment, 0);
        Mouse(t.view, QEvent::MouseButtonPress, at, Qt::LeftButton);
        Mouse(t.view, QEvent::MouseButtonRelease, at, Qt::NoButton);
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::DataView1);
        QCOMPARE(t.doc.options.currentSegment, 1);
        const auto [from, to] = t.view.SegmentSpan();
        const CkelGeneralChart& chart = t.view.Objects().resultChart;
        QCOMPARE(t.view.Objects().cursorLines[0].drawnPosition,
                 chart.ValueToX(float(std::clamp(distance, from, to))) - chart.plotRect.left);
    }

    // Without the GPS file the map says why it is empty.
    void noTrackIsSaid() {
        std::filesystem::remove(files_.gps);
        QVERIFY(t_->view.OpenFile(QString::fromStdString(files_.kvt)));
        t_->view.RunCommand(ViewCommand::Map);
        QCOMPARE(t_->view.CurrentScreen(), CVorlixView::Screen::Map);
        QVERIFY(t_->view.Map().Scene().problem.find("no GPS track") != std::string::npos);
    }
};

QTEST_MAIN(MapScreenTest)
#include "MapScreenTest.moc"
