#include "view/SpectrumWindow.h"

#include <QTest>

#include <vector>

Q_DECLARE_METATYPE(SpectrumWindow)

// The spectrum window's moves by the paging commands.
class SpectrumWindowTest : public QObject {
    Q_OBJECT

private slots:
    void moves_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<SpectrumWindow>("from");
        QTest::addColumn<QString>("moves");       // 'p' previous, 'n' next
        QTest::addColumn<QList<int>>("expected"); // start, end after each move

        QTest::newRow("12000: previous from 3000")
            << 12000 << SpectrumWindow{3000, 8000} << "p" << QList<int>{0, 5000};
        QTest::newRow("12000: next to the end and round")
            << 12000 << SpectrumWindow{0, 5000} << "nnn"
            << QList<int>{5000, 10000, 9999, 11999, 0, 5000};
        QTest::newRow("5050: too short a window falls back")
            << 5050 << SpectrumWindow{0, 5000} << "n" << QList<int>{0, 5000};
        QTest::newRow("5000: the window stays inside")
            << 5000 << SpectrumWindow{0, 4998} << "np" << QList<int>{0, 4998, 0, 4998};
        QTest::newRow("previous at 0 never starts below 0")
            << 8001 << SpectrumWindow{0, 5000} << "p" << QList<int>{0, 5000};
    }
    void moves() {
        QFETCH(int, n);
        QFETCH(SpectrumWindow, from);
        QFETCH(QString, moves);
        QFETCH(QList<int>, expected);
        SpectrumWindow w = from;
        for (int i = 0; i < moves.size(); ++i) {
            w = moves[i] == QLatin1Char('p') ? spectrumwindow::Previous(w, n)
                                             : spectrumwindow::Next(w, n);
            QCOMPARE(w.start, expected[2 * i]);
            QCOMPARE(w.end, expected[2 * i + 1]);
            QVERIFY(w.start >= 0 && w.end < n && (w.end - w.start) % 2 == 0);
        }
    }

    void firstWindowFitsTheSegment_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("end");
        QTest::newRow("long") << 3'200'000 << 5000;
        QTest::newRow("5001 points") << 5001 << 5000;
        QTest::newRow("5000 points") << 5000 << 4998;
        QTest::newRow("short") << 1000 << 998;
    }
    void firstWindowFitsTheSegment() {
        QFETCH(int, n);
        QFETCH(int, end);
        QCOMPARE(spectrumwindow::First(n), (SpectrumWindow{0, end}));
    }
};

QTEST_MAIN(SpectrumWindowTest)
#include "SpectrumWindowTest.moc"
