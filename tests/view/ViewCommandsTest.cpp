#include "view/SpectrumWindow.h"
#include "view/ViewHarness.h"

#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

// The toolbar commands on a generated test of three segments, the spectrum window's moves, the
// options command, and what the window shows after the analysis settings change or cannot be
// used, and how it shows the settings' texts and ranges.
class ViewCommandsTest : public QObject {
    Q_OBJECT

    using SpectrumCases = Cases<int, QPoint, QString, QList<int>>; // points, window, moves, ...
    using ChangedCases = Cases<int, int, QString>; // groups left (-1: gone), segment, status
    // edits, geophone chosen, OK, settings writable; stored, read again, ratio scale
    using OptionsCases = Cases<QStringList, int, bool, bool, bool, bool, double>;

    TempDir dir_;
    SynthFiles road_, noCompanions_;

    static bool IsBlank(const QImage& image) {
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return false;
        return true;
    }
    static std::vector<float> Ratios(const CVorlixDoc& d) {
        return {d.cycleRatio.data(), d.cycleRatio.data() + d.cycleCount};
    }
    // A road of 2500 groups, without pictures or GPR; without companions if `bare`.
    static SynthFiles Road(const TempDir& dir, bool bare = false) {
        synth::Options options = PlainRoad(2500);
        options.writeCompanions = !bare;
        return GenerateSynthFiles(dir, options, bare ? "bare" : "road");
    }
    static void Open(ViewUnderTest& t, const SynthFiles& files) {
        t.doc.options.segmentGroups = 1000; // three segments, the last of 500 groups
        QVERIFY(t.view.OpenFile(QString::fromStdString(files.kvt)));
    }
    // The road opened through the Open command.
    std::unique_ptr<ViewUnderTest> Opened() {
        auto t = std::make_unique<ViewUnderTest>(dir_.Path());
        t->doc.options.segmentGroups = 1000;
        t->host.filesToChoose << QString::fromStdString(road_.kvt);
        t->view.RunCommand(ViewCommand::Open);
        return t;
    }

private slots:
    void initTestCase() {
        road_ = Road(dir_);
        noCompanions_ = Road(dir_, true);
        QVERIFY(road_.ok && noCompanions_.ok);
    }

