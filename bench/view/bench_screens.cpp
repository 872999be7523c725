#include "../GeneratedFiles.h"

#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"
#include "view/CVorlixView.h"
#include "view/Screens.h"
#include "view/ViewHost.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

// Each screen from command to finished picture at 1600 x 1000, offscreen: the result view
// with 100,000 cycles, a signal page, a spectrum, "Other" and a redraw after a resize.

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;

struct ScreenFixture {
    ScreenFixture() {
        synth::Options options;
        options.outBase = GeneratedFiles::Get().Dir() + "/screens";
        options.groups = 12'800;
        options.pictures = 0;
        options.gpr = synth::Options::Gpr::None;
        std::string error;
        if (!synth::Generate(options, nullptr, &error))
            throw std::runtime_error("cannot generate the benchmark file: " + error);
        doc = std::make_unique<CVorlixDoc>(GeneratedFiles::Get().Dir());
        const LoadResult r = loader.OpenNewFile(*doc, options.outBase + ".KVT");
        if (!r.segmentRead || r.analysisFailed)
            throw std::runtime_error("cannot open the benchmark file: " + r.message);
        canvas.Resize(kWidth, kHeight);
        objects = std::make_unique<DisplayObjects>(*doc);
        objects->TakeSignalRanges(*doc);
        screens::ResetAfterOpen(*objects);
    }
    static ScreenFixture& Get() {
        static ScreenFixture fixture;
        return fixture;
    }
    std::unique_ptr<CVorlixDoc> doc;
    RawFileLoader loader;
    Canvas canvas;
    std::unique_ptr<DisplayObjects> objects;
};

// 100,000 per-cycle results along 40,000 ft, with the moving average drawn over them.
void FillCycles(CVorlixDoc& doc, int count) {
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 0.05f);
    doc.cycleCount = count;
    doc.resultCount = count;
    for (int i = 0; i < count; ++i) {
        doc.cycleDistance[i] = 0.4f * static_cast<float>(i);
        doc.cycleRatio[i] = 0.5f + 0.2f * std::sin(i * 1e-4f) + noise(random);
        doc.resultDistance[i] = doc.cycleDistance[i];
        doc.resultValue[i] = 0.5f + 0.2f * std::sin(i * 1e-4f);
    }
    doc.options.chartMin[3] = 0.0f;
    doc.options.chartMax[3] = 1.0f;
    doc.options.movingAverageCount = 20;
}

