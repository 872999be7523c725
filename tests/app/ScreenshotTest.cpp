#include "support/SynthFixture.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

// `vorlix` run as a user runs it: a picture of a screen without any display, and the
// refusals, each with a message on stderr.
class ScreenshotTest : public QObject {
    Q_OBJECT

private:
    TempDir dir_;
    SynthFiles files_;

    struct Outcome {
        int exitCode = -1;
        QString errors;
    };

    // Runs the program with no display and no platform chosen, as on a bare server.
    static Outcome RunApp(const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VORLIX_APP_PATH), arguments);
        Outcome outcome;
        if (!process.waitForFinished(120000))
            return outcome;
        outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        outcome.errors = QString::fromLocal8Bit(process.readAllStandardError());
        return outcome;
    }

    QString Work() const { return QString::fromStdString(dir_.Path()); }
    QString Kvt() const { return QString::fromStdString(files_.kvt); }

private slots:
    void initTestCase() {
        files_ = GenerateSynthFiles(dir_);
        QVERIFY2(files_.ok, files_.error.c_str());
    }

    void writesThePictureOfTheAskedScreenAndSize_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QSize>("size");
        QTest::newRow("result, default size") << "result" << QStringList{} << QSize(1600, 1000);
        QTest::newRow("load signal, second page")
            << "signal-load" << QStringList{"--size", "1250x700", "--page", "1"}
            << QSize(1250, 700);
        QTest::newRow("geophone spectrum")
            << "spectrum-geo" << QStringList{"--size", "1300x800"} << QSize(1300, 800);
        QTest::newRow("other") << "other" << QStringList{"--size=1280x720"} << QSize(1280, 720);
    }
    void writesThePictureOfTheAskedScreenAndSize() {
        QFETCH(QString, screen);
        QFETCH(QStringList, extra);
        QFETCH(QSize, size);
        const QString out = Work() + "/" + screen + ".png";
        const Outcome outcome =
            RunApp(QStringList{"--workdir", Work(), "--screen", screen, "--screenshot", out}
                   << extra << Kvt());
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.errors));
        const QImage picture(out);
        QCOMPARE(picture.size(), size);
        // a drawn screen, not a blank one
        long long inked = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                inked += (picture.pixel(x, y) & 0xffffff) != 0xffffff;
        QVERIFY(inked > picture.width() * picture.height() / 100);
    }

    void refusesWithAMessageOnStderr_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message"); // part of what stderr must say
        QTest::newRow("unknown screen")
            << QStringList{"--screen", "no-such-screen", "--screenshot", "@OUT@"}
            << "unknown screen \"no-such-screen\"";
        QTest::newRow("missing file")
            << QStringList{"--screenshot", "@OUT@", "@MISSING@"} << "missing.KVT";
        QTest::newRow("picture cannot be written")
            << QStringList{"--screenshot", "@FOLDER@/no-such-folder/x.png"} << "cannot write";
        QTest::newRow("smaller than the smallest window")
            << QStringList{"--size", "800x600", "--screenshot", "@OUT@"} << "from 1250x700";
        QTest::newRow("window without a display") << QStringList{} << "--screenshot";
    }
    void refusesWithAMessageOnStderr() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        for (QString& argument : arguments) {
            argument.replace(QLatin1String("@FOLDER@"), Work());
            argument.replace(QLatin1String("@OUT@"), Work() + "/refused.png");
            argument.replace(QLatin1String("@MISSING@"), Work() + "/missing.KVT");
        }
        if (!arguments.contains(Work() + "/missing.KVT"))
            arguments << Kvt();
        const Outcome outcome = RunApp(QStringList{"--workdir", Work()} << arguments);
        QVERIFY2(outcome.exitCode > 0, qPrintable(outcome.errors));
        QVERIFY2(outcome.errors.contains(message), qPrintable(outcome.errors));
        QVERIFY(!QFileInfo::exists(Work() + "/refused.png"));
    }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
