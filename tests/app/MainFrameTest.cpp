#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/CVorlixApp.h"
#include "app/MessageFilter.h"
#include "app/ProgressDialogSink.h"
#include "app/RecentFileList.h"
#include "document/CVorlixDoc.h"
#include "support/FileSizeLimit.h"
#include "support/SynthFixture.h"
#include "support/TempDir.h"
#include "view/CVorlixView.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QtTest>

#include <memory>

class MainFrameTest : public QObject {
    Q_OBJECT

private:
    TempDir work_;
    TempDir data_;
    std::unique_ptr<CVorlixDoc> doc_;
    SynthFiles files_;

    std::unique_ptr<CMainFrame> MakeFrame() {
        return std::make_unique<CMainFrame>(*doc_, QString::fromStdString(work_.Path()));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        CVorlixApp::SetIdentity();
        InstallMessageFilter();
        doc_ = std::make_unique<CVorlixDoc>(work_.Path());
        synth::Options options;
        options.groups = 2000;
        files_ = GenerateSynthFiles(data_, options, "road");
        QVERIFY2(files_.ok, files_.error.c_str());
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
        const auto doc = std::make_unique<CVorlixDoc>(data_.Path()); // with the file's settings
        const auto frame = std::make_unique<CMainFrame>(*doc, QString::fromStdString(data_.Path()));
        QVERIFY(frame->View()->OpenFile(QString::fromStdString(files_.kvt)));
        QToolBar* bar = frame->ToolBar();
        QCOMPARE(bar->iconSize(), QSize(57, 32));
        int buttons = 0, separators = 0, screens = 0;
        for (QAction* action : bar->actions()) {
            if (action->isSeparator()) {
                ++separators;
                continue;
            }
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
        QCOMPARE(buttons, 21 + 2); // and the sections panel's and the map's, after a separator
        QCOMPARE(separators, 3);
        QCOMPARE(screens, shows.size());
    }

    void recentFilesKeepTheLastFourNewestFirst_data() {
        QTest::addColumn<QStringList>("opened"); // in the order they were opened
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("five keep four")
            << QStringList{"/d/a.KVT", "/d/b.KVT", "/d/c.KVT", "/d/d.KVT", "/d/e.KVT"}
            << QStringList{"/d/e.KVT", "/d/d.KVT", "/d/c.KVT", "/d/b.KVT"};
        QTest::newRow("reopened moves to the front, once")
            << QStringList{"/d/a.KVT", "/d/b.KVT", "/d/c.KVT", "/d/a.KVT"}
            << QStringList{"/d/a.KVT", "/d/c.KVT", "/d/b.KVT"};
        QTest::newRow("same file spelt twice")
            << QStringList{"/d/a.KVT", "/d/x/../a.KVT"} << QStringList{"/d/a.KVT"};
    }
    void recentFilesKeepTheLastFourNewestFirst() {
        QFETCH(QStringList, opened);
        QFETCH(QStringList, expected);
        {
            const auto frame = MakeFrame();
            for (const QString& path : opened)
                frame->FileOpened(path);
            QCOMPARE(frame->RecentFiles(), expected);
            QStringList menu;
            for (QAction* action : frame->RecentFilesMenu()->actions())
                menu << action->data().toString();
            QCOMPARE(menu, expected);
        }
        RecentFileList next; // and the next run finds them again
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
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("expected");
        auto local = [](const char* path) { return QUrl::fromLocalFile(QString(path)); };
        QTest::newRow("lower") << QList<QUrl>{local("/d/a.kvt")} << "/d/a.kvt";
        QTest::newRow("first raw file of several")
            << QList<QUrl>{local("/d/a.GPS"), local("/d/b.KVT")} << "/d/b.KVT";
        QTest::newRow("not a local file")
            << QList<QUrl>{QUrl(QStringLiteral("https://example.org/a.KVT"))} << "";
    }
    void dropAcceptsRawFilesInAnyCase() {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, expected);
        QMimeData data;
        data.setUrls(urls);
        QCOMPARE(CMainFrame::RawFileOfDrop(&data), expected);
    }

    void failedPictureWriteSavesNothingAndSaysSo() {
        const auto frame = MakeFrame();
        frame->View()->SetClientSize(QSize(320, 200));
        const QString target = QString::fromStdString(work_.File("no-such-folder/shot.png"));
        QVERIFY(!frame->SavePicture(target));
        QVERIFY(!QFileInfo::exists(target));
        QVERIFY(
            frame->statusBar()->currentMessage().startsWith(QLatin1String("Picture not saved")));

        const QString written = QString::fromStdString(work_.File("Straße 1")); // no extension
        QVERIFY(frame->SavePicture(written));
        QCOMPARE(QImage(written).size(), QSize(320, 200));
        // A full device: the picture saved before stays as it was.
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        const std::string said = InChildWithFileSizeLimit(100, [&] {
            return frame->SavePicture(written) ? "saved"
                                               : frame->statusBar()->currentMessage().toStdString();
        });
        QCOMPARE(QString::fromStdString(said),
                 QStringLiteral("Picture not saved: %1 (File too large).").arg(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        QCOMPARE(QDir(QString::fromStdString(work_.Path())).entryList(QDir::Files),
                 QStringList{"Straße 1"});
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

    void progressStopsOnceCancelled() {
        const auto frame = MakeFrame();
        {
            const std::unique_ptr<ProgressSink> progress =
                frame->StartProgress(QStringLiteral("Exporting"));
            QVERIFY(progress->Step(1, 4));
            auto* dialog = frame->findChild<QProgressDialog*>();
            QVERIFY(dialog);
            QCOMPARE(dialog->windowModality(), Qt::WindowModal);
            QCOMPARE(dialog->value(), ProgressDialogSink::kSteps / 4);
            dialog->cancel();
            QVERIFY(!progress->Step(2, 4));
        }
        QVERIFY(!frame->findChild<QProgressDialog*>()); // gone with the command
        // counts beyond int still give a bar position
        QCOMPARE(ProgressDialogSink::BarValue(3'000'000'000LL, 6'000'000'000LL),
                 ProgressDialogSink::kSteps / 2);
        QCOMPARE(ProgressDialogSink::BarValue(5, 0), 0);
    }

    void aboutBoxTitle() { QCOMPARE(CAboutDlg().windowTitle(), QStringLiteral("About Vorlix")); }
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
