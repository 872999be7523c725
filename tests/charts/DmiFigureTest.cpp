#include "ChartTestSupport.h"
#include "charts/CkelDMIfigure.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <algorithm>
#include <memory>

// The distance-profile figure: layout, pages, the page drawing and the cycle markers.
class DmiFigureTest : public QObject {
    Q_OBJECT

    static constexpr QRgb kGreen = Rgb(0, 255, 0);
    static constexpr QRgb kRed = Rgb(255, 0, 0);
    static constexpr Rect kWindow900{0, 0, 956, 700}; // panels 900 pixels wide

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

    // charHeight 14 in every row. A window wider than high used to get panels of negative
    // height; without room the figure stays unpaginated.
    void layout_data() {
        auto row = Table<Rect, int, Rect, float, QList<int>, Rect>(
            {"rect", "result", "area", "gapRatio", "heightPitchColumns", "lastPanel"});
        row("gap widened for the labels", {0, 0, 1000, 460}, 0, {30, 30, 970, 430}, 0.21f,
            {79, 100, 939}, {30, 330, 970, 409});
        row("a tenth in float32 leaves 224, not 225", {0, 0, 1000, 1060}, 0, {30, 30, 970, 1030},
            0.1f, {224, 250, 939}, {30, 780, 970, 1004});
        row("900-pixel panels", kWindow900, 0, {28, 28, 928, 672}, float(84.0 / 644),
            {140, 161, 899}, {28, 511, 928, 651});
        row("margin eats the height", {0, 0, 1000, 55}, -1, {}, 0, {}, {});
        row("no room beside the labels", {0, 0, 1000, 140}, -1, {}, 0, {}, {});
    }
    void layout() {
        QFETCH(Rect, rect);
        QFETCH(int, result);
        CkelDMIfigure figure;
        QCOMPARE(figure.ComputeLayout(rect, 14), result);
        if (result != 0) {
            QCOMPARE(figure.Paginate(8000), -1);
            QVERIFY(!figure.IsPaginated());
            return;
        }
        QCOMPARE(figure.pageCount, 0); // to be paginated again
        QTEST(figure.area, "area");
        QTEST(figure.gapRatio, "gapRatio");
        QTEST(QList<int>({figure.panelHeight, figure.panelPitch, figure.columnsPerPanel}),
              "heightPitchColumns");
        QCOMPARE(figure.columnsPerPage, 4 * figure.columnsPerPanel);
        QTEST(figure.panels[3], "lastPanel");
    }

    void paginate_data() {
        auto row = Table<Rect, int, int, int, QList<int>, QString>(
            {"rect", "samples", "pages", "lastPanel", "lastPage", "captions"});
        // lastPage: start and end of each panel of the last page, -1 for none.
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
        QList<int> ranges;
        for (int panel = 0; panel < 4; ++panel)
            ranges << figure.PanelRange(pages - 1, panel).start
                   << figure.PanelRange(pages - 1, panel).end;
        QCOMPARE(ranges, lastPage);
        QCOMPARE(figure.PanelRange(pages, 0).start, -1);
        QTEST(figure.PageCaption(0) + '|' + figure.PageCaption(pages - 1), "captions");
        QCOMPARE(figure.pageEnd, pages > 1 ? figure.columnsPerPage : lastPage[1]); // of page 0
    }

    // Page 0 shows the curve in every panel with 5-pixel station ticks under columns 1, 101,
    // ...; the last page used to show stale ranges of an earlier record after its end.
    void pagesDrawCurveAndTicksAndNothingAfterTheRecord() {
        Canvas c;
        CkelDMIfigure figure;
        DrawnFigure(c, figure, 0);
        QCOMPARE(figure.DrawPage(3, doc_->loadSignal.data(), c, *doc_), -1);
        const Rect& p = figure.panels[3];
        QCOMPARE(c.GetPixel(p.left + 450, CurveRow(figure, 3)), kGreen);
        for (int column : {1, 101, 801})
            QCOMPARE(Count(c, kGreen, QRect(p.left + column, p.bottom, 1, 6)), 5);
        QCOMPARE(c.GetPixel(p.left + 51, p.bottom + 4), kWhite);

        c.FillSolidRect(c.ClientRect(), kWhite);
        QCOMPARE(figure.DrawPanelFrames(c), 0);
        QCOMPARE(figure.DrawPage(2, doc_->loadSignal.data(), c, *doc_), 0);
        QCOMPARE(QList<int>({figure.pageStart, figure.pageEnd}), QList<int>({7192, 7999}));
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
    void markers_data() {
        auto row = Table<int, QList<int>, QList<int>, QList<QPoint>>(
            {"page", "peaks", "troughs", "expected"}); // expected: (panel, column)
        row("first page", 0, {100, 898, 3595, 5000}, {120, 910, 3590, 5020},
            {{0, 101}, {1, 0}, {0, 121}, {1, 12}, {3, 894}});
        row("last page", 2, {3000, 7200, 7990}, {7195, 7999, 8000},
            {{0, 9}, {0, 799}, {0, 4}, {0, 808}});
    }
    void markers() {
        QFETCH(int, page);
        QFETCH(QList<int>, peaks);
        QFETCH(QList<int>, troughs);
        QFETCH(QList<QPoint>, expected);
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

QTEST_MAIN(DmiFigureTest)
#include "DmiFigureTest.moc"
