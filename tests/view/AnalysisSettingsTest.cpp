#include "view/ViewHarness.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <vector>

// What the window shows after the analysis settings change or cannot be used, and how it shows
// the settings' texts and ranges.
class AnalysisSettingsTest : public QObject {
    Q_OBJECT

private:
    TempDir dir_;
    SynthFiles road_, noCompanions_;

    static std::vector<float> Ratios(const CVorlixDoc& d) {
        return {d.cycleRatio.data(), d.cycleRatio.data() + d.cycleCount};
    }
    static void Edit(FakeHost& host, const QStringList& edits) { // "name=text", then OK
        host.useOptions = [edits](OptionsDialog& dialog) {
            for (const QString& edit : edits)
                dialog.findChild<QLineEdit*>(edit.section('=', 0, 0))
                    ->setText(edit.section('=', 1));
            dialog.findChild<QPushButton*>("okButton")->click();
        };
    }
    // A folder with the generated settings, for a test whose OK in the options stores them.
    std::string OwnSettings(const TempDir& work) const {
        std::filesystem::copy_file(road_.settings, work.File(CKVTcontrol::kSettingsFileName));
        return work.Path();
    }
    void Open(ViewUnderTest& t, const SynthFiles& files) {
        t.doc.options.segmentGroups = 1000; // three segments of the road
        QVERIFY(t.view.OpenFile(QString::fromStdString(files.kvt)));
    }

private slots:
    void initTestCase() {
        synth::Options options = SmallSynthOptions();
        options.groups = 2500;
        options.pictures = 0;
        options.gpr = synth::Options::Gpr::None;
        road_ = GenerateSynthFiles(dir_, options, "road");
        QVERIFY2(road_.ok, road_.error.c_str());
        options.writeCompanions = false;
        noCompanions_ = GenerateSynthFiles(dir_, options, "bare");
        QVERIFY2(noCompanions_.ok, noCompanions_.error.c_str());
    }

    // A band the filter cannot use stops the next segment with its message before anything is
    // read: title, segment, signals, results and picture stay those of the segment shown. Once
    // the band is corrected, that segment is analysed again and the next one can be read.
    void failedAnalysisKeepsTheSegmentShown() {
        TempDir work;
        ViewUnderTest t(OwnSettings(work));
        Open(t, road_);
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
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::DataView3);

        Edit(t.host, {"bandpassLow=25"});
        t.view.RunCommand(ViewCommand::Options);
        QVERIFY(Ratios(t.doc) == ratios);
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::Result);
        t.view.RunCommand(ViewCommand::NextSegment);
        QCOMPARE(t.doc.options.currentSegment, 1);
        QVERIFY(t.host.title.endsWith("segment is:2"));
        QCOMPARE(t.host.messages.size(), 1);
    }

    // A setting the analysis reads takes the segment shown through it again; the smoothing
    // alone only smooths again. Ratios are 10 x geophone / load: twice the load factor halves
    // them.
    void changedSettingsAreAnalysedAgain_data() {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<double>("ratioScale"); // of the per-cycle ratios; 0: other ratios
        QTest::newRow("load factor") << QStringList{"loadFactor=5"} << 0.5;
        QTest::newRow("geophone factor") << QStringList{"centerFactor=11.2"} << 0.5;
        QTest::newRow("band") << QStringList{"bandpassLow=20", "bandpassHigh=40"} << 0.0;
        QTest::newRow("smoothing") << QStringList{"movingAverageCount=5"} << 1.0;
    }
    void changedSettingsAreAnalysedAgain() {
        QFETCH(QStringList, edits);
        QFETCH(double, ratioScale);
        TempDir work;
        ViewUnderTest t(OwnSettings(work));
        Open(t, road_);
        t.view.RunCommand(ViewCommand::NextSegment);
        const std::vector<float> ratios = Ratios(t.doc);
        const float smoothed = t.doc.resultValue[10];
        Edit(t.host, edits);
        t.view.RunCommand(ViewCommand::Options);
        QCOMPARE(t.doc.options.currentSegment, 1);
        QVERIFY(t.doc.resultValue[10] != smoothed);
        const std::vector<float> now = Ratios(t.doc);
        if (ratioScale == 0.0) {
            QVERIFY(now != ratios);
            return;
        }
        QCOMPARE(now.size(), ratios.size());
        for (std::size_t i = 0; i < now.size(); ++i)
            QVERIFY(qAbs(now[i] - ratioScale * ratios[i]) <= 1e-4 * qAbs(ratios[i]));
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
        QVERIFY2(axis.axisLow <= *low && axis.axisHigh >= *high,
                 qPrintable(QString("%1..%2 for %3..%4")
                                .arg(axis.axisLow)
                                .arg(axis.axisHigh)
                                .arg(*low)
                                .arg(*high)));
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
