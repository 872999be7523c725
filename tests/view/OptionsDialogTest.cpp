#include "view/OptionsDialog.h"
#include "analysis/CKVTcontrol.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <bit>
#include <cfloat>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// The record's field behind a control, as the control would show it.
QString FieldText(const CKVTcontrol& o, const QString& name) {
    static const QHash<QString, float CKVTcontrol::*> floats{
        {"bandpassHigh", &CKVTcontrol::bandpassHigh},
        {"bandpassLow", &CKVTcontrol::bandpassLow},
        {"centerFactor", &CKVTcontrol::centerFactor},
        {"frontFactor", &CKVTcontrol::frontFactor},
        {"rearFactor", &CKVTcontrol::rearFactor},
        {"loadFactor", &CKVTcontrol::loadFactor},
        {"lowpassCutoff", &CKVTcontrol::lowpassCutoff},
        {"videoOffset", &CKVTcontrol::videoOffset},
        {"averageDistance", &CKVTcontrol::averageDistance}};
    static const QHash<QString, std::int32_t CKVTcontrol::*> ints{
        {"segmentCount", &CKVTcontrol::segmentCount},
        {"movingAverageCount", &CKVTcontrol::movingAverageCount},
        {"averageCount", &CKVTcontrol::averageCount}};
    if (floats.contains(name))
        return OptionsDialog::FormatFloat(o.*floats.value(name));
    if (ints.contains(name))
        return QString::number(o.*ints.value(name));
    const int row = name.back().digitValue();
    if (name.startsWith("chartMin"))
        return OptionsDialog::FormatFloat(o.chartMin[row]);
    if (name.startsWith("chartMax"))
        return OptionsDialog::FormatFloat(o.chartMax[row]);
    if (name.startsWith("chartTitle"))
        return QString::fromStdString(o.chartTitle[row]);
    if (name.startsWith("chartXLabel"))
        return QString::fromStdString(o.chartXLabel[row]);
    if (name.startsWith("chartYLabel"))
        return QString::fromStdString(o.chartYLabel[row]);
    return QStringLiteral("<unknown field %1>").arg(name);
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
    void Set(const QStringList& edits) {
        for (const QString& edit : edits) {
            const qsizetype eq = edit.indexOf('=');
            Find(edit.left(eq))->setText(edit.mid(eq + 1));
        }
    }
    void PressOk() { Find<QPushButton>("okButton")->click(); }
    void PressCancel() { Find<QPushButton>("cancelButton")->click(); }
    bool FileWritten() const { return std::filesystem::exists(options.settingsPath); }
};

