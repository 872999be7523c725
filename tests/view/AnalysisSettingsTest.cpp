#include "view/ViewHarness.h"

#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

// The options command in the window, and what the window shows after the analysis settings
// change or cannot be used, and how it shows the settings' texts and ranges.
class AnalysisSettingsTest : public QObject {
    Q_OBJECT

    // edits, geophone chosen, OK, settings writable; stored, read again, ratio scale
    using OptionsCases = Cases<QStringList, int, bool, bool, bool, bool, double>;

    TempDir dir_;
    SynthFiles road_, noCompanions_;

    static std::vector<float> Ratios(const CVorlixDoc& d) {
        return {d.cycleRatio.data(), d.cycleRatio.data() + d.cycleCount};
    }
    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // A road of 2500 groups, without pictures or GPR; without companions if `bare`.
    static SynthFiles Road(const TempDir& dir, bool bare = false) {
        synth::Options options = SmallSynthOptions();
        options.groups = 2500;
        options.pictures = 0;
        options.gpr = synth::Options::Gpr::None;
        options.writeCompanions = !bare;
        return GenerateSynthFiles(dir, options, bare ? "bare" : "road");
    }
    static void Open(ViewUnderTest& t, const SynthFiles& files) {
        t.doc.options.segmentGroups = 1000; // three segments of the road
        QVERIFY(t.view.OpenFile(QString::fromStdString(files.kvt)));
    }

private slots:
    void initTestCase() {
        road_ = Road(dir_);
        noCompanions_ = Road(dir_, true);
        QVERIFY(road_.ok && noCompanions_.ok);
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
        row("geophone factor", {"centerFactor=11.2"}, -1, true, true, true, true, 0.5);
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
        const std::string settings = Bytes(files.settings);
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
        QCOMPARE(Bytes(files.settings) != settings, stored);
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
    // result chart's axis covers every ratio drawn.
    void resultChartWithoutRangeTakesTheData() {
        ViewUnderTest t(dir_.Path());
        t.doc.options.chartMin[CKVTcontrol::kResultChartRow] = 0.0f;
        t.doc.options.chartMax[CKVTcontrol::kResultChartRow] = 0.0f;
        Open(t, road_);
        const std::vector<float> ratios = Ratios(t.doc);
        const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
        const Caxis& axis = t.view.Objects().resultChart.yAxis;
        QVERIFY(axis.axisLow <= *low && axis.axisHigh >= *high);
        QVERIFY(axis.axisHigh - axis.axisLow < 4 * (*high - *low));
    }

    // The settings file's texts are Latin-1 bytes, shown as the letters they stand for.
    void accentedTitlesAreShown() {
        TempDir work;
        CKVTcontrol stored;
        stored.settingsPath = road_.settings;
        QVERIFY(stored.LoadSettings());
        const int row = CKVTcontrol::kResultChartRow;
        stored.chartTitle[row] = "D\xe9"
                                 "flexion \xe0 20 \xb0"
                                 "C";
        stored.chartXLabel[row] = "Distance (\xb5m)";
        stored.settingsPath = work.File(CKVTcontrol::kSettingsFileName);
        QVERIFY(stored.SaveSettings());
        ViewUnderTest t(work.Path());
        Open(t, road_);
        const CkelGeneralChart& chart = t.view.Objects().resultChart;
        QCOMPARE(chart.title, QString::fromUtf8("Déflexion à 20 °C"));
        QCOMPARE(chart.xTitle, QString::fromUtf8("Distance (µm)"));
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

QTEST_MAIN(AnalysisSettingsTest)
#include "AnalysisSettingsTest.moc"
