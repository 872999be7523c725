#include "view/SpectrumWindow.h"
#include "view/ViewHarness.h"

#include <QTest>

#include <filesystem>

// The toolbar commands on a generated test of two segments, and the spectrum window's moves.
class ViewCommandsTest : public QObject {
    Q_OBJECT

    using SpectrumCases = Cases<int, QPoint, QString, QList<int>>; // points, window, moves, ...
    using ResizeCases = Cases<ViewCommand>;

    TempDir dir_;
    SynthFiles twoSegments_;

    static bool IsBlank(const QImage& image) {
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return false;
        return true;
    }
    std::unique_ptr<ViewUnderTest> Opened() {
        auto t = std::make_unique<ViewUnderTest>(dir_.Path());
        t->host.filesToChoose << QString::fromStdString(twoSegments_.kvt);
        t->view.RunCommand(ViewCommand::Open);
        return t;
    }

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
        QCOMPARE(t->host.title, QStringLiteral("Raw data file has 3300250 point and 13201 group. "
                                               "Current read segment is:1"));
        QCOMPARE(t->view.CurrentScreen(), CVorlixView::Screen::Result);
        QCOMPARE(t->host.opened, QStringList{QString::fromStdString(twoSegments_.kvt)});
        const QImage shown = t->view.Picture();
        QVERIFY(!IsBlank(shown));
        QVERIFY(!t->view.OpenFile(dir_.File("missing.KVT").c_str()));
        QCOMPARE(t->view.Picture(), shown);
        QVERIFY(!t->host.statuses.last().isEmpty());
        QCOMPARE(t->doc.rawPath, twoSegments_.kvt);
    }

    void segmentButtonsStopAtBothEnds() {
        auto t = Opened();
        const QString first = t->host.title;
        const std::pair<ViewCommand, int> steps[] = {{ViewCommand::PreviousSegment, 0},
                                                     {ViewCommand::NextSegment, 1},
                                                     {ViewCommand::NextSegment, 1},
                                                     {ViewCommand::PreviousSegment, 0}};
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
        t->view.RunCommand(ViewCommand::NextSegment); // 401 groups: a few pages
        t->view.RunCommand(ViewCommand::GeoFiltered);
        const QImage first = t->view.Picture();
        t->view.RunCommand(ViewCommand::PreviousPage);
        QCOMPARE(t->view.Picture(), first);
        t->view.RunCommand(ViewCommand::NextPage);
        t->view.RunCommand(ViewCommand::PreviousPage);
        const QImage marked = t->view.Picture();
        QVERIFY(marked != first);
        t->view.SetClientSize(QSize(640, 480));
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
    }

    void spectrumPagingMovesTheWindow() {
        auto t = Opened();
        t->view.RunCommand(ViewCommand::GeoSpectrum);
        QCOMPARE(t->view.CurrentSpectrumWindow(), (SpectrumWindow{0, 5000}));
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

    void resizeDrawsTheScreenAgain_data() {
        auto row = ResizeCases::Declare();
        row("result", ViewCommand::ResultView);
        row("signal", ViewCommand::GeoSignal);
        row("spectrum", ViewCommand::LoadSpectrum);
        row("other", ViewCommand::Other);
    }
    void resizeDrawsTheScreenAgain() {
        auto [command] = ResizeCases::Fetch();
        auto t = Opened();
        t->view.RunCommand(command);
        const QImage big = t->view.Picture();
        t->view.SetClientSize(QSize(640, 480));
        QCOMPARE(t->view.Picture().size(), QSize(640, 480));
        QVERIFY(!IsBlank(t->view.Picture()));
        t->view.SetClientSize(QSize(1000, 800));
        QCOMPARE(t->view.Picture(), big);
    }

    void exportWritesTheFileAndCancelReplacesNothing() {
        auto t = Opened();
        const std::string txt = t->doc.txtPath;
        std::filesystem::remove(txt);
        t->host.cancelProgressAfter = 1;
        t->view.RunCommand(ViewCommand::TextExport);
        QVERIFY(!std::filesystem::exists(txt));
        QCOMPARE(t->host.statuses.last(),
                 QStringLiteral("Export cancelled; no file was replaced."));
        QVERIFY(!dir_.HasTemporaryFiles());
        t->host.cancelProgressAfter = -1;
        t->view.RunCommand(ViewCommand::TextExport);
        QVERIFY(std::filesystem::file_size(txt) > 0);
        QCOMPARE(t->doc.options.currentSegment, 0);
        QCOMPARE(t->view.CurrentScreen(), CVorlixView::Screen::Result);
    }
};

QTEST_MAIN(ViewCommandsTest)
#include "ViewCommandsTest.moc"