// Lowers the file-size limit so that writing the settings file fails, even for root.
struct FileSizeLimit {
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }
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

    void defaultsWithoutSettingsFile() {
        Fixture f;
        OptionsDialog& dialog = f.Open();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("ZELP analysis options"));
        QCOMPARE(f.Find("movingAverageCount")->text(), QStringLiteral("20"));
        QCOMPARE(f.Find("averageDistance")->text(), QStringLiteral("1"));
        QCOMPARE(f.Find("averageCount")->text(), QStringLiteral("30"));
        QVERIFY(f.Find<QAbstractButton>("movingAverageMethod")->isChecked());
        QVERIFY(!f.Find<QCheckBox>("showGprColormap")->isChecked());
        QVERIFY(f.Find("segmentCount")->isReadOnly());
        auto* geophone = f.Find<QComboBox>("geophoneName");
        QVERIFY(!geophone->isEditable());
        QStringList items;
        for (int i = 0; i < geophone->count(); ++i)
            items << geophone->itemText(i);
        QCOMPARE(items, QStringList({"Geophone-1", "Geophone-2", "Geophone-3"}));
        QVERIFY(f.Find<QComboBox>("currentSegment")->isEditable());
        QCOMPARE(f.Find<QComboBox>("currentSegment")->count(), 0);

        f.PressOk();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.options.geophoneSelect, 1);
        QCOMPARE(dialog.saveError(), QString());
        QCOMPARE(ReadBytes(f.options.settingsPath).size(), std::size_t(1240));
    }

    void everyCaptionIsShown_data() {
        QTest::addColumn<QString>("caption");
        for (const char* caption : {"Signal Analysis Filter Control",
                                    "Dynamic analysis Bandpass filter",
                                    "From ",
                                    "To",
                                    "Hz",
                                    "Static Load analysis Lowpass filter",
                                    "Select Geophone Sensor",
                                    "Sensor Calibration Factor",
                                    "Load Factor",
                                    "Center Geophone",
                                    "Front Geophone",
                                    "Rear Geophone",
                                    "Total Data Segments",
                                    "Current Data Segment ",
                                    "Video offset  (-) means video in front  of Geophone (feet)",
                                    "Chart Control ",
                                    "Title",
                                    "Chart-Min",
                                    "Chart-Max",
                                    "X Label",
                                    "Y Label",
                                    "Dynamic Load chart",
                                    "Static Load chart",
                                    "Dynamic Geophone chart",
                                    "Final ZELP analysiis result",
                                    "Smooth Data",
                                    "Moving Average method",
                                    "Average by Number",
                                    "Average by distance",
                                    "ft",
                                    "GPR Colormap Option",
                                    "Checked if show the GPR Colormap",
                                    "OK",
                                    "Cancel"})
            QTest::newRow(caption) << QString::fromLatin1(caption);
    }
    void everyCaptionIsShown() {
        QFETCH(QString, caption);
        Fixture f;
        OptionsDialog& dialog = f.Open();
        QStringList captions;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            captions << label->text();
        for (const QGroupBox* group : dialog.findChildren<QGroupBox*>())
            captions << group->title();
        for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
            captions << button->text();
        QVERIFY2(captions.contains(caption), qPrintable(captions.join('|')));
    }

    // The vehicle at the lower left under the chart rows, OK and Cancel at the bottom right,
    // and a natural size of about the proportions of the 592 x 373 unit dialog.
    void layoutAtNaturalSize() {
        Fixture f;
        OptionsDialog& dialog = f.Open();
        dialog.adjustSize();
        const QRect all = dialog.rect();
        const double aspect = double(all.width()) / all.height();
        QVERIFY2(aspect > 1.3 && aspect < 2.0, qPrintable(QString::number(aspect)));
        const QRect vehicle = f.Find<QWidget>("vehicleIllustration")->geometry();
        const QRect lastRow = f.Find<QWidget>("chartYLabel3")->geometry();
        const QRect ok = f.Find<QWidget>("okButton")->geometry();
        const QRect cancel = f.Find<QWidget>("cancelButton")->geometry();
        QVERIFY(vehicle.left() < all.width() / 10);
        QVERIFY(vehicle.top() > lastRow.bottom());
        QVERIFY(vehicle.height() >= 80);
        QVERIFY(ok.right() < cancel.left());
        QVERIFY(cancel.right() > all.width() * 9 / 10);
        QVERIFY(cancel.bottom() > all.height() * 9 / 10);
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
        CKVTcontrol writer;
        writer.settingsPath = f.options.settingsPath;
        writer.geophoneSelect = storedSelect;
        writer.geophoneName = storedName.toStdString();
        QVERIFY(writer.SaveSettings());

        f.Open();
        QCOMPARE(f.Find<QComboBox>("geophoneName")->currentText(), shown);
        f.PressOk();
        QCOMPARE(f.options.geophoneSelect, selectAfterOk);
        QCOMPARE(f.options.reloadRequested, false);
        CKVTcontrol reread;
        reread.settingsPath = f.options.settingsPath;
        QVERIFY(reread.LoadSettings());
        QCOMPARE(reread.geophoneSelect, selectAfterOk);
    }

    void validation_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("stored");
        const QString number = "Please enter a number.";
        const QString integer = "Please enter an integer.";
        const QString distanceRange = "Please enter a number between 0 and 10.";
        const QString countRange = "Please enter an integer between 0 and 1000.";
        auto row = [](const char* name, const char* field, const char* text, const QString& message,
                      const char* stored) {
            QTest::newRow(name) << QString(field) << QString(text) << message << QString(stored);
        };
        row("distance 10", "averageDistance", "10", {}, "10");
        row("distance 0", "averageDistance", "0", {}, "0");
        row("distance 10.5", "averageDistance", "10.5", distanceRange, "");
        row("distance -0.5", "averageDistance", "-0.5", distanceRange, "");
        row("distance nan passed the range check", "averageDistance", "nan", number, "");
        row("count 1000", "averageCount", "1000", {}, "1000");
        row("count 1001", "averageCount", "1001", countRange, "");
        row("count -1", "averageCount", "-1", countRange, "");
        row("count 12.5", "averageCount", "12.5", integer, "");
        row("window beyond int32", "movingAverageCount", "2147483648", integer, "");
        row("window with blanks and plus", "movingAverageCount", " +7 ", {}, "7");
        row("float abc", "bandpassHigh", "abc", number, "");
        row("float empty", "bandpassLow", "", number, "");
        row("float 1,5", "centerFactor", "1,5", number, "");
        row("float +-5", "centerFactor", "+-5", number, "");
        row("float hex", "centerFactor", "0x10", number, "");
        row("float inf", "loadFactor", "inf", number, "");
        row("float 1e39 overflowed to inf", "rearFactor", "1e39", number, "");
        row("float exponent", "chartMin3", "-2.5e-3", {}, "-0.0025");
        row("float blanks", "videoOffset", "  -12.75\t", {}, "-12.75");
        row("float largest", "chartMax0", "3.4028235e38", {}, "3.4028235e+38");
    }
    void validation() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, stored);
        Fixture f;
        OptionsDialog& dialog = f.Open();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QLineEdit* edit = f.Find(field);
        edit->setText(text);
        f.Find<QPushButton>("okButton")->setFocus();
        f.PressOk();
        if (message.isEmpty()) {
            QCOMPARE(f.messages, QStringList());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(FieldText(f.options, field), stored);
            QVERIFY(f.FileWritten());
        } else {
            QCOMPARE(f.messages, QStringList{message});
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(!f.FileWritten());
            QCOMPARE(dialog.focusWidget(), edit);
            QCOMPARE(edit->selectedText(), text);
        }
    }

    void firstInvalidFieldInExchangeOrderIsReported_data() {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("reported");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("updated");   // hold their new values
        QTest::addColumn<QStringList>("untouched"); // keep their old values
        QTest::newRow("upper band edge first, then the lower, factors after")
            << QStringList{"bandpassHigh=55", "bandpassLow=x", "centerFactor=y", "loadFactor=3"}
            << "bandpassLow"
            << "Please enter a number." << QStringList{"bandpassHigh"}
            << QStringList{"centerFactor", "loadFactor"};
        QTest::newRow("load factor after the geophone factors")
            << QStringList{"rearFactor=4", "loadFactor=z", "lowpassCutoff=9"} << "loadFactor"
            << "Please enter a number." << QStringList{"rearFactor"}
            << QStringList{"lowpassCutoff"};
        QTest::newRow("chart max before chart min, row by row")
            << QStringList{"chartMin0=a", "chartMax0=b", "chartMax1=5"} << "chartMax0"
            << "Please enter a number." << QStringList{} << QStringList{"chartMin0", "chartMax1"};
        QTest::newRow("texts before the smoothing fields")
            << QStringList{"chartTitle3=Deflection", "chartYLabel0=mils", "averageDistance=11",
                           "averageCount=abc", "movingAverageCount=5"}
            << "averageDistance"
            << "Please enter a number between 0 and 10."
            << QStringList{"chartTitle3", "chartYLabel0", "movingAverageCount"}
            << QStringList{"averageCount"};
        QTest::newRow("count last")
            << QStringList{"averageDistance=2.5", "videoOffset=-3", "averageCount=1001"}
            << "averageCount"
            << "Please enter an integer between 0 and 1000."
            << QStringList{"averageDistance", "videoOffset"} << QStringList{};
    }
    void firstInvalidFieldInExchangeOrderIsReported() {
        QFETCH(QStringList, edits);
        QFETCH(QString, reported);
        QFETCH(QString, message);
        QFETCH(QStringList, updated);
        QFETCH(QStringList, untouched);
        Fixture f;
        OptionsDialog& dialog = f.Open();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        const CKVTcontrol before = f.options;
        f.Set(edits);
        f.PressOk();
        QCOMPARE(f.messages, QStringList{message});
        QCOMPARE(dialog.focusWidget(), f.Find(reported));
        QVERIFY(dialog.isVisible());
        QVERIFY(!f.FileWritten());
        for (const QString& name : updated)
            QCOMPARE(FieldText(f.options, name), f.Find(name)->text());
        for (const QString& name : untouched)
            QCOMPARE(FieldText(f.options, name), FieldText(before, name));
    }

    // Everything set through the controls is written as 1240 bytes and reads back the same;
    // texts are cut to their fields.
    void okWritesTheSettingsFileThatReadsBack() {
        Fixture f;
        OptionsDialog& dialog = f.Open();
        const QString longTitle(100, 'T');
        f.Set({"bandpassHigh=45.25", "bandpassLow=5.5", "centerFactor=2.5", "frontFactor=3.5",
               "rearFactor=4.5", "loadFactor=1.5", "lowpassCutoff=7.5", "videoOffset=-12.75",
               "movingAverageCount=15", "averageDistance=2", "averageCount=40"});
        for (int row = 0; row < 4; ++row) {
            const QString n = QString::number(row);
            f.Set({"chartMin" + n + "=-" + n + ".25", "chartMax" + n + "=1" + n,
                   "chartXLabel" + n + "=X " + n, "chartYLabel" + n + "=Y " + n});
            f.Find("chartTitle" + n)->setText(row == 0 ? longTitle : "Title " + n);
        }
        f.Find<QComboBox>("geophoneName")->setCurrentIndex(2);
        f.Find<QAbstractButton>("averageByDistance")->setChecked(true);
        f.Find<QCheckBox>("showGprColormap")->setChecked(true);
        f.PressOk();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(f.messages, QStringList());

        const CKVTcontrol& o = f.options;
        QCOMPARE(o.chartTitle[0], std::string(79, 'T'));
        QCOMPARE(o.geophoneSelect, 3);
        QCOMPARE(o.smoothMethod, 2);
        QCOMPARE(o.averageDistance, 2.0f);
        QCOMPARE(o.averageCount, 40);
        QCOMPARE(ReadBytes(o.settingsPath).size(), std::size_t(1240));

        CKVTcontrol r;
        r.settingsPath = o.settingsPath;
        QVERIFY(r.LoadSettings());
        QCOMPARE(r.geophoneSelect, 3);
        QCOMPARE(r.geophoneName, std::string("Geophone-3"));
        QCOMPARE(r.loadFactor, 1.5f);
        QCOMPARE(r.centerFactor, 2.5f);
        QCOMPARE(r.frontFactor, 3.5f);
        QCOMPARE(r.rearFactor, 4.5f);
        QCOMPARE(r.bandpassLow, 5.5f);
        QCOMPARE(r.bandpassHigh, 45.25f);
        QCOMPARE(r.lowpassCutoff, 7.5f);
        QCOMPARE(r.videoOffset, -12.75f);
        QCOMPARE(r.movingAverageCount, 15);
        QCOMPARE(r.showGprColormap, 1);
        QVERIFY(r.chartMin == o.chartMin);
        QVERIFY(r.chartMax == o.chartMax);
        QVERIFY(r.chartTitle == o.chartTitle);
        QVERIFY(r.chartXLabel == o.chartXLabel);
        QVERIFY(r.chartYLabel == o.chartYLabel);
        QCOMPARE(r.chartMin[3], -3.25f);
        QCOMPARE(r.chartXLabel[2], std::string("X 2"));
    }

    // Opening the dialog and pressing OK must not change a stored float by a single bit.
    void floatsSurviveTheEdits_data() {
        QTest::addColumn<float>("value");
        QTest::newRow("0.1") << 0.1f;
        QTest::newRow("1/3") << 1.0f / 3.0f;
        QTest::newRow("-0") << -0.0f;
        QTest::newRow("2^24 + 2") << 16777218.0f;
        QTest::newRow("largest") << FLT_MAX;
        QTest::newRow("smallest normal") << -FLT_MIN;
        QTest::newRow("smallest subnormal") << std::numeric_limits<float>::denorm_min();
        QTest::newRow("7 digits") << 1234.567f;
    }
    void floatsSurviveTheEdits() {
        QFETCH(float, value);
        Fixture f;
        float* const fields[] = {&f.options.bandpassHigh,  &f.options.loadFactor,
                                 &f.options.lowpassCutoff, &f.options.chartMin[3],
                                 &f.options.chartMax[0],   &f.options.videoOffset};
        for (float* field : fields)
            *field = value;
        f.Open();
        f.PressOk();
        QCOMPARE(f.messages, QStringList());
        for (float* field : fields)
            QCOMPARE(std::bit_cast<std::uint32_t>(*field), std::bit_cast<std::uint32_t>(value));
    }

    void geophoneChangeRequestsReload_data() {
        QTest::addColumn<int>("startSelect");
        QTest::addColumn<QList<int>>("choices");
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("reload");
        QTest::addColumn<int>("selectAfter");
        QTest::addColumn<QString>("message");
        QTest::newRow("another geophone, Cancel")
            << 1 << QList<int>{1} << QStringList{} << false << true << 1 << "";
        QTest::newRow("another geophone, OK")
            << 1 << QList<int>{2} << QStringList{} << true << true << 3 << "";
        QTest::newRow("there and back keeps the request")
            << 2 << QList<int>{0, 1} << QStringList{} << false << true << 2 << "";
        QTest::newRow("from the unlisted Geophone-4")
            << 4 << QList<int>{0} << QStringList{} << false << true << 4 << "";
        QTest::newRow("copied fields stay after Cancel")
            << 1 << QList<int>{1} << QStringList{"loadFactor=9.5", "averageCount=12"} << false
            << true << 1 << "";
        QTest::newRow("an invalid field stops the change")
            << 1 << QList<int>{1} << QStringList{"loadFactor=9.5", "averageCount=abc"} << false
            << false << 1 << "Please enter an integer.";
    }
    void geophoneChangeRequestsReload() {
        QFETCH(int, startSelect);
        QFETCH(QList<int>, choices);
        QFETCH(QStringList, edits);
        QFETCH(bool, ok);
        QFETCH(bool, reload);
        QFETCH(int, selectAfter);
        QFETCH(QString, message);
        Fixture f;
        f.options.geophoneSelect = startSelect;
        f.options.geophoneName = "Geophone-" + std::to_string(startSelect);
        OptionsDialog& dialog = f.Open();
        f.Set(edits);
        for (int choice : choices)
            f.Find<QComboBox>("geophoneName")->setCurrentIndex(choice);
        QCOMPARE(f.options.geophoneSelect, startSelect); // only OK changes it
        QCOMPARE(f.messages, message.isEmpty() ? QStringList() : QStringList{message});
        f.messages.clear();
        ok ? f.PressOk() : f.PressCancel();
        QCOMPARE(f.messages, QStringList());
        QCOMPARE(dialog.result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(f.options.reloadRequested, reload);
        QCOMPARE(f.options.geophoneSelect, selectAfter);
        QCOMPARE(f.FileWritten(), ok);
        for (const QString& edit : edits) {
            const QString name = edit.section('=', 0, 0);
            if (message.isEmpty() || name == "loadFactor")
                QCOMPARE(FieldText(f.options, name), edit.section('=', 1));
        }
    }

    void failedSaveStillClosesWithOk_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing folder") << "missing";
        QTest::newRow("read-only folder") << "readonly";
        QTest::newRow("disk full (file size limit)") << "limit";
    }
    void failedSaveStillClosesWithOk() {
        QFETCH(QString, kind);
        Fixture f;
        const std::string folder = kind == "limit" ? f.dir.Path() : f.dir.File("sub");
        f.options.settingsPath = folder + "/" + CKVTcontrol::kSettingsFileName;
        std::vector<char> previous;
        if (kind != "missing") {
            std::filesystem::create_directory(folder);
            CKVTcontrol old;
            old.settingsPath = f.options.settingsPath;
            old.loadFactor = 1.25f;
            QVERIFY(old.SaveSettings());
            previous = ReadBytes(old.settingsPath);
        }
        if (kind == "readonly") {
            if (geteuid() == 0)
                QSKIP("root writes into read-only folders");
            std::filesystem::permissions(folder, std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_exec);
        }
        OptionsDialog& dialog = f.Open();
        QCOMPARE(f.options.loadFactor, kind == "missing" ? 0.0f : 1.25f);
        f.Find("loadFactor")->setText("42");
        {
            std::unique_ptr<FileSizeLimit> limit;
            if (kind == "limit")
                limit = std::make_unique<FileSizeLimit>(100);
            f.PressOk();
        }
        if (kind == "readonly")
            std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.saveError().isEmpty());
        QCOMPARE(f.options.loadFactor, 42.0f); // in force for this run
        QCOMPARE(ReadBytes(f.options.settingsPath), previous);
        if (kind == "limit")
            QVERIFY(!f.dir.HasTemporaryFiles());
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "OptionsDialogTest.moc"
