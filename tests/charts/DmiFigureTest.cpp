#include "charts/Canvas.h"
#include "charts/CkelDMIfigure.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <QGuiApplication>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

Q_DECLARE_METATYPE(Rect)

// The distance-profile figure: layout, pages, the page drawing and the cycle markers; and
// the document's thinned station table.
class DmiFigureTest : public QObject {
    Q_OBJECT

private:
    static constexpr QRgb kGreen = Rgb(0, 255, 0);
    static constexpr QRgb kRed = Rgb(255, 0, 0);
    static constexpr QRgb kWhite = Rgb(255, 255, 255);
    static inline const Rect kWindow900{0, 0, 956, 700}; // panels 900 pixels wide

    TempDir dir_;
    std::unique_ptr<CVorlixDoc> doc_;

    // A figure of 899 columns per panel over 8000 samples at 7.5 on a 0..15 axis.
    void DrawnFigure(Canvas& c, CkelDMIfigure& figure) {
        doc_->pointCount = 8000;
        for (int i = 0; i < 8000; ++i)
            doc_->loadSignal[i] = doc_->geoFiltered[i] = 7.5f;
        c.Resize(kWindow900.right, kWindow900.bottom);
        c.BeginCommand();
        figure.yAxis.minValue = 0.f;
        figure.yAxis.maxValue = 15.f;
        QCOMPARE(figure.Layout(kWindow900, c), 0);
        QCOMPARE(figure.Paginate(8000), 0);
    }
    static int CurveRow(const CkelDMIfigure& figure, int panel) {
        return SaturatedPixel(figure.panels[panel].bottom - 7.5 * figure.yAxis.pixelsPerUnit);
    }
    static int Count(const Canvas& c, QRgb colour, const QRect& in) {
        int n = 0;
        for (int y = in.top(); y <= in.bottom(); ++y)
            for (int x = in.left(); x <= in.right(); ++x)
                n += c.GetPixel(x, y) == colour;
        return n;
    }

private slots:
    void initTestCase() { doc_ = std::make_unique<CVorlixDoc>(dir_.Path()); }

    void constructedLayout() {
        CkelDMIfigure figure;
        QCOMPARE(int(figure.panelHeight), 179); // 800 x (1 - 0.1f) / 4, truncated
        QCOMPARE(int(figure.panelPitch), 200);
        QCOMPARE(figure.panels[3], (Rect{0, 600, 1000, 779}));
        QCOMPARE(figure.yAxis.minValue, -20.3f);
        QVERIFY(!figure.IsPaginated());
    }

    void layout_data() {
        QTest::addColumn<Rect>("rect");
        QTest::addColumn<Rect>("area");
        QTest::addColumn<float>("gapRatio");
        QTest::addColumn<int>("panelHeight");
        QTest::addColumn<int>("panelPitch");
        QTest::addColumn<int>("columnsPerPanel");
        QTest::addColumn<Rect>("lastPanel");
        // charHeight 14 in every row.
        QTest::newRow("gap widened for the labels")
            << Rect{0, 0, 1000, 460} << Rect{30, 30, 970, 430} << 0.21f << 79 << 100 << 939
            << Rect{30, 330, 970, 409};
        QTest::newRow("a tenth in float32 leaves 224, not 225")
            << Rect{0, 0, 1000, 1060} << Rect{30, 30, 970, 1030} << 0.1f << 224 << 250 << 939
            << Rect{30, 780, 970, 1004};
        QTest::newRow("900-pixel panels")
            << kWindow900 << Rect{28, 28, 928, 672} << float(84.0 / 644) << 140 << 161 << 899
            << Rect{28, 511, 928, 651};
    }
    void layout() {
        QFETCH(Rect, rect);
        QFETCH(int, columnsPerPanel);
        CkelDMIfigure figure;
        QCOMPARE(figure.ComputeLayout(rect, 14), 0);
        QTEST(figure.area, "area");
        QTEST(figure.gapRatio, "gapRatio");
        QTEST(int(figure.panelHeight), "panelHeight");
        QTEST(int(figure.panelPitch), "panelPitch");
        QCOMPARE(figure.columnsPerPanel, columnsPerPanel);
        QCOMPARE(figure.columnsPerPage, 4 * columnsPerPanel);
        QTEST(figure.panels[3], "lastPanel");
        QCOMPARE(figure.pageCount, 0); // to be paginated again
    }

