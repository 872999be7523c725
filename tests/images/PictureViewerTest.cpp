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
#include <functional>
#include <memory>
#include <vector>

class PictureViewerTest : public QObject {
    Q_OBJECT

private:
    static constexpr int kPictures = 40;
    static constexpr QRgb kMarker = Rgb(255, 0, 255);
    static constexpr Rect kView{10, 20, 330, 260}; // twice the generator's 160 x 120

    std::unique_ptr<TempDir> dir_;
    SynthFiles files_;

    // A viewer on the generated pictures, with every hook recorded.
    struct Viewer {
        Czipimg store;
        CviewPicture view{store};
        Canvas dc;
        std::vector<std::pair<int, bool>> shown;
        int frames = 0;
        QStringList status;
        QString title;
        QString savePath;

        explicit Viewer(const std::string& path) {
            store.imgPath = path;
            store.ReadImageIndex(0.0f);
            dc.Resize(400, 300);
            view.viewRect = kView;
            view.onPictureShown = [this](int d, bool forwards) { shown.push_back({d, forwards}); };
            view.onFrame = [this] { ++frames; };
            view.showStatus = [this](const QString& s) { status << s; };
            view.setTitle = [this](const QString& s) { title = s; };
            view.chooseSavePath = [this] { return savePath; };
        }
        QPoint Centre(int k) const {
            const Rect& r = view.buttonRects[k - 1];
            return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        }
        void Click(int k) {
            const QPoint p = Centre(k);
            view.OnPictureClick(dc, p.x(), p.y());
        }
        int Distance(int i) const { return store.distance[static_cast<std::size_t>(i)]; }
    };

    // Runs the event loop one pass at a time, so a play advances a picture per pass.
    static bool RunUntil(const std::function<bool()>& done) {
        for (int pass = 0; pass < 100000 && !done(); ++pass)
            QCoreApplication::processEvents();
        return done();
    }

    static bool Near(QRgb a, QRgb b, int tolerance) {
        return std::abs(qRed(a) - qRed(b)) <= tolerance &&
               std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
               std::abs(qBlue(a) - qBlue(b)) <= tolerance;
    }

private slots:
    void initTestCase() {
        QFont::insertSubstitution(QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"));
        dir_ = std::make_unique<TempDir>();
        synth::Options options = SmallSynthOptions();
        options.pictures = kPictures;
        files_ = GenerateSynthFiles(*dir_, options);
        QVERIFY2(files_.ok, files_.error.c_str());
    }

    void showsTheGeneratorsJpegStretchedIntoTheRectangle_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }
    void showsTheGeneratorsJpegStretchedIntoTheRectangle() {
        QFETCH(qreal, ratio);
        Viewer v(files_.img);
        QCOMPARE(v.store.count, kPictures);
        v.dc.Resize(400, 300, ratio);
        v.view.ShowImage(v.dc, 3);
        QCOMPARE(v.view.current, 3);
        QVERIFY(v.status.isEmpty());
        std::vector<std::uint8_t> bytes;
        QVERIFY(v.store.PictureBytes(3, &bytes));
        QImage picture;
        QVERIFY(picture.loadFromData(bytes.data(), static_cast<int>(bytes.size())));
        // Sky, grass and road centre, away from the caption; each picture pixel covers 2 x 2.
        for (QPoint p : {QPoint(80, 10), QPoint(150, 100), QPoint(120, 60), QPoint(30, 30)}) {
            const QRgb want = picture.pixel(p);
            const QRgb got = v.dc.GetPixel(kView.left + 2 * p.x() + 1, kView.top + 2 * p.y() + 1);
            QVERIFY2(Near(got, want, 24), qPrintable(QStringLiteral("at %1,%2: %3 for %4")
                                                         .arg(p.x())
                                                         .arg(p.y())
                                                         .arg(got, 0, 16)
                                                         .arg(want, 0, 16)));
        }
        QCOMPARE(v.dc.GetPixel(kView.left - 1, kView.top + 50), Rgb(255, 255, 255));
        QCOMPARE(v.dc.GetPixel(kView.right, kView.top + 50), Rgb(255, 255, 255));
    }

