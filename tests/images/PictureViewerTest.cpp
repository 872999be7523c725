// The picture viewer on real generator files: what the buttons do, the play driven by the event
// loop, and saving (the buttons pressed in the window are checked with the data views). (Pictures
// and captions as the data views show them are compared pixel by pixel with the earlier build's
// screenshots; damaged picture files with the data views.)
#include "charts/Canvas.h"
#include "document/Czipimg.h"
#include "images/CviewPicture.h"
#include "images/PictureButtons.h"
#include "support/Cases.h"
#include "support/SynthFixture.h"

#include <QFile>
#include <QFont>
#include <QTest>

#include <memory>
#include <vector>

class PictureViewerTest : public QObject {
    Q_OBJECT

    static constexpr int kLast = 39; // 40 pictures
    static constexpr QRgb kMarker = Rgb(255, 0, 255);
    static constexpr Rect kView{10, 20, 330, 260};         // twice the generator's 160 x 120
    using GoToCases = Cases<int, int, int, int, bool>;     // count, current, target; shown, drawn
    using ButtonCases = Cases<int, int, QList<int>, bool>; // start, button, shown, redrawn
    using SaveCases = Cases<QString, QString, bool>;       // name, status says, written as shot.JPG

    std::unique_ptr<TempDir> dir_;
    SynthFiles files_;

    // A viewer on the generated pictures, with every hook recorded.
    struct Viewer {
        Czipimg store;
        CviewPicture view{store};
        Canvas dc;
        QList<int> shown; // distances moved to
        QList<bool> forwards;
        int frames = 0;
        QStringList status;
        QString title, savePath;

