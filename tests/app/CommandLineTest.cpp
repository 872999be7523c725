#include "app/AppArguments.h"
#include "support/Cases.h"
#include "support/SynthFixture.h"

#include <QImage>
#include <QProcess>
#include <QtTest>

// The command line: what a use of it opens or draws ("file|picture|screen|size|page"), or part
// of the message that refuses it; and `vorlix` run as a user runs it, with no display and no
// platform chosen, as on a bare server: a picture of a screen, and the refusals, each with a
// message on stderr.
class CommandLineTest : public QObject {
    Q_OBJECT

    using ArgumentCases = Cases<QStringList, QString>; // arguments; what they give or say

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
    void parses_data() {
        auto row = ArgumentCases::Declare();
        const QStringList shot{"--screenshot", "o.png"};
        row("nothing", {}, "||result|1600x1000|0");
        row("file and work folder", {"--workdir", "w", "a.KVT"}, "a.KVT||result|1600x1000|0");
        row("screenshot, every option",
            {"--screen=signal-geo", "--screenshot", "o.png", "--size", "1250x700", "--page", "3",
             "a.KVT"},
            "a.KVT|o.png|signal-geo|1250x700|3");
        row("platform for Qt is kept aside", {"-platform", "offscreen", "a.KVT"},
            "a.KVT||result|1600x1000|0");
        row("narrower than the smallest window", shot + QStringList{"--size", "1249x800", "a.KVT"},
            "refused: 1250x700");
        row("size too large", shot + QStringList{"--size", "8193x600", "a.KVT"}, "refused: --size");
        row("size not WxH", shot + QStringList{"--size", "800", "a.KVT"}, "refused: --size");
        row("negative page", shot + QStringList{"--page", "-1", "a.KVT"}, "refused: --page");
        row("value missing", {"a.KVT", "--workdir"}, "refused: needs a value");
        row("screenshot without a file", shot, "refused: needs the raw file");
        row("screen without screenshot", {"--screen", "result", "a.KVT"},
            "refused: go with --screenshot");
        row("report without a file", {"--report", "r.pdf"}, "refused: needs the raw file");
        row("report and screenshot at once", shot + QStringList{"--report", "r.pdf", "a.KVT"},
            "refused: go separately");
        row("two files", {"a.KVT", "b.KVT"}, "refused: only one file");
        row("unknown option", {"--frobnicate"}, "refused: unknown option");
    }
    void parses() {
        auto [arguments, expected] = ArgumentCases::Fetch();
        const AppArguments p = ParseAppArguments(QStringList{"vorlix"} << arguments);
        if (!p.error.isEmpty()) {
            QVERIFY2(expected.startsWith("refused: ") && p.error.contains(expected.mid(9)),
                     qPrintable(p.error));
            return;
        }
        const QString size = QStringLiteral("%1x%2").arg(p.size.width()).arg(p.size.height());
        QCOMPARE(QStringList({p.file, p.screenshotPath, p.screen, size, QString::number(p.page)})
                     .join('|'),
                 expected);
    }
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
        auto row = ArgumentCases::Declare();
        row("unknown screen", {"--screen", "no-such-screen", "--screenshot", "@OUT@"},
            "unknown screen \"no-such-screen\"");
        row("missing file", {"--screenshot", "@OUT@", "@FOLDER@/missing.KVT"}, "missing.KVT");
        row("picture cannot be written", {"--screenshot", "@FOLDER@/no-such-folder/x.png"},
            "cannot write");
        row("window without a display", {}, "--screenshot");
    }
    void refusesWithAMessageOnStderr() {
        auto [arguments, message] = ArgumentCases::Fetch();
        for (QString& argument : arguments)
            argument.replace("@OUT@", "@FOLDER@/refused.png").replace("@FOLDER@", Work());
        if (!arguments.join(' ').contains("missing.KVT"))
            arguments << QString::fromStdString(files_.kvt);
        const auto [code, errors] = RunApp(QStringList{"--workdir", Work()} << arguments);
        QVERIFY2(code > 0 && errors.contains(message), qPrintable(errors));
        QVERIFY(!QFileInfo::exists(Work() + "/refused.png"));
    }
};

QTEST_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
