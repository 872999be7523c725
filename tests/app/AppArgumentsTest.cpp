#include "app/AppArguments.h"
#include "support/Cases.h"

#include <QtTest>

// The command line: what a use of it opens or draws ("file|picture|screen|size|page"), or part
// of the message that refuses it.
class AppArgumentsTest : public QObject {
    Q_OBJECT

    using ArgumentCases = Cases<QStringList, QString>;

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
        row("lower than the smallest window", shot + QStringList{"--size", "1300x699", "a.KVT"},
            "refused: 1250x700");
        row("size too large", shot + QStringList{"--size", "8193x600", "a.KVT"}, "refused: --size");
        row("size not WxH", shot + QStringList{"--size", "800", "a.KVT"}, "refused: --size");
        row("negative page", shot + QStringList{"--page", "-1", "a.KVT"}, "refused: --page");
        row("value missing", {"a.KVT", "--workdir"}, "refused: needs a value");
        row("screenshot without a file", shot, "refused: needs the raw file");
        row("screen without screenshot", {"--screen", "result", "a.KVT"},
            "refused: go with --screenshot");
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
};

QTEST_MAIN(AppArgumentsTest)
#include "AppArgumentsTest.moc"
