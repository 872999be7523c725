#include "app/AppArguments.h"

#include <QtTest>

class AppArgumentsTest : public QObject {
    Q_OBJECT

private slots:
    void parses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // part of the error, empty when accepted
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("screenshot");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("page");
        const QSize standard(1600, 1000);
        QTest::newRow("nothing") << QStringList{} << ""
                                 << ""
                                 << ""
                                 << "result" << standard << 0;
        QTest::newRow("file and work folder") << QStringList{"--workdir", "w", "a.KVT"} << ""
                                              << "a.KVT"
                                              << ""
                                              << "result" << standard << 0;
        QTest::newRow("screenshot, every option") << QStringList{"--screen=signal-geo",
                                                                 "--screenshot",
                                                                 "o.png",
                                                                 "--size",
                                                                 "1250x700",
                                                                 "--page",
                                                                 "3",
                                                                 "a.KVT"}
                                                  << ""
                                                  << "a.KVT"
                                                  << "o.png"
                                                  << "signal-geo" << QSize(1250, 700) << 3;
        QTest::newRow("platform for Qt is kept aside")
            << QStringList{"-platform", "offscreen", "a.KVT"} << ""
            << "a.KVT"
            << ""
            << "result" << standard << 0;
        QTest::newRow("narrower than the smallest window")
            << QStringList{"--screenshot", "o.png", "--size", "1249x800", "a.KVT"} << "1250x700"
            << ""
            << ""
            << "" << standard << 0;
        QTest::newRow("lower than the smallest window")
            << QStringList{"--screenshot", "o.png", "--size", "1300x699", "a.KVT"} << "1250x700"
            << ""
            << ""
            << "" << standard << 0;
        QTest::newRow("size too large")
            << QStringList{"--screenshot", "o.png", "--size", "8193x600", "a.KVT"} << "--size"
            << ""
            << ""
            << "" << standard << 0;
        QTest::newRow("size not WxH")
            << QStringList{"--screenshot", "o.png", "--size", "800", "a.KVT"} << "--size"
            << ""
            << ""
            << "" << standard << 0;
        QTest::newRow("negative page")
            << QStringList{"--screenshot", "o.png", "--page", "-1", "a.KVT"} << "--page"
            << ""
            << ""
            << "" << standard << 0;
        QTest::newRow("value missing") << QStringList{"a.KVT", "--workdir"} << "needs a value"
                                       << ""
                                       << ""
                                       << "" << standard << 0;
        QTest::newRow("screenshot without a file")
            << QStringList{"--screenshot", "o.png"} << "needs the raw file"
            << ""
            << ""
            << "" << standard << 0;
        QTest::newRow("report without a file")
            << QStringList{"--report", "r.pdf"} << "needs the raw file"
            << ""
            << ""
            << "" << standard << 0;
        QTest::newRow("report and screenshot at once")
            << QStringList{"--report", "r.pdf", "--screenshot", "o.png", "a.KVT"} << "go separately"
            << ""
            << ""
            << "" << standard << 0;
        QTest::newRow("screen without screenshot")
            << QStringList{"--screen", "result", "a.KVT"} << "go with --screenshot"
            << ""
            << ""
            << "" << standard << 0;
        QTest::newRow("two files") << QStringList{"a.KVT", "b.KVT"} << "only one file"
                                   << ""
                                   << ""
                                   << "" << standard << 0;
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "unknown option"
                                        << ""
                                        << ""
                                        << "" << standard << 0;
    }
    void parses() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const AppArguments parsed = ParseAppArguments(QStringList{"vorlix"} << arguments);
        if (!error.isEmpty()) {
            QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
            return;
        }
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QTEST(parsed.file, "file");
        QTEST(parsed.screenshotPath, "screenshot");
        QTEST(parsed.screen, "screen");
        QTEST(parsed.size, "size");
        QTEST(parsed.page, "page");
    }
};

QTEST_MAIN(AppArgumentsTest)
#include "AppArgumentsTest.moc"
