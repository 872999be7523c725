// The window as a user meets it: its smallest size, the recent-file menu, status-bar messages
// that do not go stale, the play rate of the preferences, and the picture commands before a
// file is loaded.
#include "app/CMainFrame.h"
#include "app/CVorlixApp.h"
#include "app/MessageFilter.h"
#include "app/MinimumClientSize.h"
#include "app/RecentFileList.h"
#include "app/WindowPreferences.h"
#include "document/CVorlixDoc.h"
#include "support/SynthFixture.h"
#include "view/CVorlixView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include <memory>

class WindowUseTest : public QObject {
    Q_OBJECT

private:
    TempDir work_;
    SynthFiles files_;
    std::unique_ptr<CVorlixDoc> doc_;

    std::unique_ptr<CMainFrame> MakeFrame() {
        return std::make_unique<CMainFrame>(*doc_, QString::fromStdString(work_.Path()));
    }
    static QAction* ActionWithKey(QWidget& window, const QKeySequence& key) {
        for (QAction* action : window.actions())
            if (action->shortcut() == key)
                return action;
        return nullptr;
    }
    static bool Inside(const Rect& inner, const Rect& outer) {
        return !inner.IsEmpty() && inner.left >= outer.left && inner.top >= outer.top &&
               inner.right <= outer.right && inner.bottom <= outer.bottom;
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
        doc_ = std::make_unique<CVorlixDoc>(work_.Path());
        QVERIFY(doc_->options.showGprColormap != 0); // the GPR image makes the data views tallest
    }
    void init() { QSettings().clear(); }
    void cleanupTestCase() { QSettings().clear(); }

    // Fault: at 800 x 600 the readouts started off the left edge, the picture box was too small
    // for its buttons and the colour bar was off the window. The window now stops at a size
    // where each data view keeps every part on it.
    void smallestWindowKeepsEveryPartOnIt() {
        CVorlixDoc doc(work_.Path()); // the other cases want a window without a file
        const auto frame = std::make_unique<CMainFrame>(doc, QString::fromStdString(work_.Path()));
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        frame->resize(800, 600);
        CVorlixView* view = frame->View();
        QTRY_COMPARE(view->size(), kMinimumClientSize);
        QVERIFY(view->OpenFile(QString::fromStdString(files_.kvt)));
        const Rect client{0, 0, kMinimumClientSize.width(), kMinimumClientSize.height()};
        QCOMPARE(view->Picture().size(), kMinimumClientSize);

        Canvas measure; // the readout titles' font, to see that "Lat." has room left of its box
        measure.SelectFont(CanvasFont{180});
        const int latTitle = measure.TextExtent(QStringLiteral("Lat.")).width();
        const ViewCommand views[] = {ViewCommand::DataView1, ViewCommand::DataView2,
                                     ViewCommand::DataView3, ViewCommand::DataView4};
        for (int number = 1; number <= 4; ++number) {
            view->RunCommand(views[number - 1]);
            const DisplayObjects& objects = view->Objects();
            const QByteArray name = "data view " + QByteArray::number(number);
            const CviewPicture& picture = objects.picture;
            QVERIFY2(Inside(picture.viewRect, client), name);
            for (const Rect& button : picture.buttonRects)
                QVERIFY2(Inside(button, picture.viewRect), name);
            for (const CLABEL& label : objects.labels)
                QVERIFY2(Inside(label.bounds, client), name);
            QVERIFY2(objects.labels[1].bounds.left - latTitle >= objects.layout.resultRect.left,
                     name);
            if (number <= 2) // the GPR colour map and its bar
                QVERIFY2(Inside(objects.colourMap.colourBar.barRect, client), name);
        }
    }

    void recentMenuShowsNameAndFolder_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("name, then folder")
            << "/data/2026/route7/demo.KVT" << QString::fromUtf8("demo.KVT — /data/2026/route7");
        QTest::newRow("an ampersand is no shortcut")
            << "/d/R&D/a&b.KVT" << QString::fromUtf8("a&&b.KVT — /d/R&&D");
        const QString deep =
            "/" + QString(30, 'a') + "/" + QString(30, 'b') + "/" + QString(30, 'c');
        QTest::newRow("a long folder is shortened in its middle")
            << deep + "/x.KVT"
            << QString::fromUtf8("x.KVT — ") + deep.left(20) + QChar(0x2026) + deep.right(39);
    }
    void recentMenuShowsNameAndFolder() {
        QFETCH(QString, path);
        QFETCH(QString, text);
        const auto frame = MakeFrame();
        frame->FileOpened(path);
        QMenu* menu = frame->RecentFilesMenu();
        QVERIFY(menu->toolTipsVisible());
        QCOMPARE(menu->actions().size(), 1);
        QCOMPARE(menu->actions()[0]->text(), text);
        QCOMPARE(menu->actions()[0]->toolTip(), path);
    }

    // Fault: a "Picture ... saved" stayed through several screens.
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

    // Fault: before a file was loaded Ctrl+S opened a save dialog for a blank picture and
    // Ctrl+C put one on the clipboard, where every other command does nothing.
    void saveAndCopyBeforeAFileDoNothing() {
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
        frame->statusBar()->clearMessage();
        for (const QKeySequence& key :
             {QKeySequence(Qt::CTRL | Qt::Key_S), QKeySequence(Qt::CTRL | Qt::Key_C)}) {
            QAction* action = ActionWithKey(*frame, key);
            QVERIFY(action);
            action->trigger();
        }
        QCOMPARE(dialogs, 0);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
        QVERIFY(!QApplication::clipboard()->mimeData()->hasImage());
        QCOMPARE(frame->statusBar()->currentMessage(), QString());
    }

    void playRateComesFromThePreferences_data() {
        QTest::addColumn<QVariant>("stored"); // invalid: none stored
        QTest::addColumn<int>("rate");
        QTest::newRow("none: 10 a second, and written") << QVariant() << 10;
        QTest::newRow("set") << QVariant(25) << 25;
        QTest::newRow("0 is the slowest, 1") << QVariant(0) << 1;
        QTest::newRow("too fast to see is 100") << QVariant(5000) << 100;
        QTest::newRow("not a number") << QVariant(QStringLiteral("fast")) << 10;
    }
    void playRateComesFromThePreferences() {
        QFETCH(QVariant, stored);
        QFETCH(int, rate);
        if (stored.isValid())
            QSettings().setValue(WindowPreferences::kPlayRateKey, stored);
        const auto frame = MakeFrame();
        QCOMPARE(frame->View()->Objects().picture.PlayRate(), rate);
        QCOMPARE(QSettings().value(WindowPreferences::kPlayRateKey),
                 stored.isValid() ? stored : QVariant(10));
    }
};

QTEST_MAIN(WindowUseTest)
#include "WindowUseTest.moc"