        explicit Viewer(const std::string& path) {
            store.imgPath = path;
            store.ReadImageIndex(0.0f);
            dc.Resize(400, 300);
            view.viewRect = kView;
            view.onPictureShown = [this](int d, bool f) {
                shown << d;
                forwards << f;
            };
            view.onFrame = [this] { ++frames; };
            view.showStatus = [this](const QString& s) { status << s; };
            view.setTitle = [this](const QString& s) { title = s; };
            view.chooseSavePath = [this] { return savePath; };
        }
        void Start(int index) {
            view.ShowImage(dc, index);
            view.DrawButtons(dc);
        }
        void Click(int k) {
            const Rect& r = view.buttonRects[k - 1];
            view.OnPictureClick(dc, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
        }
        bool ButtonsDrawn() const {
            return dc.GetPixel(kView.left + 5, kView.top + 5) == PictureButtons::kLight;
        }
    };

private slots:
    void initTestCase() {
        QFont::insertSubstitution(QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"));
        dir_ = std::make_unique<TempDir>();
        synth::Options options = SmallSynthOptions();
        options.pictures = kLast + 1;
        files_ = GenerateSynthFiles(*dir_, options);
        QVERIFY2(files_.ok, files_.error.c_str());
    }

    // The picture nearest a distance; a window around the current one is searched first.
    void goToDistance_data() {
        auto row = GoToCases::Declare();
        row("window 30 ft off: full search", 600, 500, 1000, 100, true);
        row("nearest in the window, not overall", 600, 500, 4840, 485, true);
        row("current is nearest: nothing drawn", 600, 100, 1003, 100, false);
        row("window stops short of the last", 20, 10, 190, 18, true);
        row("no pictures", 0, 7, 200, 0, false);
    }
    void goToDistance() {
        auto [count, current, target, expected, drawn] = GoToCases::Fetch();
        Czipimg store; // no file: a drawn picture shows white under its caption
        store.count = count;
        for (int i = 0; i < count; ++i)
            store.distance.push_back(10 * i);
        CviewPicture view(store);
        Canvas dc;
        dc.Resize(400, 300);
        view.viewRect = kView, view.current = current, view.playState = 1;
        QCOMPARE(view.GoToDistance(target, dc), expected);
        QCOMPARE(view.current, expected);
        QCOMPARE(view.playState, static_cast<std::int16_t>(drawn ? 0 : 1));
    }

    // Steps and jumps act at once; a play returns from the click and shows a picture per tick
    // of its timer, to the end, at a step of one. Every picture shown moves cursor 1.
    void buttonActions_data() {
        auto row = ButtonCases::Declare();
        using B = PictureButtons;
        row("step forward on the last", kLast, B::StepForward, {kLast}, false);
        row("step back to the first", 1, B::StepBack, {0}, true);
        row("first", 5, B::First, {0}, true);
        row("last", 0, B::Last, {kLast}, true);
        row("play forwards", kLast - 3, B::PlayForwards, {kLast - 3, kLast - 2, kLast - 1, kLast},
            true);
        row("play backwards", 3, B::PlayBackwards, {3, 2, 1, 0}, true);
        row("play forwards from the last", kLast, B::PlayForwards, {kLast}, true);
    }
    void buttonActions() {
        auto [start, button, sequence, redrawn] = ButtonCases::Fetch();
        const bool play =
            button == PictureButtons::PlayForwards || button == PictureButtons::PlayBackwards;
        Viewer v(files_.img);
        v.Start(start);
        v.dc.FillSolidRect(kView.left + 150, kView.top + 100, kView.right, kView.top + 110,
                           kMarker);
        v.view.step = play ? 3 : 1;
        v.Click(button);
        QCOMPARE(v.view.IsPlaying(), play);
        if (play) {
            QVERIFY(v.shown.isEmpty());
            QTRY_VERIFY(!v.view.IsPlaying());
        }
        QList<int> distances;
        for (int i : sequence)
            distances << v.store.distance[i];
        QCOMPARE(v.shown, distances);
        QCOMPARE(v.forwards, QList<bool>(sequence.size(), button != PictureButtons::PlayBackwards));
        QCOMPARE(v.frames, play ? int(sequence.size()) : 0);
        QCOMPARE(v.view.current, sequence.back());
        QVERIFY(v.ButtonsDrawn());
        QCOMPARE(v.dc.GetPixel(kView.left + 200, kView.top + 105) != kMarker, redrawn);
    }

    // The play ran as fast as the event loop: it shows no picture at once, but one a tick of its
    // timer. A click outside the picture is dropped; a click in it stops the play for good and
    // draws the buttons (a command's stop is checked with the data views); with no play running
    // a stop draws nothing.
    void aClickStopsThePlay() {
        Viewer v(files_.img);
        v.Start(0);
        v.Click(PictureButtons::PlayForwards);
        for (int pass = 0; pass < 50; ++pass)
            QCoreApplication::processEvents();
        QCOMPARE(v.frames, 0);
        QTRY_VERIFY(v.frames >= 3); // at 10 a second the 40 pictures take 4 s
        v.view.OnPictureClick(v.dc, kView.left - 3, 100);
        QVERIFY(v.view.IsPlaying());
        v.view.OnPictureClick(v.dc, 170, 140);
        QVERIFY(!v.view.IsPlaying() && v.ButtonsDrawn());
        const int frames = v.frames;
        for (int pass = 0; pass < 20; ++pass)
            QCoreApplication::processEvents();
        QCOMPARE(v.frames, frames);
        QCOMPARE(v.shown.back(), v.store.distance[v.view.current]);
        v.dc.FillSolidRect(v.dc.ClientRect(), kMarker);
        v.view.StopPlay(v.dc);
        QVERIFY(!v.ButtonsDrawn());
    }

    // The picture's bytes are written unchanged through a temporary file; a cancelled dialog
    // or a folder that is not there writes nothing, and the status bar says which.
    void saveWritesThePictureUnchangedOrNothing_data() {
        auto row = SaveCases::Declare();
        row("written", "shot.JPG", "saved to", true);
        row("no extension: .JPG added", "shot", "shot.JPG.", true);
        row("cancelled", QString(), "cancelled", false);
        row("folder missing", "no/such/shot.JPG", "not saved", false);
    }
    void saveWritesThePictureUnchangedOrNothing() {
        auto [name, said, written] = SaveCases::Fetch();
        TempDir out;
        Viewer v(files_.img);
        v.Start(6);
        if (!name.isEmpty())
            v.savePath = QString::fromStdString(out.File(name.toStdString()));
        v.Click(PictureButtons::Save);
        QCOMPARE(v.status.size(), 1);
        QVERIFY2(v.status[0].contains(said), qPrintable(v.status[0]));
        QVERIFY(!out.HasTemporaryFiles());
        QFile file(QString::fromStdString(out.File("shot.JPG")));
        QCOMPARE(file.open(QIODevice::ReadOnly), written);
        std::vector<std::uint8_t> bytes;
        QVERIFY(v.store.PictureBytes(6, &bytes));
        if (written)
            QCOMPARE(file.readAll(), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<qsizetype>(bytes.size())));
    }
};

QTEST_MAIN(PictureViewerTest)
#include "PictureViewerTest.moc"