void BM_ResultView100kCycles(benchmark::State& state) {
    ScreenFixture& f = ScreenFixture::Get();
    CVorlixDoc doc(GeneratedFiles::Get().Dir());
    doc.pointCount = 1000;
    FillCycles(doc, 100'000);
    for (auto _ : state)
        screens::DrawResultView(f.canvas, *f.objects, doc);
}
BENCHMARK(BM_ResultView100kCycles)->Unit(benchmark::kMillisecond);

void BM_SignalPage(benchmark::State& state) {
    ScreenFixture& f = ScreenFixture::Get();
    for (auto _ : state)
        screens::DrawSignalMode(f.canvas, *f.objects, *f.doc, DisplayMode::GeoFiltered);
}
BENCHMARK(BM_SignalPage)->Unit(benchmark::kMillisecond);

void BM_SignalNextPageWithMarkers(benchmark::State& state) {
    ScreenFixture& f = ScreenFixture::Get();
    screens::DrawSignalMode(f.canvas, *f.objects, *f.doc, DisplayMode::GeoFiltered);
    for (auto _ : state)
        screens::DrawSignalPage(f.canvas, *f.objects, *f.doc, DisplayMode::GeoFiltered, 1);
}
BENCHMARK(BM_SignalNextPageWithMarkers)->Unit(benchmark::kMillisecond);

void BM_Spectrum(benchmark::State& state) {
    ScreenFixture& f = ScreenFixture::Get();
    std::string error;
    for (auto _ : state)
        if (!screens::DrawSpectrum(f.canvas, *f.objects, *f.doc, DisplayMode::GeoSpectrum,
                                   SpectrumWindow{0, 5000}, &error))
            state.SkipWithError(error.c_str());
}
BENCHMARK(BM_Spectrum)->Unit(benchmark::kMillisecond);

void BM_Other(benchmark::State& state) {
    ScreenFixture& f = ScreenFixture::Get();
    for (auto _ : state)
        screens::DrawOther(f.canvas, *f.objects, *f.doc);
}
BENCHMARK(BM_Other)->Unit(benchmark::kMillisecond);

class QuietHost : public ViewHost {
public:
    QString ChooseRawFile(const QString&) override { return {}; }
    QString ChooseSavePath() override { return {}; }
    void SetWindowTitle(const QString&) override {}
    void ShowStatus(const QString&) override {}
    void ShowMessage(const QString&) override {}
    OptionsChanges EditOptions(CKVTcontrol&) override { return {}; }
    std::unique_ptr<ProgressSink> StartProgress(const QString&) override { return nullptr; }
    void FileOpened(const QString&) override {}
    void RequestExit() override {}
};

// A window resized between two sizes: the result view of the full segment drawn again.
void BM_ResizeRedraw(benchmark::State& state) {
    ScreenFixture& f = ScreenFixture::Get();
    QuietHost host;
    CVorlixView view(*f.doc, host);
    view.SetClientSize(QSize(kWidth, kHeight));
    view.RunCommand(ViewCommand::ResultView);
    bool big = true;
    for (auto _ : state) {
        big = !big;
        view.SetClientSize(big ? QSize(kWidth, kHeight) : QSize(kWidth - 200, kHeight - 100));
    }
}
BENCHMARK(BM_ResizeRedraw)->Unit(benchmark::kMillisecond);

// The data views on the full demo-like file with its companions: pictures, GPS and GPR.
struct DataViewFixture {
    DataViewFixture() {
        synth::Options options;
        options.outBase = GeneratedFiles::Get().Dir() + "/dataviews";
        options.groups = 12'800;
        options.gpr = synth::Options::Gpr::Qxr;
        std::string error;
        if (!synth::Generate(options, nullptr, &error))
            throw std::runtime_error("cannot generate the benchmark file: " + error);
        doc = std::make_unique<CVorlixDoc>(GeneratedFiles::Get().Dir());
        doc->options.showGprColormap = 1;
        view = std::make_unique<CVorlixView>(*doc, host);
        view->resize(kWidth, kHeight);
        view->SetClientSize(QSize(kWidth, kHeight));
        if (!view->OpenFile(QString::fromStdString(options.outBase + ".KVT")))
            throw std::runtime_error("cannot open the data-view benchmark file");
    }
    static DataViewFixture& Get() {
        static DataViewFixture fixture;
        return fixture;
    }
    std::unique_ptr<CVorlixDoc> doc;
    QuietHost host;
    std::unique_ptr<CVorlixView> view;
};

void BM_DataView1WithGpr(benchmark::State& state) {
    DataViewFixture& f = DataViewFixture::Get();
    for (auto _ : state)
        f.view->RunCommand(ViewCommand::DataView1);
}
BENCHMARK(BM_DataView1WithGpr)->Unit(benchmark::kMillisecond);

// A click in the result chart: cursor, GPR window, zoom charts and the road picture.
void BM_ClickInResultChart(benchmark::State& state) {
    DataViewFixture& f = DataViewFixture::Get();
    f.view->RunCommand(ViewCommand::DataView1);
    const float first = f.doc->cycleDistance[0];
    const float last = f.doc->cycleDistance[f.doc->cycleCount - 1];
    int i = 0;
    for (auto _ : state) {
        // Far apart, so that the GPR window and the picture move every time.
        const float d = first + (last - first) * static_cast<float>((i++ * 37) % 100) / 100.0f;
        f.view->ClickAtDistance(d);
    }
}
BENCHMARK(BM_ClickInResultChart)->Unit(benchmark::kMillisecond);

void BM_MouseMoveReadouts(benchmark::State& state) {
    DataViewFixture& f = DataViewFixture::Get();
    f.view->RunCommand(ViewCommand::DataView3);
    const Rect plot = f.view->Objects().resultChart.plotRect;
    int i = 0;
    for (auto _ : state) {
        const QPointF at(plot.left + 1 + (i++ * 7) % (plot.Width() - 2),
                         (plot.top + plot.bottom) / 2);
        QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(f.view.get(), &move);
    }
}
BENCHMARK(BM_MouseMoveReadouts)->Unit(benchmark::kMicrosecond);

void BM_PictureStep(benchmark::State& state) {
    DataViewFixture& f = DataViewFixture::Get();
    f.view->RunCommand(ViewCommand::DataView3);
    CviewPicture& picture = f.view->Objects().picture;
    Canvas canvas;
    canvas.Resize(kWidth, kHeight);
    bool forward = true;
    for (auto _ : state) {
        if (picture.current <= 0)
            forward = true;
        if (picture.current >= f.doc->images.count - 1)
            forward = false;
        const Rect& button = picture.buttonRects[forward ? 3 : 2];
        picture.OnPictureClick(canvas, button.left + 1, button.top + 1);
    }
}
BENCHMARK(BM_PictureStep)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
