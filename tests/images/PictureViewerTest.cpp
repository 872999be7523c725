// The picture viewer on real generator files: stretched JPEG pictures, the caption, the
// buttons, the play driven by the event loop, and saving.
#include "charts/Canvas.h"
#include "document/Czipimg.h"
#include "images/CviewPicture.h"
#include "images/PictureButtons.h"
#include "support/SynthFixture.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QTest>
#include <QtEndian>

#include <cstdlib>
#include <memory>
#include <vector>

class PictureViewerTest : public QObject {
    Q_OBJECT

private:
    static constexpr int kPictures = 40;
    static constexpr int kLast = kPictures - 1;
    static constexpr QRgb kMarker = Rgb(255, 0, 255);
    static constexpr QRgb kWhite = Rgb(255, 255, 255);
    static constexpr Rect kView{10, 20, 330, 260}; // twice the generator's 160 x 120

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
        QString title;
        QString savePath;

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
        int Distance(int i) const { return store.distance[static_cast<std::size_t>(i)]; }
        bool ButtonsDrawn() const {
            return dc.GetPixel(kView.left + 5, kView.top + 5) == PictureButtons::kLight;
        }
    };

private slots:
    void initTestCase() {
        QFont::insertSubstitution(QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"));
        dir_ = std::make_unique<TempDir>();
        synth::Options options = SmallSynthOptions();
        options.pictures = kPictures;
        files_ = GenerateSynthFiles(*dir_, options);
        QVERIFY2(files_.ok, files_.error.c_str());
    }

    // Drawn at twice the pixel ratio, each pixel of the generator's 160 x 120 picture covers
    // 2 x 2 logical pixels of the rectangle.
    void showsTheGeneratorsJpegStretchedIntoTheRectangle() {
        Viewer v(files_.img);
        v.dc.Resize(400, 300, 2.0);
        v.view.ShowImage(v.dc, 3);
        QVERIFY(v.status.isEmpty());
        std::vector<std::uint8_t> bytes;
        QVERIFY(v.store.PictureBytes(3, &bytes));
        QImage picture;
        QVERIFY(picture.loadFromData(bytes.data(), static_cast<int>(bytes.size())));
        for (QPoint p : {QPoint(80, 10), QPoint(150, 100)}) { // sky and grass, off the caption
            const QRgb want = picture.pixel(p);
            const QRgb got = v.dc.GetPixel(kView.left + 2 * p.x() + 1, kView.top + 2 * p.y() + 1);
            for (int shift : {0, 8, 16})
                QVERIFY(std::abs(int((got >> shift) & 255) - int((want >> shift) & 255)) <= 24);
        }
        QCOMPARE(v.dc.GetPixel(kView.left - 1, kView.top + 50), kWhite);
        QCOMPARE(v.dc.GetPixel(kView.right, kView.top + 50), kWhite);
    }

    void refusedPictureLeavesTheRectangleWhiteAndSaysWhy_data() {
        QTest::addColumn<bool>("decodable");
        QTest::newRow("refused index entry") << true;
        QTest::newRow("bytes that are no image") << false;
    }
    void refusedPictureLeavesTheRectangleWhiteAndSaysWhy() {
        QFETCH(bool, decodable);
        std::string path = files_.img;
        if (!decodable) { // one picture of 50 bytes that no image reader takes
            QByteArray bytes(296 + 8 + 50, 'x');
            for (auto [at, value] : {std::pair{244, 1}, {248, 296}, {296, 100}, {300, 304}})
                qToLittleEndian<qint32>(value, bytes.data() + at);
            path = dir_->File("junk.IMG");
            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        Viewer v(path);
        QVERIFY(v.store.count >= 1);
        if (decodable)
            v.store.indexOffset = 0; // the entry read is header text
        v.dc.FillSolidRect(v.dc.ClientRect(), kMarker);
        v.view.ShowImage(v.dc, 0);
        QCOMPARE(v.view.current, 0);
        QCOMPARE(v.dc.GetPixel(kView.right - 5, kView.top + 5), kWhite);
        QCOMPARE(v.dc.GetPixel(kView.right, kView.top + 5), kMarker);
        QCOMPARE(v.status.size(), 1);
    }

    // The caption is blue, in the text's box: left of the picture by 20, 1.5 lines above its
    // bottom. Nothing is inked around that box.
    void caption() {
        QCOMPARE(CviewPicture::CaptionText(12345), QStringLiteral(" 2 ml  1785 ft  "));
        QCOMPARE(CviewPicture::CaptionText(-7), QStringLiteral(" 0 ml  -7 ft  "));
        Viewer v(files_.img);
        v.view.DrawCaption(12345, v.dc);
        QCOMPARE(v.dc.Font(), CanvasFont{}); // the canvas's font is put back
        v.dc.SelectFont(CviewPicture::CaptionFont());
        const QSize size = v.dc.TextExtent(CviewPicture::CaptionText(12345));
        const int h = v.dc.TextExtent(QStringLiteral("H")).height();
        const int left = kView.left + 20;
        const int top = kView.bottom - static_cast<int>(1.5 * h);
        const auto inked = [&](int margin) {
            int n = 0;
            for (int y = top - margin; y < top + size.height() + margin; ++y)
                for (int x = left - margin; x < left + size.width() + margin; ++x)
                    n += v.dc.GetPixel(x, y) == CviewPicture::kCaptionColour;
            return n;
        };
        QVERIFY(inked(0) > 50);
        QCOMPARE(inked(h), inked(0));
    }

    // Seven 18 x 14 buttons at a pitch of 20, 5 pixels into the picture.
    void buttonsAreDrawnAndHit() {
        Viewer v(files_.img);
        v.view.playState = 0;
        v.view.DrawButtons(v.dc);
        QCOMPARE(v.view.playState, std::int16_t{1});
        for (int k = 1; k <= 7; ++k) {
            const int x = kView.left + 5 + 20 * (k - 1);
            QCOMPARE(v.view.buttonRects[k - 1], (Rect{x, kView.top + 5, x + 18, kView.top + 19}));
            QCOMPARE(v.dc.GetPixel(x + 17, kView.top + 18), PictureButtons::kShadow);
        }
        QVERIFY(v.ButtonsDrawn());
        const struct {
            int x, y, hit;
        } hits[] = {{-1, 5, 0}, {5, 5, 1}, {23, 10, -1}, {142, 18, 7}, {10, 19, -1}};
        for (auto [x, y, hit] : hits) // outside, first, gap, last pixel of save, below
            QCOMPARE(v.view.HitButton(kView.left + x, kView.top + y), hit);
    }

    void goToDistance_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("window 30 ft off: full search") << 600 << 500 << 1000 << 100 << true;
        QTest::newRow("nearest in the window, not overall") << 600 << 500 << 4840 << 485 << true;
        QTest::newRow("current is nearest: nothing drawn") << 600 << 100 << 1003 << 100 << false;
        QTest::newRow("window stops short of the last") << 20 << 10 << 190 << 18 << true;
        QTest::newRow("no pictures") << 0 << 7 << 200 << 0 << false;
    }
    void goToDistance() {
        QFETCH(int, count);
        QFETCH(int, current);
        QFETCH(int, target);
        QFETCH(int, expected);
        QFETCH(bool, drawn);
        Czipimg store; // no file: a drawn picture shows white under its caption
        store.count = count;
        for (int i = 0; i < count; ++i)
            store.distance.push_back(10 * i);
        CviewPicture view(store);
        Canvas dc;
        dc.Resize(400, 300);
        view.viewRect = kView;
        view.current = current;
        view.playState = 1;
        QCOMPARE(view.GoToDistance(target, dc), expected);
        QCOMPARE(view.current, expected);
        QCOMPARE(view.playState, static_cast<std::int16_t>(drawn ? 0 : 1));
    }

    // Steps and jumps act at once; a play returns from the click and shows a picture per tick
    // of its timer, to the end, at a step of one. Every picture shown moves cursor 1.
    void buttonActions_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("button");
        QTest::addColumn<QList<int>>("sequence");
        QTest::addColumn<bool>("redrawn");
        auto row = [](const char* name, int start, int button, QList<int> sequence,
                      bool redrawn = true) {
            QTest::newRow(name) << start << button << sequence << redrawn;
        };
        using B = PictureButtons;
        row("step forward", 2, B::StepForward, {3});
        row("step forward on the last", kLast, B::StepForward, {kLast}, false);
        row("step back to the first", 1, B::StepBack, {0});
        row("first", 5, B::First, {0});
        row("last", 0, B::Last, {kLast});
        row("play forwards", kLast - 3, B::PlayForwards, {kLast - 3, kLast - 2, kLast - 1, kLast});
        row("play backwards", 3, B::PlayBackwards, {3, 2, 1, 0});
        row("play forwards from the last", kLast, B::PlayForwards, {kLast});
    }
    void buttonActions() {
        QFETCH(int, start);
        QFETCH(int, button);
        QFETCH(QList<int>, sequence);
        QFETCH(bool, redrawn);
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
            QCOMPARE(v.view.playState, std::int16_t{2});
            QCOMPARE(v.view.step, 1);
            QVERIFY(v.shown.isEmpty());
            QTRY_VERIFY(!v.view.IsPlaying());
        }
        QList<int> distances;
        for (int i : sequence)
            distances << v.Distance(i);
        QCOMPARE(v.shown, distances);
        QCOMPARE(v.forwards, QList<bool>(sequence.size(), button != PictureButtons::PlayBackwards));
        QCOMPARE(v.frames, play ? int(sequence.size()) : 0);
        QCOMPARE(v.view.current, sequence.back());
        QCOMPARE(v.view.playState, std::int16_t{1});
        QVERIFY(v.ButtonsDrawn());
        QCOMPARE(v.dc.GetPixel(kView.left + 200, kView.top + 105) != kMarker, redrawn);
    }

    void playStops_data() {
        QTest::addColumn<bool>("byClick");
        QTest::newRow("a click in the picture") << true;
        QTest::newRow("a toolbar command") << false;
    }
    void playStops() {
        QFETCH(bool, byClick);
        Viewer v(files_.img);
        v.Start(0);
        v.Click(PictureButtons::PlayForwards);
        QTRY_VERIFY(v.frames >= 3); // at 10 a second the 40 pictures take 4 s
        v.view.OnKeyDuringPlay(Qt::Key_A);
        QCOMPARE(v.title, QStringLiteral("65---0"));
        v.view.OnPictureClick(v.dc, kView.left - 3, 100); // outside: dropped, the play goes on
        QVERIFY(v.view.IsPlaying());
        if (byClick)
            v.view.OnPictureClick(v.dc, 170, 140);
        else
            v.view.StopPlay(v.dc);
        QVERIFY(!v.view.IsPlaying());
        QCOMPARE(v.view.playState, std::int16_t{1});
        QVERIFY(v.ButtonsDrawn());
        const int frames = v.frames;
        for (int pass = 0; pass < 20; ++pass)
            QCoreApplication::processEvents();
        QCOMPARE(v.frames, frames);
        QVERIFY(v.view.current < kLast);
        QCOMPARE(v.shown.back(), v.Distance(v.view.current));
        // With no play running a stop draws nothing.
        v.dc.FillSolidRect(v.dc.ClientRect(), kMarker);
        v.view.StopPlay(v.dc);
        QVERIFY(!v.ButtonsDrawn());
    }

    // Fault: the play ran as fast as the event loop (1,000 pictures in 2 s). Now it shows no
    // more pictures than its rate allows, none at once, and goes on.
    void playKeepsItsRate_data() {
        QTest::addColumn<int>("rate"); // pictures a second; 0: not set
        QTest::addColumn<int>("atMost");
        QTest::newRow("10 a second unless set") << 0 << 5;
        QTest::newRow("20 a second") << 20 << 10;
        QTest::newRow("below 1 is 1 a second") << -3 << 0;
    }
    void playKeepsItsRate() {
        QFETCH(int, rate);
        QFETCH(int, atMost);
        Viewer v(files_.img);
        if (rate != 0)
            v.view.SetPlayRate(rate);
        v.Start(0);
        v.Click(PictureButtons::PlayForwards);
        for (int pass = 0; pass < 50; ++pass)
            QCoreApplication::processEvents();
        QCOMPARE(v.frames, 0);
        QTest::qWait(450);
        QVERIFY2(v.frames <= atMost, qPrintable(QString::number(v.frames)));
        QVERIFY(v.view.IsPlaying());
        if (atMost > 0)
            QTRY_VERIFY(v.frames >= 1);
        v.view.StopPlay(v.dc);
    }

    // The picture's bytes are written unchanged through a temporary file; a cancelled dialog
    // or a folder that is not there writes nothing, and the status bar says which.
    void saveWritesThePictureUnchangedOrNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("written"); // as shot.JPG
        QTest::newRow("written") << "shot.JPG"
                                 << "saved to" << true;
        QTest::newRow("no extension: .JPG added") << "shot"
                                                  << "shot.JPG." << true;
        QTest::newRow("cancelled") << QString() << "cancelled" << false;
        QTest::newRow("folder missing") << "no/such/shot.JPG"
                                        << "not saved" << false;
    }
    void saveWritesThePictureUnchangedOrNothing() {
        QFETCH(QString, name);
        QFETCH(QString, said);
        QFETCH(bool, written);
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
        if (file.isOpen()) {
            std::vector<std::uint8_t> bytes;
            QVERIFY(v.store.PictureBytes(6, &bytes));
            QCOMPARE(file.readAll(), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<qsizetype>(bytes.size())));
        }
    }
};

QTEST_MAIN(PictureViewerTest)
#include "PictureViewerTest.moc"
