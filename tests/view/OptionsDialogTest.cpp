#include "view/OptionsDialog.h"
#include "analysis/CKVTcontrol.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <bit>
#include <cfloat>
#include <csignal>
#include <filesystem>
#include <limits>
#include <memory>
#include <sys/resource.h>

namespace {

const QString kNumber = QStringLiteral("Please enter a number.");
const QString kInteger = QStringLiteral("Please enter an integer.");
const QString kDistanceRange = QStringLiteral("Please enter a number between 0 and 10.");
const QString kCountRange = QStringLiteral("Please enter an integer between 0 and 1000.");

// What a freshly opened dialog shows for a field of the record.
QString Shown(CKVTcontrol options, const QString& name) {
    OptionsDialog dialog(options);
    return dialog.findChild<QLineEdit*>(name)->text();
}

// A record whose settings file lives in a temporary folder, and a dialog on it that collects
// the messages it would show.
struct Fixture {
    TempDir dir;
    CKVTcontrol options;
    QStringList messages;
    std::unique_ptr<OptionsDialog> dialog;

    Fixture() { options.settingsPath = dir.File(CKVTcontrol::kSettingsFileName); }

    OptionsDialog& Open() {
        options.LoadSettings();
        dialog = std::make_unique<OptionsDialog>(options);
        dialog->setMessageHook([this](QWidget*, const QString& text) { messages << text; });
        dialog->show();
        return *dialog;
    }
    template <typename T = QLineEdit> T* Find(const QString& name) {
        T* widget = dialog->findChild<T*>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    void Set(const QStringList& edits) { // "name=text"
        for (const QString& edit : edits)
            Find(edit.section('=', 0, 0))->setText(edit.section('=', 1));
    }
    void Press(const char* button) { Find<QPushButton>(button)->click(); }
    bool FileWritten() const { return std::filesystem::exists(options.settingsPath); }
};

// The offscreen platform warns about every shown dialog; the warning says nothing here.
QtMessageHandler previousHandler = nullptr;
void DropSizeHintWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.contains(QLatin1String("propagateSizeHints")))
        previousHandler(type, context, text);
}

} // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(DropSizeHintWarning); }

    void defaultsAndCaptionsWithoutSettingsFile() {
        Fixture f;
        OptionsDialog& dialog = f.Open();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ZELP analysis options"));
        QCOMPARE(f.Find("movingAverageCount")->text(), QStringLiteral("20"));
        QCOMPARE(f.Find("averageDistance")->text(), QStringLiteral("1"));
        QCOMPARE(f.Find("averageCount")->text(), QStringLiteral("30"));
        QVERIFY(f.Find<QAbstractButton>("movingAverageMethod")->isChecked());
        QVERIFY(!f.Find<QCheckBox>("showGprColormap")->isChecked());
        QVERIFY(f.Find("segmentCount")->isReadOnly());
        QStringList shown;
        auto* geophone = f.Find<QComboBox>("geophoneName");
        for (int i = 0; i < geophone->count(); ++i)
            shown << geophone->itemText(i);
        QCOMPARE(shown, QStringList({"Geophone-1", "Geophone-2", "Geophone-3"}));
        for (const QObject* child : dialog.findChildren<QObject*>()) // labels, groups, buttons
            shown << child->property("text").toString() << child->property("title").toString();
        const QString captions = QStringLiteral(
            "Signal Analysis Filter Control|Dynamic analysis Bandpass filter|From |To|Hz|"
            "Static Load analysis Lowpass filter|Select Geophone Sensor|Sensor Calibration Factor|"
            "Load Factor|Center Geophone|Front Geophone|Rear Geophone|Total Data Segments|"
            "Current Data Segment |Video offset  (-) means video in front  of Geophone (feet)|"
            "Chart Control |Title|Chart-Min|Chart-Max|X Label|Y Label|Dynamic Load chart|"
            "Static Load chart|Dynamic Geophone chart|Final ZELP analysiis result|Smooth Data|"
            "Moving Average method|Average by Number|Average by distance|ft|GPR Colormap Option|"
            "Checked if show the GPR Colormap|OK|Cancel");
        for (const QString& caption : captions.split('|'))
            QVERIFY2(shown.contains(caption), qPrintable(caption));

        f.Press("okButton");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.messages, QStringList());
        QCOMPARE(f.options.geophoneSelect, 1);
        QCOMPARE(f.options.showGprColormap, 0);
        QCOMPARE(dialog.saveError(), QString());
        QCOMPARE(std::filesystem::file_size(f.options.settingsPath), std::uintmax_t(1240));
    }

    void geophoneFromSettingsFile_data() {
        QTest::addColumn<int>("storedSelect");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("selectAfterOk");
        auto row = [](const char* name, int select, const char* text, const char* shown,
                      int after) {
            QTest::newRow(name) << select << QString(text) << QString(shown) << after;
        };
        row("number 2 wins over the text", 2, "Geophone-3", "Geophone-2", 2);
        row("number 7 keeps the text", 7, "Geophone-3", "Geophone-3", 3);
        row("number 7, first item beginning with the text", 7, "Geophone", "Geophone-1", 1);
        row("number 7, no item matches", 7, "Sensor", "", 1);
        row("number 4 cannot be chosen in the list", 4, "", "", 1);
    }
    void geophoneFromSettingsFile() {
        QFETCH(int, storedSelect);
        QFETCH(QString, storedName);
        QFETCH(QString, shown);
        QFETCH(int, selectAfterOk);
        Fixture f;
        f.options.geophoneSelect = storedSelect;
        f.options.geophoneName = storedName.toStdString();
        QVERIFY(f.options.SaveSettings());

        f.Open();
        QCOMPARE(f.Find<QComboBox>("geophoneName")->currentText(), shown);
        f.Press("okButton");
        QCOMPARE(f.options.geophoneSelect, selectAfterOk);
        QCOMPARE(f.options.reloadRequested, false);
        f.options.geophoneSelect = 0;
        QVERIFY(f.options.LoadSettings());
        QCOMPARE(f.options.geophoneSelect, selectAfterOk);
    }

    // OK copies the fields in a fixed order and stops at the first invalid one: one message,
    // the focus and selection on it, the dialog open and no file written.
    void validation_data() {
        QTest::addColumn<QStringList>("edits"); // "name=text"
        QTest::addColumn<QString>("message");   // empty: accepted
        QTest::addColumn<QString>("result");    // the refused field, or the first one as shown
        auto row = [](const char* name, const QStringList& edits, const QString& message,
                      const char* result) {
            QTest::newRow(name) << edits << message << QString(result);
        };
        row("distance 10", {"averageDistance=10"}, {}, "10");
        row("distance 0", {"averageDistance=0"}, {}, "0");
        row("distance 10.5", {"averageDistance=10.5"}, kDistanceRange, "averageDistance");
        row("distance -0.5", {"averageDistance=-0.5"}, kDistanceRange, "averageDistance");
        row("nan passed the range check", {"averageDistance=nan"}, kNumber, "averageDistance");
        row("count 0", {"averageCount=0"}, {}, "0");
        row("count 1000", {"averageCount=1000"}, {}, "1000");
        row("count 1001", {"averageCount=1001"}, kCountRange, "averageCount");
        row("count -1", {"averageCount=-1"}, kCountRange, "averageCount");
        row("count 12.5", {"averageCount=12.5"}, kInteger, "averageCount");
        row("beyond int32", {"movingAverageCount=2147483648"}, kInteger, "movingAverageCount");
        row("window with blanks and plus", {"movingAverageCount= +7 "}, {}, "7");
        row("float empty", {"bandpassLow="}, kNumber, "bandpassLow");
        row("float 1,5", {"centerFactor=1,5"}, kNumber, "centerFactor");
        row("float +-5", {"centerFactor=+-5"}, kNumber, "centerFactor");
        row("float inf", {"loadFactor=inf"}, kNumber, "loadFactor");
        row("float 1e39 overflowed to inf", {"rearFactor=1e39"}, kNumber, "rearFactor");
        row("float exponent and blanks", {"chartMin3= -2.5e-3\t"}, {}, "-0.0025");
        row("float rounded once, not via double", {"loadFactor=1.0000000596046447753906251"}, {},
            "1.0000001");
        row("high before low before factors", {"centerFactor=y", "bandpassLow=x", "bandpassHigh=y"},
            kNumber, "bandpassHigh");
        row("rear before load before low-pass", {"lowpassCutoff=q", "loadFactor=z", "rearFactor=r"},
            kNumber, "rearFactor");
        row("chart max before min, row by row", {"chartMax1=b", "chartMin0=a", "chartMax0=b"},
            kNumber, "chartMax0");
        row("charts before the rest", {"averageCount=a", "videoOffset=v", "chartMin3=a"}, kNumber,
            "chartMin3");
        row("video, window, distance, count",
            {"averageCount=1001", "averageDistance=11", "movingAverageCount=x", "videoOffset=v"},
            kNumber, "videoOffset");
        row("distance before count", {"averageCount=abc", "averageDistance=11"}, kDistanceRange,
            "averageDistance");
    }
    void validation() {
        QFETCH(QStringList, edits);
        QFETCH(QString, message);
        QFETCH(QString, result);
        Fixture f;
        OptionsDialog& dialog = f.Open();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        f.Set(edits);
        f.Find<QPushButton>("okButton")->setFocus();
        f.Press("okButton");
        QCOMPARE(f.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(dialog.isVisible(), !message.isEmpty());
        QCOMPARE(f.FileWritten(), message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(Shown(f.options, edits[0].section('=', 0, 0)), result);
        } else {
            QCOMPARE(dialog.focusWidget(), f.Find(result));
            QCOMPARE(f.Find(result)->selectedText(), f.Find(result)->text());
        }
    }

    // Every control lands in its own field and the file reads back the same; texts are cut to
    // their fields.
    void okWritesTheSettingsFileThatReadsBack() {
        Fixture f;
        f.Open();
        QStringList stored{"bandpassHigh=45.25", "bandpassLow=5.5",    "centerFactor=2.5",
                           "frontFactor=3.5",    "rearFactor=4.5",     "loadFactor=1.5",
                           "lowpassCutoff=7.5",  "videoOffset=-12.75", "movingAverageCount=15"};
        for (const QString n : {"0", "1", "2", "3"})
            stored << "chartMin" + n + "=-" + n + ".25"
                   << "chartMax" + n + "=1" + n << "chartTitle" + n + "=T" + n
                   << "chartXLabel" + n + "=X" + n << "chartYLabel" + n + "=Y" + n;
        f.Set(stored);
        f.Set({"averageDistance=2", "averageCount=40", "chartTitle1=" + QString(100, 'T')});
        f.Find<QComboBox>("geophoneName")->setCurrentIndex(2);
        f.Find<QAbstractButton>("averageByDistance")->setChecked(true);
        f.Find<QCheckBox>("showGprColormap")->setChecked(true);
        f.Press("okButton");
        QCOMPARE(f.messages, QStringList());
        QCOMPARE(f.options.smoothMethod, 2);
        QCOMPARE(f.options.averageDistance, 2.0f);
        QCOMPARE(f.options.averageCount, 40);

        CKVTcontrol r;
        r.settingsPath = f.options.settingsPath;
        QVERIFY(r.LoadSettings());
        QCOMPARE(r.geophoneSelect, 3);
        QCOMPARE(r.showGprColormap, 1);
        QCOMPARE(r.chartTitle[1], std::string(79, 'T'));
        for (const QString& edit : stored)
            if (!edit.startsWith("chartTitle1"))
                QCOMPARE(Shown(r, edit.section('=', 0, 0)), edit.section('=', 1));
    }

    // Opening the dialog and pressing OK must not change a stored float by a single bit.
    void floatsSurviveTheEdits_data() {
        QTest::addColumn<float>("value");
        QTest::newRow("0.1") << 0.1f;
        QTest::newRow("1/3") << 1.0f / 3.0f;
        QTest::newRow("-0") << -0.0f;
        QTest::newRow("2^24 + 2") << 16777218.0f;
        QTest::newRow("largest") << FLT_MAX;
        QTest::newRow("smallest subnormal") << std::numeric_limits<float>::denorm_min();
    }
    void floatsSurviveTheEdits() {
        QFETCH(float, value);
        Fixture f;
        float* const fields[] = {&f.options.bandpassHigh, &f.options.chartMin[3],
                                 &f.options.videoOffset};
        for (float* field : fields)
            *field = value;
        f.Open();
        f.Press("okButton");
        QCOMPARE(f.messages, QStringList());
        for (float* field : fields)
            QCOMPARE(std::bit_cast<std::uint32_t>(*field), std::bit_cast<std::uint32_t>(value));
    }

    // Only OK changes geophoneSelect; another choice asks for a reload even on Cancel, and the
    // fields it copied stay copied. An invalid field stops the choice with its message, after
    // the fields before it were copied.
    void geophoneChangeRequestsReload_data() {
        QTest::addColumn<int>("startSelect");
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("reload"); // false: stopped by an invalid field
        QTest::addColumn<int>("selectAfter");
        auto row = [](const char* name, int start, const QList<int>& choices,
                      const QStringList& edits, bool ok, bool reload, int after) {
            QTest::newRow(name) << start << choices << edits << ok << reload << after;
        };
        row("another geophone, Cancel", 1, {1}, {}, false, true, 1);
        row("another geophone, OK", 1, {2}, {}, true, true, 3);
        row("there and back keeps the request", 2, {0, 1}, {}, false, true, 2);
        row("copied fields stay after Cancel", 1, {1}, {"loadFactor=9.5", "averageCount=12"}, false,
            true, 1);
        row("an invalid field stops the change", 1, {1},
            {"loadFactor=9.5", "averageDistance=abc", "averageCount=12"}, false, false, 1);
    }
    void geophoneChangeRequestsReload() {
        QFETCH(int, startSelect);
        QFETCH(QList<int>, choices);
        QFETCH(QStringList, edits);
        QFETCH(bool, ok);
        QFETCH(bool, reload);
        QFETCH(int, selectAfter);
        Fixture f;
        f.options.geophoneSelect = startSelect;
        f.options.geophoneName = "Geophone-" + std::to_string(startSelect);
        OptionsDialog& dialog = f.Open();
        f.Set(edits);
        for (int choice : choices)
            f.Find<QComboBox>("geophoneName")->setCurrentIndex(choice);
        QCOMPARE(f.options.geophoneSelect, startSelect);
        QCOMPARE(f.messages, reload ? QStringList() : QStringList{kNumber});
        f.Press(ok ? "okButton" : "cancelButton");
        QCOMPARE(dialog.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(f.options.reloadRequested, reload);
        QCOMPARE(f.options.geophoneSelect, selectAfter);
        QCOMPARE(f.FileWritten(), ok);
        for (const QString& edit : edits) {
            const bool copied = reload || edit.startsWith("loadFactor");
            QCOMPARE(Shown(f.options, edit.section('=', 0, 0)) == edit.section('=', 1), copied);
        }
    }

    // The dialog still closes with OK and the new settings are in force for this run, but the
    // file on disk stays as it was and no temporary file is left.
    void failedSaveKeepsTheOldFile() {
        Fixture f;
        f.options.loadFactor = 1.25f;
        QVERIFY(f.options.SaveSettings());
        OptionsDialog& dialog = f.Open();
        QCOMPARE(f.options.loadFactor, 1.25f);
        f.Find("loadFactor")->setText("42");
        // A file-size limit makes the write fail, even for root.
        rlimit previousLimit{};
        getrlimit(RLIMIT_FSIZE, &previousLimit);
        rlimit limit = previousLimit;
        limit.rlim_cur = 100;
        const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        f.Press("okButton");
        setrlimit(RLIMIT_FSIZE, &previousLimit);
        std::signal(SIGXFSZ, previousSignal);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.saveError().isEmpty());
        QCOMPARE(f.options.loadFactor, 42.0f);
        QVERIFY(!f.dir.HasTemporaryFiles());
        f.options.LoadSettings();
        QCOMPARE(f.options.loadFactor, 1.25f);
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "OptionsDialogTest.moc"
