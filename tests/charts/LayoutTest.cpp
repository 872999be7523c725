#include "charts/Cfram.h"

#include <QTest>

// Frame layout: the rectangles of every screen at 1000 x 800 and the sizes that are laid out.
class LayoutTest : public QObject {
    Q_OBJECT

private:
    static constexpr Rect kUntouched{1, 2, 3, 4};

    static QString Text(const Rect& r) {
        return QStringLiteral("%1,%2,%3,%4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
    }

    // A layout whose every rectangle is kUntouched, so that what a kind leaves alone shows.
    static Cfram Fresh(int kind, int width, int height) {
        Cfram f;
        for (Rect* r : Rects(f))
            *r = kUntouched;
        f.clientRect = {0, 0, width, height};
        f.layoutKind = kind;
        return f;
    }

    static QList<Rect*> Rects(Cfram& f) {
        return {&f.innerRect,   &f.pictureRect, &f.resultRect,      &f.detail1Rect,
                &f.detail2Rect, &f.gprRect,     &f.temperatureRect, &f.levelRect,
                &f.speedRect,   &f.anchor1Rect, &f.anchor2Rect,     &f.anchor3Rect};
    }

    static const Rect& Named(const Cfram& f, const QString& name) {
        static const QHash<QString, Rect Cfram::*> fields = {
            {QStringLiteral("inner"), &Cfram::innerRect},
            {QStringLiteral("picture"), &Cfram::pictureRect},
            {QStringLiteral("result"), &Cfram::resultRect},
            {QStringLiteral("detail1"), &Cfram::detail1Rect},
            {QStringLiteral("detail2"), &Cfram::detail2Rect},
            {QStringLiteral("gpr"), &Cfram::gprRect},
            {QStringLiteral("temperature"), &Cfram::temperatureRect},
            {QStringLiteral("level"), &Cfram::levelRect},
            {QStringLiteral("speed"), &Cfram::speedRect},
            {QStringLiteral("anchor1"), &Cfram::anchor1Rect},
            {QStringLiteral("anchor2"), &Cfram::anchor2Rect},
            {QStringLiteral("anchor3"), &Cfram::anchor3Rect}};
        return f.*fields.value(name);
    }

private slots:
    void screensAt1000x800_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("gpr");
        QTest::addColumn<QString>("rect");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, int kind, bool gpr, const char* rect,
                            const char* expected) {
            QTest::newRow(name) << kind << gpr << QString::fromLatin1(rect)
                                << QString::fromLatin1(expected);
        };
        row("1 inner", 1, false, "inner", "20,16,980,784");
        row("1 result", 1, false, "result", "20,16,980,400");
        row("1 gpr is the result chart", 1, false, "gpr", "20,16,980,400");
        row("1 picture", 1, false, "picture", "20,440,484,784");
        row("1 detail2", 1, false, "detail2", "524,440,980,577");
        row("1 detail1", 1, false, "detail1", "524,599,980,784");
        row("1 gpr on result", 1, true, "result", "20,16,980,284");
        row("1 gpr on gpr", 1, true, "gpr", "20,304,980,561");
        row("1 gpr on picture", 1, true, "picture", "20,601,267,784");
        row("1 gpr on detail1", 1, true, "detail1", "307,696,980,784");
        row("2 result", 2, false, "result", "50,72,960,732");
        row("3 result ignores gpr", 3, true, "result", "20,16,980,400");
        row("3 leaves gpr", 3, true, "gpr", "1,2,3,4");
        row("3 picture", 3, true, "picture", "20,440,484,784");
        row("3 detail1 closer", 3, false, "detail1", "524,586,980,784");
        row("6 inner", 6, false, "inner", "30,32,970,776");
        row("6 temperature", 6, false, "temperature", "30,32,970,218");
        row("6 level", 6, false, "level", "30,298,970,484");
        row("6 speed", 6, false, "speed", "30,564,970,776");
        row("8 result", 8, false, "result", "20,16,980,169");
        row("8 gpr", 8, false, "gpr", "20,16,980,169");
        row("8 picture", 8, false, "picture", "20,209,730,784");
        row("8 anchor1", 8, false, "anchor1", "740,209,980,229");
        row("8 anchor2", 8, false, "anchor2", "740,329,980,349");
        row("8 anchor3", 8, false, "anchor3", "740,389,980,409");
        row("7 inner only", 7, false, "inner", "20,16,980,784");
    }
    void screensAt1000x800() {
        QFETCH(int, kind);
        QFETCH(bool, gpr);
        QFETCH(QString, rect);
        QFETCH(QString, expected);
        Cfram f = Fresh(kind, 1000, 800);
        QCOMPARE(f.ComputeLayout(gpr), 0);
        QCOMPARE(Text(Named(f, rect)), expected);
    }

    // Up to 8192 pixels a side is laid out whatever the area; past it, or under 100 square
    // pixels, nothing changes.
    void clientSizes_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("inner");
        QTest::newRow("largest") << 8192 << 8192 << 0 << "163,163,8029,8029";
        QTest::newRow("over three megapixels was refused") << 3000 << 1001 << 0 << "60,20,2940,981";
        QTest::newRow("too wide") << 8193 << 800 << 14 << "1,2,3,4";
        QTest::newRow("too high") << 800 << 8193 << 14 << "1,2,3,4";
        QTest::newRow("99 square pixels") << 9 << 11 << 12 << "1,2,3,4";
        QTest::newRow("100 square pixels") << 10 << 10 << 0 << "0,0,10,10";
        QTest::newRow("no height") << 5000 << 0 << 12 << "1,2,3,4";
        QTest::newRow("inverted") << -50 << -50 << 12 << "1,2,3,4";
    }
    void clientSizes() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, result);
        QFETCH(QString, inner);
        Cfram f = Fresh(1, width, height);
        QCOMPARE(f.ComputeLayout(false), result);
        QCOMPARE(Text(f.innerRect), inner);
        if (result != 0)
            for (Rect* r : Rects(f))
                QCOMPARE(Text(*r), Text(kUntouched));
    }
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