    void pictureNotShownLeavesTheRectangleWhite_data() {
        QTest::addColumn<bool>("decodable");
        QTest::newRow("refused index entry") << true;
        QTest::newRow("bytes that are no image") << false;
    }
    void pictureNotShownLeavesTheRectangleWhite() {
        QFETCH(bool, decodable);
        std::string path = files_.img;
        if (!decodable) {
            // One picture of 50 bytes that no image reader takes.
            QByteArray bytes(296 + 8 + 50, 'x');
            auto put = [&](int at, qint32 v) { qToLittleEndian(v, bytes.data() + at); };
            put(244, 1);
            put(248, 296);
            put(296, 100);
            put(300, 304);
            path = dir_->File("junk.IMG");
            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        Viewer v(path);
        QVERIFY(v.store.count >= 1);
        if (decodable)
            v.store.indexOffset = 0; // the entry read is header text
        v.dc.FillSolidRect(v.dc.ClientRect(), kMarker);
        v.view.ShowImage(v.dc, 0);
        QCOMPARE(v.view.current, 0);
        QCOMPARE(v.dc.GetPixel(kView.right - 5, kView.top + 5), Rgb(255, 255, 255));
        QCOMPARE(v.dc.GetPixel(kView.right, kView.top + 5), kMarker);
        QCOMPARE(v.status.size(), 1);
    }

    void caption_data() {
        QTest::addColumn<int>("distance");
        QTest::addColumn<QString>("text");
        QTest::newRow("12,345 ft") << 12345 << QStringLiteral(" 2 ml  1785 ft  ");
        QTest::newRow("one mile") << 5280 << QStringLiteral(" 1 ml  0 ft  ");
        QTest::newRow("start") << 0 << QStringLiteral(" 0 ml  0 ft  ");
        QTest::newRow("camera ahead") << -7 << QStringLiteral(" 0 ml  -7 ft  ");
    }
    void caption() {
        QFETCH(int, distance);
        QFETCH(QString, text);
        QCOMPARE(CviewPicture::CaptionText(distance), text);

        Viewer v(files_.img);
        v.view.DrawCaption(distance, v.dc);
        QCOMPARE(v.dc.Font(), CanvasFont{}); // the canvas's font is put back
        v.dc.SelectFont(CviewPicture::CaptionFont());
        const int h = v.dc.TextExtent(QStringLiteral("H")).height();
        const Rect box{kView.left + 20, kView.bottom - static_cast<int>(1.5 * h),
                       kView.left + 20 + v.dc.TextExtent(text).width(),
                       kView.bottom - static_cast<int>(1.5 * h) + h};
        int blue = 0;
        for (int y = 0; y < v.dc.Height(); ++y) {
            for (int x = 0; x < v.dc.Width(); ++x) {
                const QRgb c = v.dc.GetPixel(x, y);
                if (c == Rgb(255, 255, 255))
                    continue;
                QCOMPARE(c, CviewPicture::kCaptionColour);
                QVERIFY2(box.Contains(x, y), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                ++blue;
            }
        }
        QVERIFY(blue > 50);
    }

    void buttonsAreDrawnAndHit_data() {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("hit");
        QTest::newRow("outside the picture") << QPoint(kView.left - 1, kView.top + 5) << 0;
        QTest::newRow("first pixel of first") << QPoint(kView.left + 5, kView.top + 5) << 1;
        QTest::newRow("last pixel of first") << QPoint(kView.left + 22, kView.top + 18) << 1;
        QTest::newRow("gap after first") << QPoint(kView.left + 23, kView.top + 10) << -1;
        QTest::newRow("step forward") << QPoint(kView.left + 5 + 60, kView.top + 10) << 4;
        QTest::newRow("last pixel of save") << QPoint(kView.left + 142, kView.top + 18) << 7;
        QTest::newRow("below the buttons") << QPoint(kView.left + 10, kView.top + 19) << -1;
        QTest::newRow("picture middle") << QPoint(170, 140) << -1;
    }
    void buttonsAreDrawnAndHit() {
        QFETCH(QPoint, point);
        QFETCH(int, hit);
        Viewer v(files_.img);
        QCOMPARE(v.view.HitButton(point.x(), point.y()), hit == 0 ? 0 : -1); // none drawn yet
        v.view.playState = 0;
        v.view.DrawButtons(v.dc);
        QCOMPARE(v.view.playState, std::int16_t{1});
        for (int k = 1; k <= 7; ++k) {
            const int x = kView.left + 5 + 20 * (k - 1);
            QCOMPARE(v.view.buttonRects[k - 1], (Rect{x, kView.top + 5, x + 18, kView.top + 19}));
            QCOMPARE(v.dc.GetPixel(x, kView.top + 5), PictureButtons::kLight);
            QCOMPARE(v.dc.GetPixel(x + 17, kView.top + 18), PictureButtons::kShadow);
        }
        QCOMPARE(v.view.HitButton(point.x(), point.y()), hit);
    }

    void buttonIconsAreSevenAndMirrorInPairs_data() {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1x") << 1.0;
        QTest::newRow("2x") << 2.0;
    }
    void buttonIconsAreSevenAndMirrorInPairs() {
        QFETCH(qreal, ratio);
        const QImage strip = PictureButtons::Strip(ratio);
        QCOMPARE(strip.size(), QSize(qRound(126 * ratio), qRound(14 * ratio)));
        QCOMPARE(strip.devicePixelRatio(), ratio);
        const int w = qRound(18 * ratio), h = qRound(14 * ratio), edge = qRound(ratio);
        auto inside = [&](int k) { // the face within the raised edge
            return strip.copy(w * (k - 1) + edge, edge, w - 2 * edge, h - 2 * edge);
        };
        for (int a = 1; a <= 7; ++a)
            for (int b = a + 1; b <= 7; ++b)
                QVERIFY2(inside(a) != inside(b), qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
        // First and last, play backwards and forwards, step back and forward.
        for (int k = 1; k <= 3; ++k)
            QCOMPARE(inside(7 - k).mirrored(true, false), inside(k));
    }

    void goToDistance_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("window 30 ft off: full search") << 600 << 500 << 1000 << 100 << true;
        QTest::newRow("nearest within the window") << 600 << 500 << 5040 << 504 << true;
        QTest::newRow("window's edge") << 600 << 500 << 4853 << 485 << true;
        QTest::newRow("current is nearest: nothing drawn") << 600 << 100 << 1003 << 100 << false;
        QTest::newRow("window stops short of the last") << 20 << 10 << 190 << 18 << true;
        QTest::newRow("unset current starts in the middle") << 600 << -1 << 3000 << 300 << false;
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

    void stepAndJumpButtons_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("redrawn");
        const int last = kPictures - 1;
        QTest::newRow("step forward") << 2 << 4 << 3 << true;
        QTest::newRow("step forward on the last") << last << 4 << last << false;
        QTest::newRow("step back") << 3 << 3 << 2 << true;
        QTest::newRow("step back on the first") << 0 << 3 << 0 << false;
        QTest::newRow("first") << 5 << 1 << 0 << true;
        QTest::newRow("last") << 0 << 6 << last << true;
    }
    void stepAndJumpButtons() {
        QFETCH(int, start);
        QFETCH(int, button);
        QFETCH(int, expected);
        QFETCH(bool, redrawn);
        Viewer v(files_.img);
        v.view.ShowImage(v.dc, start);
        v.view.DrawButtons(v.dc);
        v.dc.FillSolidRect(kView.left + 150, kView.top + 100, kView.right, kView.top + 110,
                           kMarker);
        v.Click(button);
        QCOMPARE(v.view.current, expected);
        QCOMPARE(v.view.playState, std::int16_t{1});
        QCOMPARE(v.shown.size(), std::size_t{1});
        QCOMPARE(v.shown[0].first, v.Distance(expected));
        QCOMPARE(v.dc.GetPixel(kView.left + 200, kView.top + 105) != kMarker, redrawn);
        QCOMPARE(v.dc.GetPixel(kView.left + 5, kView.top + 5), PictureButtons::kLight);
    }

    void playRunsFromTheEventLoopToTheEnd_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("sequence");
        QTest::addColumn<bool>("forwards");
        const int last = kPictures - 1;
        QTest::newRow("forwards") << 5 << last - 3 << QList<int>{last - 3, last - 2, last - 1, last}
                                  << true;
        QTest::newRow("backwards") << 2 << 3 << QList<int>{3, 2, 1, 0} << false;
        QTest::newRow("forwards from the last") << 5 << last << QList<int>{last} << true;
    }
    void playRunsFromTheEventLoopToTheEnd() {
        QFETCH(int, button);
        QFETCH(int, start);
        QFETCH(QList<int>, sequence);
        QFETCH(bool, forwards);
        Viewer v(files_.img);
        v.view.ShowImage(v.dc, start);
        v.view.DrawButtons(v.dc);
        v.view.step = 3;
        v.Click(button);
        // The click returns at once; the pictures come with the event loop.
        QVERIFY(v.view.IsPlaying());
        QCOMPARE(v.view.playState, std::int16_t{2});
        QCOMPARE(v.view.step, 1);
        QVERIFY(v.shown.empty());
        QTRY_VERIFY(!v.view.IsPlaying());
        QCOMPARE(v.view.playState, std::int16_t{1});
        QCOMPARE(v.shown.size(), std::size_t(sequence.size()));
        for (qsizetype i = 0; i < sequence.size(); ++i) {
            QCOMPARE(v.shown[i].first, v.Distance(sequence[i]));
            QCOMPARE(v.shown[i].second, forwards);
        }
        QCOMPARE(v.frames, int(sequence.size()));
        QCOMPARE(v.view.current, sequence.back());
        QCOMPARE(v.dc.GetPixel(kView.left + 5, kView.top + 5), PictureButtons::kLight);
    }

    void playStops_data() {
        QTest::addColumn<bool>("byClick");
        QTest::newRow("a click in the picture") << true;
        QTest::newRow("a toolbar command") << false;
    }
    void playStops() {
        QFETCH(bool, byClick);
        Viewer v(files_.img);
        v.view.ShowImage(v.dc, 0);
        v.view.DrawButtons(v.dc);
        v.Click(PictureButtons::PlayForwards);
        QVERIFY(RunUntil([&] { return v.frames >= 3; }));
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
        QCOMPARE(v.dc.GetPixel(kView.left + 5, kView.top + 5), PictureButtons::kLight);
        const int frames = v.frames;
        QTest::qWait(50);
        QCOMPARE(v.frames, frames);
        QVERIFY(v.view.current < kPictures - 1);
        QCOMPARE(v.shown.back().first, v.Distance(v.view.current));
        // With no play running a stop draws nothing.
        v.dc.FillSolidRect(v.dc.ClientRect(), kMarker);
        v.view.StopPlay(v.dc);
        QCOMPARE(v.dc.GetPixel(kView.left + 5, kView.top + 5), kMarker);
    }

    void save_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("said");
        QTest::newRow("written") << QStringLiteral("shot.JPG") << true << QStringLiteral("saved");
        QTest::newRow("cancelled") << QString() << false << QStringLiteral("cancelled");
        QTest::newRow("folder missing")
            << QStringLiteral("no/such/folder/shot.JPG") << false << QStringLiteral("not saved");
    }
    void save() {
        QFETCH(QString, name);
        QFETCH(bool, written);
        QFETCH(QString, said);
        TempDir out;
        Viewer v(files_.img);
        v.view.ShowImage(v.dc, 6);
        v.view.DrawButtons(v.dc);
        v.savePath =
            name.isEmpty() ? QString() : QString::fromStdString(out.File(name.toStdString()));
        v.Click(PictureButtons::Save);
        QCOMPARE(v.status.size(), 1);
        QVERIFY2(v.status[0].contains(said), qPrintable(v.status[0]));
        QVERIFY(!out.HasTemporaryFiles());
        const QString path = QString::fromStdString(out.File("shot.JPG"));
        QCOMPARE(QFile::exists(path), written);
        if (written) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray saved = file.readAll();
            std::vector<std::uint8_t> bytes;
            QVERIFY(v.store.PictureBytes(6, &bytes));
            QCOMPARE(saved, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                       static_cast<qsizetype>(bytes.size())));
        }
    }
};

QTEST_MAIN(PictureViewerTest)
#include "PictureViewerTest.moc"
