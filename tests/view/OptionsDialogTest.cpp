#include "view/OptionsDialog.h"
#include "document/CKVTcontrol.h"
#include "support/TempDir.h"
#include "view/ViewHarness.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <bit>
#include <cfloat>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>

namespace {

const QString kNumber = QStringLiteral("Please enter a number.");
const QString kInteger = QStringLiteral("Please enter an integer.");
const QString kDistanceRange = QStringLiteral("Please enter a number between 0 and 10.");
const QString kCountRange = QStringLiteral("Please enter an integer between 0 and 1000.");
const QString kLatin1 =
    QStringLiteral("Please enter only Latin-1 characters (Western European letters and signs).");
QString BandEdge(const char* below) {
    return QStringLiteral("Please enter a number greater than 0 and less than %1.").arg(below);
}

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

    Fixture() {
        options.settingsPath = dir.File(CKVTcontrol::kSettingsFileName);
        options.bandpassLow = 25.0f; // a band the filter can use
        options.bandpassHigh = 35.0f;
    }

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
};

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
        for (const char* caption : {"Signal Analysis Filter Control", "Final ZELP analysiis result",
                                    "Video offset  (-) means video in front  of Geophone (feet)",
                                    "Checked if show the GPR Colormap", "Cancel"})
            QVERIFY2(shown.contains(caption), caption);

        f.Press("okButton");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.messages, QStringList());
        QCOMPARE(f.options.geophoneSelect, 1);
        QCOMPARE(f.options.showGprColormap, 0);
        QVERIFY(dialog.changes().accepted && !dialog.changes().analysisChanged);
    }

    // OK copies the fields in a fixed order and stops at the first invalid one: one message,
    // the focus and selection on it, the dialog open and not accepted.
    void validation_data() {
        QTest::addColumn<QStringList>("edits"); // "name=text"
        QTest::addColumn<QString>("message");   // empty: accepted
        QTest::addColumn<QString>("result");    // the refused field, or the first one as shown
        auto row = [](const char* name, const QStringList& edits, const QString& message,
                      const char* result) {
            QTest::newRow(name) << edits << message << QString(result);
        };
        row("distance 10", {"averageDistance=10"}, {}, "10");
        row("distance 10.5", {"averageDistance=10.5"}, kDistanceRange, "averageDistance");
        row("nan passed the range check", {"averageDistance=nan"}, kNumber, "averageDistance");
        row("count 1000", {"averageCount=1000"}, {}, "1000");
        row("count 1001", {"averageCount=1001"}, kCountRange, "averageCount");
        row("count 12.5", {"averageCount=12.5"}, kInteger, "averageCount");
        row("float empty", {"bandpassLow="}, kNumber, "bandpassLow");
        row("float inf", {"loadFactor=inf"}, kNumber, "loadFactor");
        row("float 1e39 overflowed to inf", {"rearFactor=1e39"}, kNumber, "rearFactor");
        row("float exponent and blanks", {"chartMin3= -2.5e-3\t"}, {}, "-0.0025");
        row("float rounded once, not via double", {"loadFactor=1.0000000596046447753906251"}, {},
            "1.0000001");
        row("high before low before factors", {"centerFactor=y", "bandpassLow=x", "bandpassHigh=y"},
            kNumber, "bandpassHigh");
        row("distance before count", {"averageCount=abc", "averageDistance=11"}, kDistanceRange,
            "averageDistance");
        row("band from 0", {"bandpassLow=0"}, BandEdge("35"), "bandpassLow");
        row("band from -5", {"bandpassLow=-5"}, BandEdge("35"), "bandpassLow");
        row("band from its end", {"bandpassLow=35"}, BandEdge("35"), "bandpassLow");
        row("band from above the new end", {"bandpassHigh=20", "bandpassLow=25"}, BandEdge("20"),
            "bandpassLow");
        row("band to half the rate", {"bandpassHigh=500"}, BandEdge("500"), "bandpassHigh");
        row("band to just below", {"bandpassHigh=499.5"}, {}, "499.5");
        row("text outside Latin-1", {"chartYLabel2=\u03a9"}, kLatin1, "chartYLabel2");
        row("text in Latin-1", {"chartTitle3=D\u00e9flexion \u00e0 20 \u00b0C"}, {},
            "D\u00e9flexion \u00e0 20 \u00b0C");
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
        QCOMPARE(dialog.changes().accepted, message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(Shown(f.options, edits[0].section('=', 0, 0)), result);
        } else {
            QCOMPARE(dialog.focusWidget(), f.Find(result));
            QCOMPARE(f.Find(result)->selectedText(), f.Find(result)->text());
        }
    }

    // Every control lands in its own field and the file stored then reads back the same; texts
    // are cut to their fields.
    void okCopiesEveryControlAndTheFileReadsBack() {
        Fixture f;
        OptionsDialog& dialog = f.Open();
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
        QVERIFY(dialog.changes().accepted && dialog.changes().analysisChanged);

        QVERIFY(f.options.SaveSettings());
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
    void floatsSurviveTheEdits() {
        Fixture f;
        const std::pair<float*, float> fields[] = {
            {&f.options.bandpassLow, 0.1f},
            {&f.options.chartMin[3], -0.0f},
            {&f.options.videoOffset, FLT_MAX},
            {&f.options.loadFactor, std::numeric_limits<float>::denorm_min()}};
        for (auto [field, value] : fields)
            *field = value;
        OptionsDialog& dialog = f.Open();
        f.Press("okButton");
        QCOMPARE(f.messages, QStringList());
        QVERIFY(!dialog.changes().analysisChanged);
        for (auto [field, value] : fields)
            QCOMPARE(std::bit_cast<std::uint32_t>(*field), std::bit_cast<std::uint32_t>(value));
    }

    // A stored number 1 to 4 picks its geophone whatever the stored text; another keeps the text
    // and the first item beginning with it is selected, if any (none gives 1 on OK). Only OK
    // changes geophoneSelect; another choice counts as a geophone change even on Cancel, and
    // the fields it copied stay copied. An invalid field stops the choice with its message.
    void geophone_data() {
        QTest::addColumn<int>("storedSelect");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("reload");
        QTest::addColumn<int>("selectAfter");
        auto row = [](const char* name, int select, const char* stored, const char* shown,
                      const QList<int>& choices, const QStringList& edits, bool ok, bool reload,
                      int after) {
            QTest::newRow(name) << select << QString(stored) << QString(shown) << choices << edits
                                << ok << reload << after;
        };
        row("number 2 wins over the text", 2, "Geophone-3", "Geophone-2", {}, {}, true, false, 2);
        row("number 7 keeps the text", 7, "Geophone-3", "Geophone-3", {}, {}, true, false, 3);
        row("number 7, first item beginning with the text", 7, "Geophone", "Geophone-1", {}, {},
            true, false, 1);
        row("number 7, no item matches", 7, "Sensor", "", {}, {}, true, false, 1);
        row("another geophone, OK", 1, "", "Geophone-1", {2}, {}, true, true, 3);
        row("there and back keeps the request", 2, "", "Geophone-2", {0, 1}, {}, false, true, 2);
        row("copied fields stay after Cancel", 1, "", "Geophone-1", {1},
            {"loadFactor=9.5", "averageCount=12"}, false, true, 1);
        row("an invalid field stops the change", 1, "", "Geophone-1", {1},
            {"loadFactor=9.5", "averageDistance=abc", "averageCount=12"}, false, false, 1);
    }
    void geophone() {
        QFETCH(int, storedSelect);
        QFETCH(QString, storedName);
        QFETCH(QString, shown);
        QFETCH(QList<int>, choices);
        QFETCH(QStringList, edits);
        QFETCH(bool, ok);
        QFETCH(bool, reload);
        QFETCH(int, selectAfter);
        Fixture f;
        f.options.geophoneSelect = storedSelect;
        f.options.geophoneName = storedName.toStdString();
        QVERIFY(f.options.SaveSettings());
        OptionsDialog& dialog = f.Open();
        QCOMPARE(f.Find<QComboBox>("geophoneName")->currentText(), shown);
        f.Set(edits);
        for (int choice : choices)
            f.Find<QComboBox>("geophoneName")->setCurrentIndex(choice);
        QCOMPARE(f.options.geophoneSelect, storedSelect);
        const bool stopped = !reload && !choices.isEmpty();
        QCOMPARE(f.messages, stopped ? QStringList{kNumber} : QStringList());
        f.Press(ok ? "okButton" : "cancelButton");
        QCOMPARE(dialog.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
        const OptionsChanges changes = dialog.changes();
        QCOMPARE(changes.geophoneChanged, reload);
        QCOMPARE(f.options.geophoneSelect, selectAfter);
        QCOMPARE(changes.accepted, ok);
        QCOMPARE(changes.analysisChanged, !edits.isEmpty()); // loadFactor, copied first
        for (const QString& edit : edits) {
            const bool copied = !stopped || edit.startsWith("loadFactor");
            QCOMPARE(Shown(f.options, edit.section('=', 0, 0)) == edit.section('=', 1), copied);
        }
    }

    // The options command as the user meets it, on a generated test: OK stores the settings
    // file, and a failed write says why while the new settings stay in force; the raw file is
    // read again (here it was cut since it was opened: the title shows the new group count)
    // only when another geophone was chosen, even if then cancelled; the results are smoothed
    // anew with the settings in force.
    void optionsCommand_data() {
        QTest::addColumn<QStringList>("edits"); // "name=text"
        QTest::addColumn<int>("geophone");      // the item chosen; -1: none
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("writable"); // the settings file can be written
        QTest::addColumn<bool>("reread");
        QTest::addColumn<bool>("resmoothed");
        auto row = [](const char* name, const QStringList& edits, int geophone, bool ok,
                      bool writable, bool reread, bool resmoothed) {
            QTest::newRow(name) << edits << geophone << ok << writable << reread << resmoothed;
        };
        const QStringList smoothing{"movingAverageCount=5"};
        row("OK, another geophone", {}, 1, true, true, true, false);
        row("OK, another smoothing", smoothing, -1, true, true, false, true);
        row("OK, settings file not writable", smoothing, -1, true, false, false, true);
        row("Cancel after another geophone", {}, 2, false, true, true, false);
        row("Cancel", smoothing, -1, false, true, false, false);
    }
    void optionsCommand() {
        QFETCH(QStringList, edits);
        QFETCH(int, geophone);
        QFETCH(bool, ok);
        QFETCH(bool, writable);
        QFETCH(bool, reread);
        QFETCH(bool, resmoothed);
        TempDir dir;
        synth::Options options = SmallSynthOptions();
        options.pictures = 0;
        options.gpr = synth::Options::Gpr::None;
        const SynthFiles files = GenerateSynthFiles(dir, options);
        QVERIFY2(files.ok, files.error.c_str());
        ViewUnderTest t(dir.Path());
        QVERIFY(t.view.OpenFile(QString::fromStdString(files.kvt)));
        const std::string stored = ReadBytes(files.settings);
        if (!writable)
            t.doc.options.settingsPath = dir.File("gone/Vorlixcontrol.dat");
        const auto groupSize = (std::filesystem::file_size(files.kvt) - 8000) / options.groups;
        std::filesystem::resize_file(files.kvt, 8000 + 300 * groupSize);
        const QString title = t.host.title;
        const int results = t.doc.resultCount;
        t.host.statuses.clear();
        t.host.useOptions = [&](OptionsDialog& dialog) {
            for (const QString& edit : edits)
                dialog.findChild<QLineEdit*>(edit.section('=', 0, 0))
                    ->setText(edit.section('=', 1));
            if (geophone >= 0)
                dialog.findChild<QComboBox*>("geophoneName")->setCurrentIndex(geophone);
            dialog.findChild<QPushButton*>(ok ? "okButton" : "cancelButton")->click();
        };
        t.view.RunCommand(ViewCommand::Options);
        QCOMPARE(ReadBytes(files.settings) != stored, ok && writable);
        QCOMPARE(t.host.statuses.join("").contains("gone"), !writable);
        QCOMPARE(t.host.title.contains(" 300 group"), reread);
        QVERIFY(reread || t.host.title == title);
        if (!reread)
            QCOMPARE(t.doc.resultCount != results, resmoothed);
        QCOMPARE(t.view.CurrentScreen(), CVorlixView::Screen::Result);
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "OptionsDialogTest.moc"