    void commandsBeforeAFileDoNothing() {
        ViewUnderTest t(dir_.Path());
        for (const ViewCommandInfo& info : kViewCommands)
            if (info.command != ViewCommand::Exit)
                t.view.RunCommand(info.command); // the file dialogs are cancelled
        QVERIFY(IsBlank(t.view.Picture()));
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::None);
        QCOMPARE(t.host.optionsDialogs, 1);
        QVERIFY(t.host.title.isEmpty() && t.host.messages.isEmpty());
    }

    // Open shows the result view and the counts; a file refused later leaves it in place.
    void openShowsTheResultViewAndARefusedFileKeepsIt() {
        auto t = Opened();
        QCOMPARE(t->host.title, QStringLiteral("Raw data file has 625000 point and 2500 group. "
                                               "Current read segment is:1"));
        QCOMPARE(t->view.CurrentScreen(), CVorlixView::Screen::Result);
        QCOMPARE(t->host.opened, QStringList{QString::fromStdString(road_.kvt)});
        const QImage shown = t->view.Picture();
        QVERIFY(!IsBlank(shown));
        QVERIFY(!t->view.OpenFile(dir_.File("missing.KVT").c_str()));
        QCOMPARE(t->view.Picture(), shown);
        QVERIFY(!t->host.statuses.last().isEmpty());
        QCOMPARE(t->doc.rawPath, road_.kvt);
    }

    void segmentButtonsStopAtBothEnds() {
        auto t = Opened();
        const QString first = t->host.title;
        const std::pair<ViewCommand, int> steps[] = {
            {ViewCommand::PreviousSegment, 0}, {ViewCommand::NextSegment, 1},
            {ViewCommand::NextSegment, 2},     {ViewCommand::NextSegment, 2},
            {ViewCommand::PreviousSegment, 1}, {ViewCommand::PreviousSegment, 0}};
        for (auto [command, segment] : steps) {
            t->view.RunCommand(command);
            QCOMPARE(t->doc.options.currentSegment, segment);
            QVERIFY(t->host.title.endsWith(QString::number(segment + 1)));
        }
        QCOMPARE(t->host.title, first);
    }

    // Paging stops at the ends; paging after another screen draws the last signal mode again.
    // A resize drew a page reached by paging back as the mode's first page, without markers.
    void signalPagingStopsAtTheEndsAndKeepsThePage() {
        auto t = Opened();
        t->view.RunCommand(ViewCommand::NextSegment);
        t->view.RunCommand(ViewCommand::NextSegment); // 500 groups: fewer pages
        t->view.RunCommand(ViewCommand::GeoFiltered);
        const QImage first = t->view.Picture();
        t->view.RunCommand(ViewCommand::PreviousPage);
        QCOMPARE(t->view.Picture(), first);
        t->view.RunCommand(ViewCommand::NextPage);
        t->view.RunCommand(ViewCommand::PreviousPage);
        const QImage marked = t->view.Picture();
        QVERIFY(marked != first);
        t->view.SetClientSize(QSize(640, 480)); // drawn again at each size
        QVERIFY(t->view.Picture().size() == QSize(640, 480) && !IsBlank(t->view.Picture()));
        t->view.SetClientSize(QSize(1000, 800));
        QCOMPARE(t->view.Picture(), marked);

        const int pages = t->view.Objects().signalFigure.pageCount;
        for (int i = 0; i < pages + 2; ++i)
            t->view.RunCommand(ViewCommand::NextPage);
        QCOMPARE(int(t->view.Objects().signalFigure.currentPage), pages - 1);
        t->view.RunCommand(ViewCommand::ResultView);
        t->view.RunCommand(ViewCommand::PreviousPage);
        QCOMPARE(t->view.CurrentScreen(), CVorlixView::Screen::Signal);
        QCOMPARE(int(t->view.Objects().signalFigure.currentPage), pages - 2);
        // The spectrum pages by its window of 5000 points.
        t->view.RunCommand(ViewCommand::GeoSpectrum);
        t->view.RunCommand(ViewCommand::NextPage);
        QCOMPARE(t->view.CurrentSpectrumWindow(), (SpectrumWindow{5000, 10000}));
        QCOMPARE(t->view.CurrentScreen(), CVorlixView::Screen::Spectrum);
        QVERIFY(t->host.messages.isEmpty() && !IsBlank(t->view.Picture()));
    }

    // The window (start, end) of n points after each move: 'p' previous, 'n' next.
    void spectrumWindowMoves_data() {
        auto row = SpectrumCases::Declare();
        row("12000: previous from 3000", 12000, {3000, 8000}, "p", {0, 5000});
        row("12000: next to the end and round", 12000, {0, 5000}, "nnn",
            {5000, 10000, 9999, 11999, 0, 5000});
        row("5050: too short a window falls back", 5050, {0, 5000}, "n", {0, 5000});
        row("5000: the window stays inside", 5000, {0, 4998}, "np", {0, 4998, 0, 4998});
        row("previous at 0 never starts below 0", 8001, {0, 5000}, "p", {0, 5000});
        row("first window of a short segment", 1000, {-1, -1}, "", {0, 998});
    }
    void spectrumWindowMoves() {
        auto [n, from, moves, expected] = SpectrumCases::Fetch();
        SpectrumWindow w =
            from.x() < 0 ? spectrumwindow::First(n) : SpectrumWindow{from.x(), from.y()};
        QList<int> got;
        if (moves.isEmpty())
            got << w.start << w.end;
        for (QChar move : moves) {
            w = move == 'p' ? spectrumwindow::Previous(w, n) : spectrumwindow::Next(w, n);
            got << w.start << w.end;
        }
        QCOMPARE(got, expected);
    }

    // The file changed on disk after the open (in a folder whose name is not ASCII): a segment
    // button says so, and the window holds only a segment it read.
    void segmentButtonOnAChangedFileSaysWhatItRead_data() {
        auto row = ChangedCases::Declare(); // "@" stands for the file's path
        row("gone", -1, 0, "Cannot open \"@\": No such file or directory");
        row("one segment left", 700, 0,
            "@ has changed: it now has 1 segments; segment 1 is shown.");
        row("no whole group left", 0, 0, "\"@\" holds no whole group of samples (8000 bytes).");
        row("both segments left", 1000, 1, "");
    }
    void segmentButtonOnAChangedFileSaysWhatItRead() {
        auto [groupsLeft, segmentShown, status] = ChangedCases::Fetch();
        TempDir dir;
        std::filesystem::create_directory(dir.File("Straße 2"));
        synth::Options options = PlainRoad(1300);
        options.channels = 2;
        const SynthFiles files = GenerateSynthFiles(dir, options, "Straße 2/road");
        QVERIFY2(files.ok, files.error.c_str());
        ViewUnderTest t(dir.File("Straße 2")); // with the settings of the files
        t.doc.options.segmentGroups = 500;     // two segments: 500 groups, then 800 read as 500
        QVERIFY(t.view.OpenFile(QString::fromStdString(files.kvt)));
        if (groupsLeft < 0)
            std::filesystem::remove(files.kvt);
        else
            std::filesystem::resize_file(files.kvt, 8000 + 1100 * groupsLeft);
        t.view.RunCommand(ViewCommand::NextSegment);
        QCOMPARE(t.host.statuses.last(), status.replace("@", QString::fromStdString(files.kvt)));
        QCOMPARE(t.doc.options.currentSegment, segmentShown);
        QVERIFY(t.host.title.endsWith(QString::number(segmentShown + 1)));
        QCOMPARE(t.doc.pointCount, 500 * 250);
        QVERIFY(t.host.messages.isEmpty());
    }

    void exportWritesTheFileAndCancelsReplaceNothing() {
        auto t = Opened();
        const std::string txt = t->doc.txtPath;
        std::filesystem::remove(txt);
        t->host.cancelProgressAfter = 1;
        t->view.RunCommand(ViewCommand::TextExport);
        QVERIFY(!std::filesystem::exists(txt));
        QCOMPARE(t->host.statuses.last(),
                 QStringLiteral("Export cancelled; no file was replaced."));
        t->host.filesToChoose << QString::fromStdString(t->doc.rawPath);
        t->view.RunCommand(ViewCommand::ConversionExport);
        QCOMPARE(t->host.statuses.last(),
                 QStringLiteral("Conversion cancelled; no file was replaced."));
        QVERIFY(!dir_.HasTemporaryFiles());
        t->host.cancelProgressAfter = -1;
        t->view.RunCommand(ViewCommand::TextExport);
        QVERIFY(std::filesystem::file_size(txt) > 0);
        QCOMPARE(t->doc.options.currentSegment, 0);
        QCOMPARE(t->view.CurrentScreen(), CVorlixView::Screen::Result);
    }

    // OK stores the settings file; a failed write says why while the new settings stay in
    // force. The segment shown is read again (the file was cut since it was opened: the title
    // shows the new group count) when another geophone was chosen, even if then cancelled, or
    // a setting the analysis reads changed: ratios are 10 x geophone / load, so twice the load
    // factor halves them (scale 0: other ratios). The smoothing alone only smooths again
    // (scale 1); -1: nothing changes.
    void optionsCommand_data() {
        auto row = OptionsCases::Declare();
        const QStringList smoothing{"movingAverageCount=5"};
        row("load factor", {"loadFactor=5"}, -1, true, true, true, true, 0.5);
        row("band", {"bandpassLow=20", "bandpassHigh=40"}, -1, true, true, true, true, 0);
        row("smoothing", smoothing, -1, true, true, true, false, 1);
        row("settings file not writable", smoothing, -1, true, false, false, false, 1);
        row("another geophone", {}, 1, true, true, true, true, 0);
        row("Cancel after another geophone", {}, 2, false, true, false, true, -1);
        row("Cancel", smoothing, -1, false, true, false, false, -1);
    }
    void optionsCommand() {
        auto [edits, geophone, ok, writable, stored, reread, ratioScale] = OptionsCases::Fetch();
        TempDir work;
        const SynthFiles files = Road(work);
        QVERIFY(files.ok);
        ViewUnderTest t(work.Path());
        Open(t, files);
        t.view.RunCommand(ViewCommand::NextSegment);
        const std::string settings = ReadFile(files.settings);
        if (!writable)
            t.doc.options.settingsPath = work.File("gone/Vorlixcontrol.dat");
        const auto groupSize = (std::filesystem::file_size(files.kvt) - 8000) / 2500;
        std::filesystem::resize_file(files.kvt, 8000 + 2200 * groupSize);
        const QString title = t.host.title;
        const std::vector<float> ratios = Ratios(t.doc);
        const float smoothed = t.doc.resultValue[10];
        t.host.statuses.clear();
        UseOptions(t.host, edits, geophone, ok);
        t.view.RunCommand(ViewCommand::Options);
        QCOMPARE(ReadFile(files.settings) != settings, stored);
        QCOMPARE(t.host.statuses.join("").contains("gone"), !writable);
        QCOMPARE(t.host.title.contains(" 2200 group"), reread);
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::Result);
        QVERIFY(reread || t.host.title == title);
        QCOMPARE(t.doc.options.currentSegment, 1);
        QCOMPARE(t.doc.resultValue[10] != smoothed, ratioScale >= 0);
        const std::vector<float> now = Ratios(t.doc);
        const double scale = ratioScale < 0 ? 1 : ratioScale;
        QCOMPARE(now.size(), ratios.size());
        QCOMPARE(now != ratios, scale != 1);
        for (std::size_t i = 0; i < now.size() && scale > 0; ++i)
            QVERIFY(qAbs(now[i] - scale * ratios[i]) <= 1e-4 * qAbs(ratios[i]));
    }

    // A band the filter cannot use stops the next segment with its message before anything is
    // read: title, segment, signals, results and picture stay those of the segment shown. Once
    // the band is corrected, that segment is analysed again and the next one can be read.
    void failedAnalysisKeepsTheSegmentShown() {
        TempDir work;
        const SynthFiles files = Road(work);
        ViewUnderTest t(work.Path());
        Open(t, files);
        t.view.RunCommand(ViewCommand::DataView3);
        const QString title = t.host.title;
        const QImage picture = t.view.Picture();
        const std::vector<float> ratios = Ratios(t.doc);
        const float firstDistance = t.doc.groupDistance[0];
        t.doc.options.bandpassLow = -5.0f;
        t.view.RunCommand(ViewCommand::NextSegment);
        QCOMPARE(t.host.messages, QStringList{"Math Exception: Invalid band specification."});
        QCOMPARE(t.host.title, title);
        QCOMPARE(t.doc.options.currentSegment, 0);
        QCOMPARE(t.doc.groupDistance[0], firstDistance);
        QVERIFY(Ratios(t.doc) == ratios);
        QCOMPARE(t.view.Picture(), picture);

        UseOptions(t.host, {"bandpassLow=25"});
        t.view.RunCommand(ViewCommand::Options);
        QVERIFY(Ratios(t.doc) == ratios);
        t.view.RunCommand(ViewCommand::NextSegment);
        QVERIFY(t.host.title.endsWith("segment is:2"));
        QCOMPARE(t.host.messages.size(), 1);
    }

    // Without a chosen range (Chart-Min equal to Chart-Max, as without a settings file) the
    // result chart's axis covers every ratio drawn. The settings' texts are Latin-1 bytes, shown
    // as the letters they stand for.
    void resultChartWithoutRangeTakesTheDataAndShowsAccentedTitles() {
        ViewUnderTest t(dir_.Path());
        const int row = CKVTcontrol::kResultChartRow;
        t.doc.options.chartMin[row] = t.doc.options.chartMax[row] = 0.0f;
        t.doc.options.chartTitle[row] = "D\xe9"
                                        "flexion \xe0 20 \xb0"
                                        "C";
        t.doc.options.chartXLabel[row] = "Distance (\xb5m)";
        Open(t, road_);
        const std::vector<float> ratios = Ratios(t.doc);
        const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
        const Caxis& axis = t.view.Objects().resultChart.yAxis;
        QVERIFY(axis.axisLow <= *low && axis.axisHigh >= *high);
        QVERIFY(axis.axisHigh - axis.axisLow < 4 * (*high - *low));
        QCOMPARE(t.view.Objects().resultChart.title, QString::fromUtf8("Déflexion à 20 °C"));
        QCOMPARE(t.view.Objects().resultChart.xTitle, QString::fromUtf8("Distance (µm)"));
    }

    // "Other" after a file with a GPS track, on a file without one, shows what it shows for
    // that file alone: three empty charts with their titles.
    void otherWithoutGpsShowsEmptyCharts() {
        ViewUnderTest after(dir_.Path()), alone(dir_.Path());
        Open(after, road_);
        after.view.RunCommand(ViewCommand::Other);
        const QImage withTrack = after.view.Picture();
        Open(after, noCompanions_);
        after.view.RunCommand(ViewCommand::Other);
        Open(alone, noCompanions_);
        alone.view.RunCommand(ViewCommand::Other);
        QVERIFY(after.view.Picture() != withTrack);
        QCOMPARE(after.view.Picture(), alone.view.Picture());
        QCOMPARE(after.view.Objects().speedChart.title, QStringLiteral("KVT Running speed chart"));
    }
};

QTEST_MAIN(ViewCommandsTest)
#include "ViewCommandsTest.moc"
