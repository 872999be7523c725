#include "ChartTestSupport.h"
#include "charts/Cfram.h"
#include "charts/CkelDMIfigure.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <algorithm>
#include <memory>

// The frame layout at window sizes the screenshot comparison does not reach, and the
// distance-profile figure: its pages, what a page draws after the record, and the cycle
// markers. (Every screen's layout, ticks and panels at 1600 x 1000 and 1250 x 700 are compared
// pixel by pixel with those of the earlier build.)
class LayoutTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kGreen = Rgb(0, 255, 0), kRed = Rgb(255, 0, 0);
    static constexpr Rect kWindow900{0, 0, 956, 700}; // panels 900 pixels wide
    using SizeCases = Cases<int, int, Rect>;          // width, height, inner rectangle
    // window, samples, pages, last panel, the last page's panel ranges (-1: none), captions
    using PageCases = Cases<Rect, int, int, int, QList<int>, QString>;
    using MarkerCases = Cases<int, QList<int>, QList<int>, QList<QPoint>>; // (panel, column)

    TempDir dir_;
    std::unique_ptr<CVorlixDoc> doc_;

    // 899 columns per panel over 8000 samples at 7.5 on a 0..15 axis, page `page` drawn.
    void DrawnFigure(Canvas& c, CkelDMIfigure& figure, int page) {
        doc_->pointCount = 8000;
        std::fill_n(doc_->loadSignal.begin(), 8000, 7.5f);
        std::fill_n(doc_->geoFiltered.begin(), 8000, 7.5f);
        Blank(c, kWindow900.right, kWindow900.bottom);
        figure.yAxis.minValue = 0;
        figure.yAxis.maxValue = 15;
        QCOMPARE(figure.Layout(kWindow900, c), 0);
        QCOMPARE(figure.Paginate(8000), 0);
        QCOMPARE(figure.DrawPage(page, doc_->loadSignal.data(), c, *doc_), 0);
    }
    static int CurveRow(const CkelDMIfigure& figure, int panel) {
        return SaturatedPixel(figure.panels[panel].bottom - 7.5 * figure.yAxis.pixelsPerUnit);
    }

private slots:
    void initTestCase() { doc_ = std::make_unique<CVorlixDoc>(dir_.Path()); }

    // Up to 8192 pixels a side is laid out whatever the area.
    void clientSizes_data() {
        auto row = SizeCases::Declare();
        row("largest", 8192, 8192, {163, 163, 8029, 8029});
        row("over three megapixels was refused", 3000, 1001, {60, 20, 2940, 981});
    }
    void clientSizes() {
        auto [width, height, inner] = SizeCases::Fetch();
        Cfram f;
        f.clientRect = {0, 0, width, height};
        f.layoutKind = LayoutKind::DataView3;
        QCOMPARE(f.ComputeLayout(false), 0);
        QCOMPARE(f.innerRect, inner);
    }

    void figurePages_data() {
        auto row = PageCases::Declare();
        row("8000 samples on 900-pixel panels", kWindow900, 8000, 3, 0,
            {7192, 7999, -1, -1, -1, -1, -1, -1}, "from  0  to 3596|from  7192  to 7999");
        // Far past the 500 pages a fixed table held.
        row("full segment on a 400-pixel window", {0, 0, 400, 700}, 3200000, 2134, 1,
            {3199500, 3199875, 3199875, 3199999, -1, -1, -1, -1},
            "from  0  to 1500|from  3199500  to 3199999");
        row("whole pages get no page past the data", kWindow900, 7192, 2, 3,
            {3596, 4495, 4495, 5394, 5394, 6293, 6293, 7191},
            "from  0  to 3596|from  3596  to 7191");
    }
    void figurePages() {
        auto [rect, samples, pages, lastPanel, lastPage, captions] = PageCases::Fetch();
        CkelDMIfigure figure;
        QCOMPARE(figure.ComputeLayout(rect, 14), 0);
        QCOMPARE(figure.Paginate(9), -1);
        QCOMPARE(figure.Paginate(samples), 0);
        QCOMPARE(figure.pageCount, pages);
        QCOMPARE(figure.lastPanel, lastPanel);
        QList<int> ranges;
        for (int panel = 0; panel < 4; ++panel)
            ranges << figure.PanelRange(pages - 1, panel).start
                   << figure.PanelRange(pages - 1, panel).end;
        QCOMPARE(ranges, lastPage);
        QCOMPARE(figure.PanelRange(pages, 0).start, -1);
        QCOMPARE(figure.PageCaption(0) + '|' + figure.PageCaption(pages - 1), captions);
    }

    // The last page used to show stale ranges of an earlier record after its end.
    void figureLastPageShowsNothingAfterTheRecord() {
        Canvas c;
        CkelDMIfigure figure;
        DrawnFigure(c, figure, 2);
        QCOMPARE(figure.DrawPage(3, doc_->loadSignal.data(), c, *doc_), -1);
        const int left = figure.panels[0].left;
        QCOMPARE(c.GetPixel(left + 806, CurveRow(figure, 0)), kGreen); // the line to 7998
        QCOMPARE(c.GetPixel(left + 808, CurveRow(figure, 0)), kWhite);
        for (int panel = 1; panel < 4; ++panel) { // no curve, no ticks
            const Rect& q = figure.panels[panel];
            QCOMPARE(c.GetPixel(q.left + 450, CurveRow(figure, panel)), kWhite);
            QCOMPARE(c.GetPixel(q.left + 1, q.bottom + 2), kWhite);
        }
    }

    // Markers sit on the curve at column c = sample - pageStart + 1; those off the page or
    // beyond the last panel (or the data) are left out.
    void figureMarkers_data() {
        auto row = MarkerCases::Declare(); // page, peaks, troughs, where markers are
        row("first page", 0, {100, 898, 3595, 5000}, {120, 910, 3590, 5020},
            {{0, 101}, {1, 0}, {0, 121}, {1, 12}, {3, 894}});
        row("last page", 2, {3000, 7200, 7990}, {7195, 7999, 8000},
            {{0, 9}, {0, 799}, {0, 4}, {0, 808}});
    }
    void figureMarkers() {
        auto [page, peaks, troughs, expected] = MarkerCases::Fetch();
        Canvas c;
        CkelDMIfigure figure;
        DrawnFigure(c, figure, page);
        doc_->geoCycleCount = int(peaks.size());
        std::copy(peaks.begin(), peaks.end(), doc_->geoPeakIndex.begin());
        std::copy(troughs.begin(), troughs.end(), doc_->geoTroughIndex.begin());
        figure.DrawMarkers(doc_->geoFiltered.data(), c, 1, *doc_);
        int near = 0;
        for (const QPoint& e : expected) {
            const int x = figure.panels[e.x()].left + e.y();
            const int here = Count(c, kRed, QRect(x - 2, CurveRow(figure, e.x()) - 2, 5, 5));
            QVERIFY2(here > 0, qPrintable(QStringLiteral("none at %1,%2").arg(e.x()).arg(e.y())));
            near += here;
        }
        QCOMPARE(Count(c, kRed), near);
    }
};

QTEST_MAIN(LayoutTest)
#include "LayoutTest.moc"