    // A window wider than high used to get panels of negative height.
    void layoutWithoutRoomLeavesTheFigureUnpaginated_data() {
        QTest::addColumn<Rect>("rect");
        QTest::newRow("empty") << Rect{10, 10, 10, 300};
        QTest::newRow("margin eats the height") << Rect{0, 0, 1000, 55};
        QTest::newRow("no room beside the labels") << Rect{0, 0, 1000, 140};
    }
    void layoutWithoutRoomLeavesTheFigureUnpaginated() {
        QFETCH(Rect, rect);
        CkelDMIfigure figure;
        QCOMPARE(figure.ComputeLayout(rect, 14), -1);
        QCOMPARE(figure.Paginate(8000), -1);
        QVERIFY(!figure.IsPaginated());
    }

    void paginate_data() {
        QTest::addColumn<Rect>("rect");
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("lastPanel");
        QTest::addColumn<QList<int>>("lastPage"); // start, end of each panel; -1 empty
        QTest::addColumn<QString>("firstCaption");
        QTest::addColumn<QString>("lastCaption");
        QTest::newRow("8000 samples on 900-pixel panels")
            << kWindow900 << 8000 << 3 << 0 << QList<int>{7192, 7999, -1, -1, -1, -1, -1, -1}
            << "from  0  to 3596"
            << "from  7192  to 7999";
        // Far past the 500 pages a fixed table held.
        QTest::newRow("full segment on a 400-pixel window")
            << Rect{0, 0, 400, 700} << 3200000 << 2134 << 1
            << QList<int>{3199500, 3199875, 3199875, 3199999, -1, -1, -1, -1} << "from  0  to 1500"
            << "from  3199500  to 3199999";
        QTest::newRow("whole pages get no page past the data")
            << kWindow900 << 7192 << 2 << 3
            << QList<int>{3596, 4495, 4495, 5394, 5394, 6293, 6293, 7191} << "from  0  to 3596"
            << "from  3596  to 7191";
    }
    void paginate() {
        QFETCH(Rect, rect);
        QFETCH(int, samples);
        QFETCH(int, pages);
        QFETCH(QList<int>, lastPage);
        CkelDMIfigure figure;
        QCOMPARE(figure.ComputeLayout(rect, 14), 0);
        QCOMPARE(figure.Paginate(9), -1);
        QCOMPARE(figure.Paginate(samples), 0);
        QCOMPARE(figure.pageCount, pages);
        QTEST(figure.lastPanel, "lastPanel");
        for (int panel = 0; panel < 4; ++panel) {
            const CkelDMIfigure::SampleRange r = figure.PanelRange(pages - 1, panel);
            QCOMPARE(r.start, lastPage[2 * panel]);
            QCOMPARE(r.end, lastPage[2 * panel + 1]);
        }
        QCOMPARE(figure.PanelRange(0, 1).start, figure.columnsPerPanel);
        QCOMPARE(figure.PanelRange(pages, 0).start, -1);
        QTEST(figure.PageCaption(0), "firstCaption");
        QTEST(figure.PageCaption(pages - 1), "lastCaption");
        QCOMPARE(figure.pageStart, 0);
        QCOMPARE(figure.pageEnd, pages > 1 ? figure.columnsPerPage : lastPage[1]);
    }

    void pageDrawsCurveAndStationTicks() {
        Canvas c;
        CkelDMIfigure figure;
        DrawnFigure(c, figure);
        QCOMPARE(figure.DrawPage(3, doc_->loadSignal.data(), c, *doc_), -1);
        QCOMPARE(figure.DrawPage(0, doc_->loadSignal.data(), c, *doc_), 0);
        QCOMPARE(figure.currentPage, 0);
        for (int panel : {0, 3}) {
            const Rect& p = figure.panels[panel];
            QCOMPARE(c.GetPixel(p.left + 450, CurveRow(figure, panel)), kGreen);
            // Ticks of 5 pixels under columns 1, 101, ... 801.
            for (int column : {1, 101, 801}) {
                QCOMPARE(c.GetPixel(p.left + column, p.bottom + 4), kGreen);
                QCOMPARE(c.GetPixel(p.left + column, p.bottom + 5), kWhite);
            }
            QCOMPARE(c.GetPixel(p.left + 51, p.bottom + 4), kWhite);
        }
    }

