#include "app/CMainFrame.h"
#include "app/CVorlixApp.h"
#include "app/MessageFilter.h"
#include "app/MinimumClientSize.h"
#include "app/RecentFileList.h"
#include "app/WindowPreferences.h"
#include "document/CVorlixDoc.h"
#include "support/Cases.h"
#include "support/FileSizeLimit.h"
#include "support/SynthFixture.h"
#include "view/CVorlixView.h"

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <memory>

// The window as a user meets it: the toolbar, its smallest size, the recent files, dropped
// files, status-bar messages that do not go stale, the preferences, progress, and the picture
// commands.
class MainFrameTest : public QObject {
    Q_OBJECT

    using RecentCases = Cases<QStringList, QStringList, QString>; // opened, newest first, text
    using DropCases = Cases<QList<QUrl>, QString>;                // dropped, raw file opened
    using RateCases = Cases<QVariant, int>;                       // stored (invalid: none), rate

    TempDir work_;
    std::unique_ptr<CVorlixDoc> doc_;
    SynthFiles files_;

    std::unique_ptr<CMainFrame> MakeFrame(CVorlixDoc* doc = nullptr) {
        return std::make_unique<CMainFrame>(doc ? *doc : *doc_,
                                            QString::fromStdString(work_.Path()));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        CVorlixApp::SetIdentity();
        InstallMessageFilter();
        QFont::insertSubstitution(QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"));
        synth::Options options = SmallSynthOptions();
        options.groups = 2000;
        files_ = GenerateSynthFiles(work_, options);
        QVERIFY2(files_.ok, files_.error.c_str());
        doc_ = std::make_unique<CVorlixDoc>(work_.Path()); // with the file's settings
    }
    void init() { QSettings().clear(); }
    void cleanupTestCase() { QSettings().clear(); }

    // Each button has a 57 x 32 picture and a text that is also its tooltip and accessible
    // name, and a screen button shows the screen its text names.
    void toolbarButtonsShowWhatTheySay() {
        const QMap<QString, CVorlixView::Screen> shows{
            {"Geophone signal and filtered geophone", Screen::Signal},
            {"Geophone power spectrum", Screen::Spectrum},
            {"Temperature, level and speed charts", Screen::Other},
            {"Data View 1", Screen::DataView1},
            {"Result chart", Screen::Result},
            {"Map of the results, sections and flags", Screen::Map}};
        CVorlixDoc doc(work_.Path());
        const auto frame = MakeFrame(&doc);
        QVERIFY(frame->View()->OpenFile(QString::fromStdString(files_.kvt)));
        QToolBar* bar = frame->ToolBar();
        int buttons = 0, screens = 0;
        for (QAction* action : bar->actions()) {
            if (action->isSeparator())
                continue;
            ++buttons;
            const QString text = action->text();
            QVERIFY(!text.isEmpty());
            QCOMPARE(action->toolTip(), text);
            QCOMPARE(bar->widgetForAction(action)->accessibleName(), text);
            if (shows.contains(text)) {
                action->trigger();
                QCOMPARE(frame->View()->CurrentScreen(), shows[text]);
                ++screens;
            }
            // something is drawn, and not over the whole button
            const QImage picture = action->icon().pixmap(QSize(57, 32), 1.0).toImage();
            QCOMPARE(picture.size(), QSize(57, 32));
            int drawn = 0;
            for (int i = 0; i < 57 * 32; ++i)
                drawn += qAlpha(picture.pixel(i % 57, i / 57)) > 128;
            QVERIFY2(drawn > 57 * 32 / 10 && drawn < 57 * 32, qPrintable(text));
        }
        QCOMPARE(buttons, 21 + 2); // and the sections panel's and the map's
        QCOMPARE(screens, shows.size());
    }

    // At 800 x 600 the readouts started off the left edge, the picture box was too small for
    // its buttons and the colour bar was off the window. The window now stops at the size where
    // each data view keeps every part on it (as the screenshots at that size show).
    void windowStopsAtTheSmallestClientSize() {
        const auto frame = MakeFrame();
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->resize(800, 600);
        QTRY_COMPARE(frame->View()->size(), kMinimumClientSize);
    }

    // The recent files keep the last four, newest first, in the menu and for the next run; the
    // menu shows the newest's name, then its folder, with its path as the tooltip.
    void recentFiles_data() {
        auto row = RecentCases::Declare();
        row("five keep four", {"/d/a.KVT", "/d/b.KVT", "/d/c.KVT", "/d/d.KVT", "/d/e.KVT"},
            {"/d/e.KVT", "/d/d.KVT", "/d/c.KVT", "/d/b.KVT"}, "e.KVT — /d");
        row("reopened moves to the front, once", {"/d/a.KVT", "/d/b.KVT", "/d/c.KVT", "/d/a.KVT"},
            {"/d/a.KVT", "/d/c.KVT", "/d/b.KVT"}, "a.KVT — /d");
        row("same file spelt twice", {"/d/a.KVT", "/d/x/../a.KVT"}, {"/d/a.KVT"}, "a.KVT — /d");
        row("an ampersand is no shortcut", {"/d/R&D/a&b.KVT"}, {"/d/R&D/a&b.KVT"},
            "a&&b.KVT — /d/R&&D");
        const QString deep =
            "/" + QString(30, 'a') + "/" + QString(30, 'b') + "/" + QString(30, 'c');
        row("a long folder is shortened in its middle", {deep + "/x.KVT"}, {deep + "/x.KVT"},
            "x.KVT — " + deep.left(20) + QChar(0x2026) + deep.right(39));
    }
    void recentFiles() {
        auto [opened, expected, text] = RecentCases::Fetch();
        {
            const auto frame = MakeFrame();
            for (const QString& path : opened)
                frame->FileOpened(path);
            QStringList menu;
            for (QAction* action : frame->RecentFilesMenu()->actions())
                menu << action->data().toString();
            QCOMPARE(menu, expected);
            QAction* newest = frame->RecentFilesMenu()->actions().first();
            QCOMPARE(newest->text(), text);
            QCOMPARE(newest->toolTip(), expected.first());
            QVERIFY(frame->RecentFilesMenu()->toolTipsVisible());
        }
        RecentFileList next;
        next.Load();
        QCOMPARE(next.Files(), expected);
    }

    void recentFileThatHasGoneLeavesTheList() {
        const auto frame = MakeFrame();
        const QString gone = QString::fromStdString(work_.File("gone.KVT"));
        frame->FileOpened(gone);
        frame->OpenRecentFile(gone);
        QVERIFY(frame->RecentFiles().isEmpty());
        QVERIFY(frame->statusBar()->currentMessage().contains(QLatin1String("gone.KVT")));
    }

    void dropAcceptsRawFilesInAnyCase_data() {
        auto row = DropCases::Declare();
        auto local = [](const char* path) { return QUrl::fromLocalFile(QString(path)); };
        row("lower", {local("/d/a.kvt")}, "/d/a.kvt");
        row("first raw file of several", {local("/d/a.GPS"), local("/d/b.KVT")}, "/d/b.KVT");
        row("not a local file", {QUrl("https://example.org/a.KVT")}, "");
    }
    void dropAcceptsRawFilesInAnyCase() {
        auto [urls, expected] = DropCases::Fetch();
        QMimeData data;
        data.setUrls(urls);
        QCOMPARE(CMainFrame::RawFileOfDrop(&data), expected);
    }

    // A "Picture ... saved" stayed through several screens.
    void statusMessageClearsAtTheNextCommandOrAfterAWhile() {
        const auto frame = MakeFrame();
        QStatusBar* bar = frame->statusBar();
        frame->ShowStatus(QStringLiteral("Picture 6 saved to /tmp/a.JPG."));
        for (QAction* action : frame->ToolBar()->actions())
            if (action->text() == QLatin1String("Result chart"))
                action->trigger(); // does nothing before a file is loaded
        QCOMPARE(bar->currentMessage(), QString());
        frame->SetStatusTimeout(200);
        frame->ShowStatus(QStringLiteral("Exported 40 results"));
        QCOMPARE(bar->currentMessage(), QStringLiteral("Exported 40 results"));
        QTRY_COMPARE(bar->currentMessage(), QString());
    }

    // Before a file was loaded Ctrl+S opened a save dialog for a blank picture and Ctrl+C put
    // one on the clipboard, where every other command does nothing. A picture that cannot be
    // written saves nothing and says so.
    void savingAndCopyingThePicture() {
        const auto frame = MakeFrame();
        int dialogs = 0;
        QTimer closer; // a dialog that opens is counted and closed
        connect(&closer, &QTimer::timeout, [&dialogs] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++dialogs;
                modal->close();
            }
        });
        closer.start(20);
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        for (QAction* action : frame->actions())
            if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_S) ||
                action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_C))
                action->trigger();
        QCOMPARE(dialogs, 0);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
        QCOMPARE(frame->statusBar()->currentMessage(), QString());

        frame->View()->SetClientSize(QSize(320, 200));
        const QString target = QString::fromStdString(work_.File("no-such-folder/shot.png"));
        QVERIFY(!frame->SavePicture(target));
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(frame->statusBar()->currentMessage().startsWith("Picture not saved"));

        const QString written = QString::fromStdString(work_.File("Straße 1")); // no extension
        QVERIFY(frame->SavePicture(written));
        QCOMPARE(QImage(written).size(), QSize(320, 200));
        // A full device: the picture saved before stays as it was.
        const std::string before = ReadFile(written.toStdString());
        const std::string said = InChildWithFileSizeLimit(100, [&] {
            return frame->SavePicture(written) ? "saved"
                                               : frame->statusBar()->currentMessage().toStdString();
        });
        QCOMPARE(QString::fromStdString(said),
                 QStringLiteral("Picture not saved: %1 (File too large).").arg(written));
        QVERIFY(ReadFile(written.toStdString()) == before && !work_.HasTemporaryFiles());
    }

    void windowComesBackWhereItWasLeft() {
        {
            const auto first = MakeFrame();
            first->ShowWithSavedGeometry(); // first run: maximised
            QVERIFY(first->isMaximized());
            first->showNormal();
            first->setGeometry(120, 80, 1300, 800);
            QVERIFY(QTest::qWaitForWindowExposed(first.get()));
            first->RequestExit();
        }
        const auto second = MakeFrame();
        second->ShowWithSavedGeometry();
        QVERIFY(!second->isMaximized());
        QCOMPARE(second->geometry().size(), QSize(1300, 800));
    }

    void playRateComesFromThePreferences_data() {
        auto row = RateCases::Declare();
        row("none: 10 a second, and written", QVariant(), 10);
        row("set", 25, 25);
        row("0 is the slowest, 1", 0, 1);
        row("too fast to see is 100", 5000, 100);
        row("not a number", QStringLiteral("fast"), 10);
    }
    void playRateComesFromThePreferences() {
        auto [stored, rate] = RateCases::Fetch();
        if (stored.isValid())
            QSettings().setValue(WindowPreferences::kPlayRateKey, stored);
        const auto frame = MakeFrame();
        QCOMPARE(frame->View()->Objects().picture.PlayRate(), rate);
        QCOMPARE(QSettings().value(WindowPreferences::kPlayRateKey),
                 stored.isValid() ? stored : QVariant(10));
    }

    void progressStopsOnceCancelled() {
        const auto frame = MakeFrame();
        {
            const std::unique_ptr<ProgressSink> progress = frame->StartProgress("Exporting");
            QVERIFY(progress->Step(1, 4));
            auto* dialog = frame->findChild<QProgressDialog*>();
            QVERIFY(dialog);
            QCOMPARE(dialog->windowModality(), Qt::WindowModal);
            dialog->cancel();
            QVERIFY(!progress->Step(2, 4));
        }
        QVERIFY(!frame->findChild<QProgressDialog*>()); // gone with the command
    }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
