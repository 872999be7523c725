#include "support/Cases.h"
#include "support/SynthFixture.h"

#include <QImage>
#include <QProcess>
#include <QtTest>

// `vorlix` run as a user runs it, with no display and no platform chosen, as on a bare server:
// a picture of a screen, and the refusals, each with a message on stderr.
class ScreenshotTest : public QObject {
    Q_OBJECT

    using RefusalCases = Cases<QStringList, QString>; // arguments, part of the message

    TempDir dir_;
    SynthFiles files_;

    // Exit code (-1: crashed or hung) and stderr.
    static std::pair<int, QString> RunApp(const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString(name));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VORLIX_APP_PATH), arguments);
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
            return {-1, {}};
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
    }
    QString Work() const { return QString::fromStdString(dir_.Path()); }

private slots:
    void initTestCase() {
        files_ = GenerateSynthFiles(dir_);
        QVERIFY2(files_.ok, files_.error.c_str());
    }

    // Another screen, size and page are the screenshot comparison's; here the point is the
    // bare server.
    void writesThePictureWithoutADisplay() {
        const QString out = Work() + "/result.png";
        const auto [code, errors] =
            RunApp({"--workdir", Work(), "--screenshot", out, QString::fromStdString(files_.kvt)});
        QVERIFY2(code == 0, qPrintable(errors));
        const QImage picture(out);
        QCOMPARE(picture.size(), QSize(1600, 1000));
        long long inked = 0; // a drawn screen, not a blank one
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                inked += (picture.pixel(x, y) & 0xffffff) != 0xffffff;
        QVERIFY(inked > picture.width() * picture.height() / 100);
    }

    // @OUT@ is a picture in the folder, @FOLDER@ the folder; the raw file comes last unless
    // a missing one is given.
    void refusesWithAMessageOnStderr_data() {
        auto row = RefusalCases::Declare();
        row("unknown screen", {"--screen", "no-such-screen", "--screenshot", "@OUT@"},
            "unknown screen \"no-such-screen\"");
        row("missing file", {"--screenshot", "@OUT@", "@FOLDER@/missing.KVT"}, "missing.KVT");
        row("picture cannot be written", {"--screenshot", "@FOLDER@/no-such-folder/x.png"},
            "cannot write");
        row("window without a display", {}, "--screenshot");
    }
    void refusesWithAMessageOnStderr() {
        auto [arguments, message] = RefusalCases::Fetch();
        for (QString& argument : arguments)
            argument.replace("@OUT@", "@FOLDER@/refused.png").replace("@FOLDER@", Work());
        if (!arguments.join(' ').contains("missing.KVT"))
            arguments << QString::fromStdString(files_.kvt);
        const auto [code, errors] = RunApp(QStringList{"--workdir", Work()} << arguments);
        QVERIFY2(code > 0 && errors.contains(message), qPrintable(errors));
        QVERIFY(!QFileInfo::exists(Work() + "/refused.png"));
    }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
