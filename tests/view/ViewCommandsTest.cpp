#include "view/ViewHarness.h"

#include <QFileInfo>
#include <QTest>

#include <filesystem>

// The toolbar commands on real generated files.
class ViewCommandsTest : public QObject {
    Q_OBJECT

private:
    static bool IsBlank(const QImage& image) {
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return false;
        return true;
    }

    TempDir dir_;
    SynthFiles twoSegments_;

private slots:
    void initTestCase() {
        synth::Options options;
        options.groups = 13'201; // segment 0 full, segment 1 of 401 groups
        options.pictures = 0;
        options.gpr = synth::Options::Gpr::None;
        twoSegments_ = GenerateSynthFiles(dir_, options, "two");
        QVERIFY2(twoSegments_.ok, twoSegments_.error.c_str());
    }

    void commandsBeforeAFileDoNothing() {
        ViewUnderTest t(dir_.Path());
        const QImage before = t.view.Picture();
        for (const ViewCommandInfo& info : kViewCommands) {
            if (info.command == ViewCommand::Exit)
                continue;
            t.view.RunCommand(info.command); // the file dialogs are cancelled
        }
        QVERIFY(IsBlank(t.view.Picture()));
        QCOMPARE(t.view.Picture(), before);
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::None);
        QCOMPARE(t.host.optionsDialogs, 1);
        QVERIFY(t.host.title.isEmpty());
        QVERIFY(t.host.messages.isEmpty());
    }

    void openShowsTheResultViewAndTheCounts() {
        ViewUnderTest t(dir_.Path());
        t.host.filesToChoose << QString::fromStdString(twoSegments_.kvt);
        t.view.RunCommand(ViewCommand::Open);
        QCOMPARE(t.host.title, QStringLiteral("Raw data file has 3300250 point and 13201 group. "
                                              "Current read segment is:1"));
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::Result);
        QVERIFY(!IsBlank(t.view.Picture()));
        QCOMPARE(t.host.opened, QStringList{QString::fromStdString(twoSegments_.kvt)});
    }

    void refusedFileKeepsTheDataInPlace() {
        ViewUnderTest t(dir_.Path());
        QVERIFY(t.view.OpenFile(QString::fromStdString(twoSegments_.kvt)));
        const QImage shown = t.view.Picture();
        QVERIFY(!t.view.OpenFile(dir_.File("missing.KVT").c_str()));
        QCOMPARE(t.view.Picture(), shown);
        QVERIFY(!t.host.statuses.last().isEmpty());
        QCOMPARE(t.doc.rawPath, twoSegments_.kvt);
    }

    void segmentButtonsStopAtBothEnds() {
        ViewUnderTest t(dir_.Path());
        QVERIFY(t.view.OpenFile(QString::fromStdString(twoSegments_.kvt)));
        const QString first = t.host.title;
        struct Step {
            ViewCommand command;
            int segment;
        };
        const Step steps[] = {{ViewCommand::PreviousSegment, 0},
                              {ViewCommand::NextSegment, 1},
                              {ViewCommand::NextSegment, 1},
                              {ViewCommand::PreviousSegment, 0}};
        for (const Step& step : steps) {
            t.view.RunCommand(step.command);
            QCOMPARE(t.doc.options.currentSegment, step.segment);
            QVERIFY(t.host.title.endsWith(QString::number(step.segment + 1)));
        }
        QCOMPARE(t.host.title, first);
        QCOMPARE(t.doc.pointCount, 12'800 * 250);
    }

    void signalPagingStopsAtTheEnds() {
        ViewUnderTest t(dir_.Path());
        QVERIFY(t.view.OpenFile(QString::fromStdString(twoSegments_.kvt)));
        t.view.RunCommand(ViewCommand::NextSegment); // 401 groups: a few pages
        t.view.RunCommand(ViewCommand::LoadFiltered);
        QCOMPARE(t.view.CurrentMode(), DisplayMode::LoadFiltered);
        const QImage first = t.view.Picture();
        t.view.RunCommand(ViewCommand::PreviousPage);
        QCOMPARE(t.view.Picture(), first);
        const int pages = t.view.Objects().signalFigure.pageCount;
        QVERIFY(pages > 1);
        for (int i = 0; i < pages + 2; ++i)
            t.view.RunCommand(ViewCommand::NextPage);
        QCOMPARE(int(t.view.Objects().signalFigure.currentPage), pages - 1);
        // Paging after another screen draws the last signal mode again.
        t.view.RunCommand(ViewCommand::ResultView);
        t.view.RunCommand(ViewCommand::PreviousPage);
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::Signal);
        QCOMPARE(int(t.view.Objects().signalFigure.currentPage), pages - 2);
    }

    void spectrumPagingMovesTheWindow() {
        ViewUnderTest t(dir_.Path());
        QVERIFY(t.view.OpenFile(QString::fromStdString(twoSegments_.kvt)));
        t.view.RunCommand(ViewCommand::GeoSpectrum);
        QCOMPARE(t.view.CurrentSpectrumWindow(), (SpectrumWindow{0, 5000}));
        t.view.RunCommand(ViewCommand::NextPage);
        QCOMPARE(t.view.CurrentSpectrumWindow(), (SpectrumWindow{5000, 10000}));
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::Spectrum);
        QVERIFY(t.host.messages.isEmpty());
        QVERIFY(!IsBlank(t.view.Picture()));
    }

    void resizeDrawsTheScreenAgain() {
        ViewUnderTest t(dir_.Path());
        QVERIFY(t.view.OpenFile(QString::fromStdString(twoSegments_.kvt)));
        for (ViewCommand command : {ViewCommand::ResultView, ViewCommand::GeoSignal,
                                    ViewCommand::LoadSpectrum, ViewCommand::Other}) {
            t.view.RunCommand(command);
            t.view.SetClientSize(QSize(1000, 800));
            const QImage big = t.view.Picture();
            t.view.SetClientSize(QSize(640, 480));
            QCOMPARE(t.view.Picture().size(), QSize(640, 480));
            QVERIFY(!IsBlank(t.view.Picture()));
            t.view.SetClientSize(QSize(1000, 800));
            QCOMPARE(t.view.Picture(), big);
        }
    }

    // Fault: a resize drew a signal page reached by paging back as the mode's first screen,
    // without its cycle markers.
    void pagedBackSignalKeepsItsMarkersAfterAResize() {
        ViewUnderTest t(dir_.Path());
        QVERIFY(t.view.OpenFile(QString::fromStdString(twoSegments_.kvt)));
        t.view.RunCommand(ViewCommand::NextSegment);
        t.view.RunCommand(ViewCommand::GeoFiltered);
        const QImage unmarked = t.view.Picture();
        t.view.RunCommand(ViewCommand::NextPage);
        t.view.RunCommand(ViewCommand::PreviousPage);
        const QImage marked = t.view.Picture();
        QVERIFY(marked != unmarked);
        t.view.SetClientSize(QSize(640, 480));
        t.view.SetClientSize(QSize(1000, 800));
        QCOMPARE(t.view.Picture(), marked);
    }

    // The file changed on disk after the open (in a folder whose name is not ASCII): a segment
    // button says so, and the window holds only a segment it read.
    void segmentButtonOnAChangedFileSaysWhatItRead_data() {
        QTest::addColumn<int>("groupsLeft"); // -1: the file is gone
        QTest::addColumn<int>("segmentShown");
        QTest::addColumn<QString>("status"); // "@" stands for the file's path
        QTest::newRow("gone") << -1 << 0 << "Cannot open \"@\": No such file or directory";
        QTest::newRow("one segment left")
            << 700 << 0 << "@ has changed: it now has 1 segments; segment 1 is shown.";
        QTest::newRow("no whole group left")
            << 0 << 0 << "\"@\" holds no whole group of samples (8000 bytes).";
        QTest::newRow("both segments left") << 1000 << 1 << "";
    }
    void segmentButtonOnAChangedFileSaysWhatItRead() {
        QFETCH(int, groupsLeft);
        QFETCH(int, segmentShown);
        QFETCH(QString, status);
        TempDir dir;
        std::filesystem::create_directory(dir.File("Straße 2"));
        synth::Options options;
        options.groups = 1300;
        options.channels = 2;
        options.pictures = 0;
        options.gpr = synth::Options::Gpr::None;
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

    void exportWritesBothFilesAndCancelReplacesNothing() {
        ViewUnderTest t(dir_.Path());
        QVERIFY(t.view.OpenFile(QString::fromStdString(twoSegments_.kvt)));
        const std::string txt = t.doc.txtPath;
        std::filesystem::remove(txt);
        t.host.cancelProgressAfter = 1;
        t.view.RunCommand(ViewCommand::TextExport);
        QVERIFY(!std::filesystem::exists(txt));
        QCOMPARE(t.host.statuses.last(), QStringLiteral("Export cancelled; no file was replaced."));
        QVERIFY(!dir_.HasTemporaryFiles());

        t.host.cancelProgressAfter = -1;
        t.view.RunCommand(ViewCommand::TextExport);
        QVERIFY(std::filesystem::file_size(txt) > 0);
        QCOMPARE(t.doc.options.currentSegment, 0);
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::Result);
    }
};

QTEST_MAIN(ViewCommandsTest)
#include "ViewCommandsTest.moc"
