#include "view/OptionsDialog.h"
#include "document/CKVTcontrol.h"
#include "support/TempDir.h"
#include "view/ViewHarness.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QtTest>

#include <bit>
#include <cfloat>
#include <limits>
#include <memory>

namespace {

const QString kNumber = QStringLiteral("Please enter a number.");
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

// The offscreen platform warns about every shown dialog; the warning says nothing here.
QtMessageHandler previousHandler = nullptr;
void DropSizeHintWarning(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.contains(QLatin1String("propagateSizeHints")))
        previousHandler(type, context, text);
}

} // namespace

class OptionsDialogTest : public QObject {
    Q_OBJECT

    using ValidationCases = Cases<QStringList, QString, QString>; // edits, message, result
    // stored number and name, name shown, items chosen, edits, OK; geophone change, number after
    using GeophoneCases = Cases<int, QString, QString, QList<int>, QStringList, bool, bool, int>;

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(DropSizeHintWarning); }

    // OK copies the fields in a fixed order and stops at the first invalid one: one message,
    // the focus and selection on it, the dialog open and not accepted. `result`: the refused
    // field, or the first field as shown again.
    void validation_data() {
        auto row = ValidationCases::Declare();
        const QString distance = QStringLiteral("Please enter a number between 0 and 10.");
        const QString count = QStringLiteral("Please enter an integer between 0 and 1000.");
        row("distance 10.5", {"averageDistance=10.5"}, distance, "averageDistance");
        row("nan passed the range check", {"averageDistance=nan"}, kNumber, "averageDistance");
        row("count 1001", {"averageCount=1001"}, count, "averageCount");
        row("float 1e39 overflowed to inf", {"rearFactor=1e39"}, kNumber, "rearFactor");
        row("float exponent and blanks", {"chartMin3= -2.5e-3\t"}, {}, "-0.0025");
        row("float rounded once, not via double", {"loadFactor=1.0000000596046447753906251"}, {},
            "1.0000001");
        row("high before low before factors", {"centerFactor=y", "bandpassLow=x", "bandpassHigh=y"},
            kNumber, "bandpassHigh");
        row("band from 0", {"bandpassLow=0"}, BandEdge("35"), "bandpassLow");
        row("band from above the new end", {"bandpassHigh=20", "bandpassLow=25"}, BandEdge("20"),
            "bandpassLow");
        row("band to half the rate", {"bandpassHigh=500"}, BandEdge("500"), "bandpassHigh");
        row("text outside Latin-1", {"chartYLabel2=\u03a9"},
            "Please enter only Latin-1 characters (Western European letters and signs).",
            "chartYLabel2");
        row("text in Latin-1", {"chartTitle3=D\u00e9flexion \u00e0 20 \u00b0C"}, {},
            "D\u00e9flexion \u00e0 20 \u00b0C");
    }
    void validation() {
        auto [edits, message, result] = ValidationCases::Fetch();
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
        QVERIFY(dialog.changes().accepted && dialog.changes().analysisChanged);
        QCOMPARE(f.options.smoothMethod, 2); // these three are not stored
        QCOMPARE(f.options.averageDistance, 2.0f);
        QCOMPARE(f.options.averageCount, 40);
        QVERIFY(f.options.SaveSettings());
        CKVTcontrol r;
        r.settingsPath = f.options.settingsPath;
        QVERIFY(r.LoadSettings());
        QCOMPARE(QList<int>({r.geophoneSelect, r.showGprColormap}), QList<int>({3, 1}));
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
        auto row = GeophoneCases::Declare();
        row("number 2 wins over the text", 2, "Geophone-3", "Geophone-2", {}, {}, true, false, 2);
        row("number 7 keeps the text", 7, "Geophone-3", "Geophone-3", {}, {}, true, false, 3);
        row("number 7, first item beginning with the text", 7, "Geophone", "Geophone-1", {}, {},
            true, false, 1);
        row("number 7, no item matches", 7, "Sensor", "", {}, {}, true, false, 1);
        row("there and back keeps the request", 2, "", "Geophone-2", {0, 1}, {}, false, true, 2);
        row("copied fields stay after Cancel", 1, "", "Geophone-1", {1},
            {"loadFactor=9.5", "averageCount=12"}, false, true, 1);
        row("an invalid field stops the change", 1, "", "Geophone-1", {1},
            {"loadFactor=9.5", "averageDistance=abc", "averageCount=12"}, false, false, 1);
    }
    void geophone() {
        auto [storedSelect, storedName, shown, choices, edits, ok, reload, selectAfter] =
            GeophoneCases::Fetch();
        Fixture f;
        f.options.geophoneSelect = storedSelect, f.options.geophoneName = storedName.toStdString();
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
};

QTEST_MAIN(OptionsDialogTest)
#include "OptionsDialogTest.moc"
