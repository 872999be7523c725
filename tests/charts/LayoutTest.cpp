#include "ChartTestSupport.h"
#include "charts/Cfram.h"
#include "charts/CkelDMIfigure.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <algorithm>
#include <memory>

// The frame layout of every screen, and the distance-profile figure: its panels, its pages,
// the page drawing and the cycle markers.
class LayoutTest : public QObject {
    Q_OBJECT

    static constexpr Rect kUntouched{1, 2, 3, 4};
    static constexpr QRgb kGreen = Rgb(0, 255, 0), kRed = Rgb(255, 0, 0);
    static constexpr Rect kWindow900{0, 0, 956, 700}; // panels 900 pixels wide
    enum Field { Inner, Picture, Result, Detail1, Detail2, Gpr, Temp, Level, Speed, A1, A2, A3 };
    using ScreenCases = Cases<LayoutKind, bool, QList<int>, QList<Rect>>; // GPR shown, fields
    using SizeCases = Cases<int, int, int, Rect>;    // width, height, result, inner rectangle
    using PanelCases = Cases<Rect, int, Rect, Rect>; // window, result, area, last panel
    // window, samples, pages, last panel, the last page's panel ranges (-1: none), captions
    using PageCases = Cases<Rect, int, int, int, QList<int>, QString>;
    using MarkerCases = Cases<int, QList<int>, QList<int>, QList<QPoint>>; // (panel, column)

    TempDir dir_;
    std::unique_ptr<CVorlixDoc> doc_;

    static QList<Rect*> Rects(Cfram& f) {
        return {&f.innerRect,   &f.pictureRect, &f.resultRect,      &f.detail1Rect,
                &f.detail2Rect, &f.gprRect,     &f.temperatureRect, &f.levelRect,
                &f.speedRect,   &f.anchor1Rect, &f.anchor2Rect,     &f.anchor3Rect};
    }
    // A layout whose every rectangle is kUntouched, so that what a kind leaves alone shows.
    static Cfram Fresh(LayoutKind kind, int width, int height) {
        Cfram f;
        for (Rect* r : Rects(f))
            *r = kUntouched;
        f.clientRect = {0, 0, width, height};
        f.layoutKind = kind;
        return f;
    }
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

    void screensAt1000x800_data() {
        auto row = ScreenCases::Declare();
        row("data view 3", LayoutKind::DataView3, false,
            {Inner, Result, Gpr, Picture, Detail2, Detail1},
            {{20, 16, 980, 784},
             {20, 16, 980, 400},
             {20, 16, 980, 400},
             {20, 440, 484, 784},
             {524, 440, 980, 577},
             {524, 599, 980, 784}});
        row("data view 3 with GPR", LayoutKind::DataView3, true, {Result, Gpr, Picture},
            {{20, 16, 980, 284}, {20, 304, 980, 561}, {20, 601, 267, 784}});
        row("result view", LayoutKind::Result, false, {Result}, {{50, 72, 960, 732}});
        // Data view 4 ignores the GPR switch and leaves the GPR rectangle alone.
        row("data view 4", LayoutKind::DataView4, true, {Gpr, Picture, Detail1},
            {kUntouched, {20, 440, 484, 784}, {524, 586, 980, 784}});
        row("GPS track", LayoutKind::GpsTrack, false, {Inner, Temp, Level, Speed},
            {{30, 32, 970, 776}, {30, 32, 970, 218}, {30, 298, 970, 484}, {30, 564, 970, 776}});
        row("data view 2", LayoutKind::DataView2, false, {Result, Picture, A1, A3},
            {{20, 16, 980, 169}, {20, 209, 730, 784}, {740, 209, 980, 229}, {740, 389, 980, 409}});
    }
    void screensAt1000x800() {
        auto [kind, gpr, fields, rects] = ScreenCases::Fetch();
        Cfram f = Fresh(kind, 1000, 800);
        QCOMPARE(f.ComputeLayout(gpr), 0);
        QList<Rect> got;
        for (int field : fields)
            got << *Rects(f)[field];
        QCOMPARE(got, rects);
    }

    // Up to 8192 pixels a side is laid out whatever the area; past it, or under 100 square
    // pixels, nothing changes.
    void clientSizes_data() {
        auto row = SizeCases::Declare();
        row("largest", 8192, 8192, 0, {163, 163, 8029, 8029});
        row("over three megapixels was refused", 3000, 1001, 0, {60, 20, 2940, 981});
        row("too high", 800, 8193, 14, kUntouched);
        row("99 square pixels", 9, 11, 12, kUntouched);
        row("100 square pixels", 10, 10, 0, {0, 0, 10, 10});
    }
    void clientSizes() {
        auto [width, height, result, inner] = SizeCases::Fetch();
        Cfram f = Fresh(LayoutKind::DataView3, width, height);
        QCOMPARE(f.ComputeLayout(false), result);
        QCOMPARE(f.innerRect, inner);
        if (result != 0)
            for (Rect* r : Rects(f))
                QCOMPARE(*r, kUntouched);
    }

    // The figure's four panels at charHeight 14. A window wider than high used to get panels of
    // negative height; without room the figure stays unpaginated.
    void figurePanels_data() {
        auto row = PanelCases::Declare();
        row("a tenth in float32 leaves 224 rows, not 225", {0, 0, 1000, 1060}, 0,
            {30, 30, 970, 1030}, {30, 780, 970, 1004});
        row("900-pixel panels", kWindow900, 0, {28, 28, 928, 672}, {28, 511, 928, 651});
        row("margin eats the height", {0, 0, 1000, 55}, -1, {}, {});
        row("no room beside the labels", {0, 0, 1000, 140}, -1, {}, {});
    }
    void figurePanels() {
        auto [rect, result, area, lastPanel] = PanelCases::Fetch();
        CkelDMIfigure figure;
        QCOMPARE(figure.ComputeLayout(rect, 14), result);
        if (result != 0) {
            QCOMPARE(figure.Paginate(8000), -1);
            QVERIFY(!figure.IsPaginated());
            return;
        }
        QCOMPARE(figure.area, area);
        QCOMPARE(figure.panels[3], lastPanel);
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

    // Page 0 shows the curve in every panel with 5-pixel station ticks under columns 1, 101,
    // ...; the last page used to show stale ranges of an earlier record after its end.
    void figurePagesDrawCurveAndTicksAndNothingAfterTheRecord() {
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
