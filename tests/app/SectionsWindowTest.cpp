#include "app/CMainFrame.h"
#include "app/CVorlixApp.h"
#include "app/MessageFilter.h"
#include "charts/SectionOverlay.h"
#include "document/CVorlixDoc.h"
#include "support/SynthFixture.h"
#include "support/TempDir.h"
#include "view/CVorlixView.h"
#include "view/SectionsPanel.h"

#include <QClipboard>
#include <QDockWidget>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QtTest>

#include <filesystem>
#include <memory>

// The sections in the window, on a generated road of two segments: computed in the background
// after the open, listed in the panel, drawn on the result chart, and a double-click on a flag
// showing its place.
class SectionsWindowTest : public QObject {
    Q_OBJECT

private:
    TempDir data_;
    SynthFiles files_;
    std::unique_ptr<CVorlixDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;

    CVorlixView& View() { return *frame_->View(); }
    const sections::Result& Road() { return *View().Sections(); }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        CVorlixApp::SetIdentity();
        InstallMessageFilter();
        QSettings().clear();
        synth::Options options;
        options.groups = 14000, options.pictures = 20; // a long segment and a short one
        files_ = GenerateSynthFiles(data_, options, "road");
        QVERIFY2(files_.ok, files_.error.c_str());
        doc_ = std::make_unique<CVorlixDoc>(data_.Path());
        frame_ = std::make_unique<CMainFrame>(*doc_, QString::fromStdString(data_.Path()));
        frame_->resize(1400, 1000);
        frame_->show();
        QVERIFY(View().OpenFile(QString::fromStdString(files_.kvt)));
        QTRY_VERIFY_WITH_TIMEOUT(View().Sections() != nullptr, 60000);
        QVERIFY(Road().sections.size() >= 2 && !Road().flags.empty());
    }
    void cleanupTestCase() {
        frame_.reset();
        QSettings().clear();
    }

    // F7 opens the panel; its tables hold a row per section and flag, sort by a column's numbers,
    // and Ctrl+C copies the selected cells as tab-separated text.
    void panelListsTheSectionsAndFlags() {
        QVERIFY(!frame_->SectionsDock()->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
        QTest::keyClick(frame_.get(), Qt::Key_F7);
        QTRY_VERIFY(frame_->SectionsDock()->isVisible());
        SectionsPanel& panel = *frame_->Sections();
        SpreadsheetTable& sections = *panel.SectionsTable();
        SpreadsheetTable& flags = *panel.FlagsTable();
        QCOMPARE(QList<int>({sections.rowCount(), flags.rowCount()}),
                 QList<int>({int(Road().sections.size()), int(Road().flags.size())}));
        // Sorting by the peak puts the highest first when sorted downwards.
        flags.sortByColumn(6, Qt::DescendingOrder);
        const auto highest = std::max_element(Road().flags.begin(), Road().flags.end(),
                                              [](auto& a, auto& b) { return a.peak < b.peak; });
        QCOMPARE(flags.item(0, 6)->text().toDouble(), std::round(highest->peak * 1e4) / 1e4);
        flags.sortByColumn(0, Qt::AscendingOrder);

        flags.setFocus();
        flags.clearSelection();
        flags.setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 8), true);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(&flags, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines =
            QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), std::min(2, flags.rowCount()));
        const QStringList cells = lines[0].split('\t');
        QCOMPARE(QStringList({QString::number(cells.size()), cells[0], cells[7]}),
                 QStringList({"9", "1", flags.item(0, 7)->text()}));
    }

    // The panel's files: with the generated GPS track in degrees, the map files too.
    void writesTheSectionsAndMapFiles() {
        QVERIFY(View().WriteSectionsCsv());
        const std::string base = data_.File("road");
        for (const char* end : {".sections.csv", ".flags.csv", ".results.csv", ".geojson", ".kml"})
            QVERIFY2(std::filesystem::file_size(base + end) > 0, end);
        QVERIFY(
            frame_->statusBar()->currentMessage().endsWith(QString::fromStdString(base + ".kml")));
    }

    // A double-click on a flag of the other segment reads that segment and shows data view 1
    // with cursor 1 at the column of the flag's peak.
    void doubleClickOnAFlagPicksItsPeak() {
        SpreadsheetTable& flags = *frame_->Sections()->FlagsTable();
        const auto [shownFrom, shownTo] = View().SegmentSpan();
        int row = 0;
        while (row < flags.rowCount() && SectionsPanel::PlaceOfRow(flags, row) <= shownTo + 2.0)
            ++row;
        QVERIFY(row < flags.rowCount());
        const double peak = SectionsPanel::PlaceOfRow(flags, row);
        const int segment = doc_->options.currentSegment;
        flags.scrollToItem(flags.item(row, 1));
        const QRect cell = flags.visualItemRect(flags.item(row, 1));
        // The press of a double-click comes first, as from a mouse.
        QTest::mouseClick(flags.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(flags.viewport(), Qt::LeftButton, {}, cell.center());

        QVERIFY(doc_->options.currentSegment != segment);
        QCOMPARE(View().CurrentScreen(), CVorlixView::Screen::DataView1);
        const auto [from, to] = View().SegmentSpan();
        QVERIFY(peak >= from - 2.0 && peak <= to + 2.0);
        const CkelGeneralChart& chart = View().Objects().resultChart;
        const float shown = float(std::clamp(peak, from, to));
        QCOMPARE(View().Objects().cursorLines[0].drawnPosition,
                 chart.ValueToX(shown) - chart.plotRect.left);
    }
    // On the result view of that segment: the dashed boundary at a section's start, the mean
    // line across the section and the flag's band.
    void resultViewShowsTheOverlay() {
        View().RunCommand(ViewCommand::ResultView);
        const QImage picture = View().Picture();
        const CkelGeneralChart& chart = View().Objects().resultChart;
        const Rect plot = chart.plotRect;
        const auto [from, to] = View().SegmentSpan();
        auto column = [&](double feet) {
            return int((feet - chart.xAxis.axisLow) * chart.xAxis.pixelsPerUnit + plot.left);
        };
        auto row = [&](double value) {
            return int(plot.bottom - (value - chart.yAxis.axisLow) * chart.yAxis.pixelsPerUnit);
        };
        // Pixels of columns x0 to x1 and rows y0 to y1 (ends excluded) that `is` takes.
        auto count = [&](int x0, int x1, int y0, int y1, auto is) {
            int n = 0;
            for (int i = 0; i < (x1 - x0) * (y1 - y0); ++i)
                n += is(picture.pixel(x0 + i % (x1 - x0), y0 + i / (x1 - x0)));
            return n;
        };
        auto of = [](QRgb colour) { return [colour](QRgb c) { return c == colour; }; };
        int boundaries = 0, drawn = 0, means = 0, bands = 0;
        for (std::size_t i = 0; i < Road().sections.size(); ++i) {
            const sections::Section& s = Road().sections[i];
            const int x = column(s.startFt), y = row(s.mean);
            const double middle = (s.startFt + s.endFt) / 2;
            if (i > 0 && s.startFt > from && s.startFt < to && ++boundaries)
                drawn += count(x, x + 1, plot.top, plot.bottom,
                               of(sectionoverlay::kBoundaryColour)) > plot.Height() / 4;
            if (middle > from && middle < to && y > plot.top && y < plot.bottom)
                means += count(column(middle) - 3, column(middle) + 4, y - 1, y + 2,
                               of(sectionoverlay::kMeanColour)) > 0;
        }
        for (const sections::Flag& f : Road().flags) // orange over the white above the curves
            bands += f.peakFt > from && f.peakFt < to &&
                     count(column(f.peakFt), column(f.peakFt) + 1, plot.top + 1, plot.top + 6,
                           [](QRgb c) { return qRed(c) > 240 && qBlue(c) < 220; }) > 0;
        QVERIFY(boundaries > 0 && means > 0 && bands > 0);
        QCOMPARE(drawn, boundaries);
    }
};

QTEST_MAIN(SectionsWindowTest)
#include "SectionsWindowTest.moc"