    // The panels after the end of the record used to show stale ranges of an earlier record.
    void lastPageLeavesPanelsAfterTheRecordEmpty() {
        Canvas c;
        CkelDMIfigure figure;
        DrawnFigure(c, figure);
        c.FillSolidRect(c.ClientRect(), kWhite);
        QCOMPARE(figure.DrawPanelFrames(c), 0);
        QCOMPARE(figure.DrawPage(2, doc_->loadSignal.data(), c, *doc_), 0);
        QCOMPARE(figure.pageStart, 7192);
        QCOMPARE(figure.pageEnd, 7999);
        const Rect& first = figure.panels[0];
        const int y = CurveRow(figure, 0);
        QCOMPARE(c.GetPixel(first.left + 806, y), kGreen); // the line to sample 7998
        QCOMPARE(c.GetPixel(first.left + 808, y), kWhite);
        for (int panel = 1; panel < 4; ++panel) {
            const Rect& p = figure.panels[panel];
            QCOMPARE(Count(c, kGreen, QRect(p.left, p.top, p.right - p.left, p.bottom - p.top + 8)),
                     0);
        }
    }

    // Markers sit on the curve at column c = sample - pageStart + 1; those off the page or
    // beyond the last panel (or the data) are left out.
    void markers_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QList<int>>("peaks");
        QTest::addColumn<QList<int>>("troughs");
        QTest::addColumn<QList<QPoint>>("expected"); // (panel, column)
        QTest::newRow("first page")
            << 0 << QList<int>{100, 898, 3595, 5000} << QList<int>{120, 910, 3590, 5020}
            << QList<QPoint>{{0, 101}, {1, 0}, {0, 121}, {1, 12}, {3, 894}};
        QTest::newRow("last page")
            << 2 << QList<int>{3000, 7200, 7990} << QList<int>{7195, 7999, 8000}
            << QList<QPoint>{{0, 9}, {0, 799}, {0, 4}, {0, 808}};
    }
    void markers() {
        QFETCH(int, page);
        QFETCH(QList<int>, peaks);
        QFETCH(QList<int>, troughs);
        QFETCH(QList<QPoint>, expected);
        Canvas c;
        CkelDMIfigure figure;
        DrawnFigure(c, figure);
        QCOMPARE(figure.DrawPage(page, doc_->loadSignal.data(), c, *doc_), 0);
        doc_->geoCycleCount = int(peaks.size());
        for (int i = 0; i < int(peaks.size()); ++i) {
            doc_->geoPeakIndex[i] = peaks[i];
            doc_->geoTroughIndex[i] = troughs[i];
        }
        figure.DrawMarkers(doc_->geoFiltered.data(), c, 1, *doc_);
        int near = 0;
        for (const QPoint& e : expected) {
            const int x = figure.panels[e.x()].left + e.y();
            const int y = CurveRow(figure, e.x());
            const int here = Count(c, kRed, QRect(x - 2, y - 2, 5, 5));
            QVERIFY2(here > 0,
                     qPrintable(
                         QStringLiteral("no marker at panel %1 column %2").arg(e.x()).arg(e.y())));
            near += here;
        }
        QCOMPARE(Count(c, kRed, QRect(0, 0, c.Width(), c.Height())), near);
    }

    void decimate_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("stride");
        QTest::addColumn<int>("entryCount");
        QTest::addColumn<float>("lastEntry");
        // source[i] = 10 * i
        QTest::newRow("no groups read nothing before the array") << 0 << -1 << 10 << 0 << 0.f;
        QTest::newRow("short: stride 0 repeats the first") << 500 << 0 << 0 << 1000 << 0.f;
        QTest::newRow("full segment") << 12800 << 0 << 12 << 1000 << 119880.f;
    }
    void decimate() {
        QFETCH(int, n);
        QFETCH(int, stride);
        std::vector<std::int32_t> source(std::max(n, 1));
        for (int i = 0; i < int(source.size()); ++i)
            source[i] = 10 * i;
        CkelDMI table;
        QTEST(table.Decimate(source.data(), n), "result");
        QCOMPARE(int(table.stride), stride);
        QTEST(table.entryCount, "entryCount");
        if (table.entryCount > 0)
            QTEST(table.entries[table.entryCount - 1], "lastEntry");
    }
};

QTEST_MAIN(DmiFigureTest)
#include "DmiFigureTest.moc"
