#include "view/CVorlixView.h"

#include "analysis/SectionClasses.h"
#include "analysis/Smoothing.h"
#include "charts/ReportFacts.h"
#include "document/CVorlixDoc.h"
#include "document/ConversionExport.h"
#include "pipeline/GeoExport.h"
#include "pipeline/GeoTrack.h"
#include "pipeline/ResultExport.h"
#include "pipeline/SectionsExport.h"
#include "pipeline/SectionsSettingsFile.h"
#include "pipeline/SegmentStepping.h"
#include "view/Screens.h"
#include "view/ViewHost.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

#include <cmath>
#include <filesystem>

namespace {

const QString kOpenCaption = QStringLiteral("Open Binary KVT test data file(*.KVT)");

QString FromStd(const std::string& s) {
    return QString::fromStdString(s);
}

// A progress dialog's cancel button, seen from the core's exports.
struct ProgressBridge {
    std::unique_ptr<ProgressSink> sink;
    bool cancelled = false;
    ProgressCallback Callback() {
        return [this](long long done, long long total) {
            if (sink && !sink->Step(done, total))
                cancelled = true;
        };
    }
    CancelCheck Check() {
        return [this] { return cancelled; };
    }
};

} // namespace

CVorlixView::CVorlixView(CVorlixDoc& doc, ViewHost& host, QWidget* parent)
    : QWidget(parent), doc_(doc), host_(host), objects_(doc), link_(objects_, doc),
      mouse_(objects_, doc, link_) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    ConnectPicture();
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
    canvas_.Resize(std::max(width(), 1), std::max(height(), 1), devicePixelRatioF());
    sectionsJob_.onProgress = [this](long long done, long long total) {
        host_.ShowStatus(QStringLiteral("Computing the sections: %1 of %2 segments read...")
                             .arg(done)
                             .arg(total));
    };
    sectionsJob_.onFinished = [this](const SectionsJob::Outcome& outcome) {
        SectionsFinished(outcome);
    };
}

CVorlixView::~CVorlixView() = default;

bool CVorlixView::HasData() const {
    return doc_.pointCount > 0 && !doc_.rawPath.empty();
}

void CVorlixView::RunCommand(ViewCommand command) {
    canvas_.BeginCommand();
    // Any command ends a play of the road pictures first.
    if (objects_.picture.IsPlaying()) {
        objects_.picture.StopPlay(canvas_);
        Present();
    }
    switch (command) {
    case ViewCommand::Options:
        Options();
        break;
    case ViewCommand::Open:
        OpenWithDialog();
        break;
    case ViewCommand::LoadSignal:
        ShowSignalMode(DisplayMode::LoadSignal);
        break;
    case ViewCommand::GeoSignal:
        ShowSignalMode(DisplayMode::GeoSignal);
        break;
    case ViewCommand::LoadSpectrum:
        ShowSpectrum(DisplayMode::LoadSpectrum);
        break;
    case ViewCommand::GeoSpectrum:
        ShowSpectrum(DisplayMode::GeoSpectrum);
        break;
    case ViewCommand::LoadFiltered:
        ShowSignalMode(DisplayMode::LoadFiltered);
        break;
    case ViewCommand::GeoFiltered:
        ShowSignalMode(DisplayMode::GeoFiltered);
        break;
    case ViewCommand::PreviousPage:
        Page(-1);
        break;
    case ViewCommand::NextPage:
        Page(+1);
        break;
    case ViewCommand::ResultView:
        ShowResultView();
        break;
    case ViewCommand::DataView1:
        ShowDataView(Screen::DataView1);
        break;
    case ViewCommand::DataView2:
        ShowDataView(Screen::DataView2);
        break;
    case ViewCommand::DataView3:
        ShowDataView(Screen::DataView3);
        break;
    case ViewCommand::DataView4:
        ShowDataView(Screen::DataView4);
        break;
    case ViewCommand::PreviousSegment:
        StepSegment(false);
        break;
    case ViewCommand::NextSegment:
        StepSegment(true);
        break;
    case ViewCommand::Other:
        ShowOther();
        break;
    case ViewCommand::TextExport:
        TextExport();
        break;
    case ViewCommand::ConversionExport:
        ConversionExport();
        break;
    case ViewCommand::Exit:
        host_.RequestExit();
        break;
    case ViewCommand::Map:
        ShowMap();
        break;
    }
}

void CVorlixView::Options() {
    const OptionsChanges changes = host_.EditOptions(doc_.options);
    // Only OK stores the settings; a failed write leaves the new settings in force for this run.
    std::string error;
    if (changes.accepted && !doc_.options.SaveSettings(&error))
        host_.ShowStatus(error.empty()
                             ? QStringLiteral("The settings file %1 could not be written.")
                                   .arg(QString::fromLocal8Bit(doc_.options.settingsPath))
                             : QString::fromLocal8Bit(error));
    if (doc_.pointCount < 100)
        return;
    // A setting the analysis reads takes the segment through the analysis again (the read
    // smooths and shows the results); the smoothing alone is only run anew.
    if (changes.geophoneChanged || changes.analysisChanged) {
        Reload();
        // The export's profile follows the analysis settings, so the sections do too.
        ComputeSections();
        return;
    }
    smoothing::SmoothResults(doc_, smoothing::SettingsOf(doc_.options));
    ShowResultView();
}

void CVorlixView::OpenWithDialog() {
    const QString path = host_.ChooseRawFile(kOpenCaption);
    if (path.isEmpty() || path.startsWith(QLatin1Char('*')))
        return;
    OpenPath(path.toStdString());
}

bool CVorlixView::OpenFile(const QString& path) {
    return OpenPath(path.toStdString());
}

bool CVorlixView::OpenPath(const std::string& path) {
    const LoadResult result = loader_.OpenNewFile(doc_, path);
    if (result.segmentRead) {
        host_.FileOpened(FromStd(path));
        // What was found on the file shown before is not this file's.
        CancelSections();
        sections_ = {};
        profile_ = {};
        sectionsPath_.clear();
        MapSceneChanged();
        segmentSpans_.clear();
        emit sectionsChanged();
    }
    const bool used = AfterLoad(result);
    if (result.segmentRead)
        ComputeSections();
    return used;
}

bool CVorlixView::Reload() {
    return AfterLoad(loader_.ReloadCurrentFile(doc_));
}

// The window side of every read: the title, the station table, the readout settings and the
// result view. A refused file leaves the window as it was, with the reason on the status bar.
bool CVorlixView::AfterLoad(const LoadResult& result) {
    if (!result.segmentRead) {
        // An analysis that cannot run is an error of the settings, shown as such; nothing of
        // the file was read, and the window stays as it was.
        if (result.analysisFailed)
            host_.ShowMessage(FromStd(result.message));
        else
            host_.ShowStatus(FromStd(result.message));
        if (doc_.pointCount == 0) {
            // The file shrank under us and nothing of it is left: show an empty screen.
            screen_ = Screen::None;
            canvas_.FillSolidRect(canvas_.ClientRect(), Rgb(255, 255, 255));
            Present();
        }
        return false;
    }
    host_.SetWindowTitle(FromStd(result.title));
    segmentSpans_[doc_.options.currentSegment] = SegmentSpan();
    doc_.dmiTable.Decimate(doc_.profileSource.data(), doc_.groupCount);
    objects_.layout.layoutKind = LayoutKind::DataView3;
    objects_.layout.clientRect = canvas_.ClientRect();
    objects_.layout.ComputeLayout(doc_.options.showGprColormap != 0);
    objects_.TakeSignalRanges(doc_);
    screens::ResetAfterOpen(objects_);
    ShowResultView();
    emit segmentShown();
    if (result.analysisFailed) {
        host_.ShowMessage(FromStd(result.message));
        return false;
    }
    host_.ShowStatus(FromStd(result.companionNote));
    return true;
}

void CVorlixView::StepSegment(bool next) {
    if (!HasData())
        return;
    const int shown = doc_.options.currentSegment;
    if (!(next ? StepToNextSegment(doc_.options) : StepToPreviousSegment(doc_.options)))
        return;
    const int asked = doc_.options.currentSegment;
    const LoadResult result = loader_.ReloadCurrentFile(doc_);
    // Refused before the read: the window stays on the segment it shows.
    if (!result.fileOpened)
        doc_.options.currentSegment = shown;
    // A file that shrank since it was opened is read as it is now, up to its last segment.
    if (AfterLoad(result) && doc_.options.currentSegment != asked)
        host_.ShowStatus(
            QStringLiteral("%1 has changed: it now has %2 segments; segment %3 is shown.")
                .arg(FromStd(doc_.rawPath))
                .arg(doc_.options.segmentCount)
                .arg(doc_.options.currentSegment + 1));
}

void CVorlixView::ShowSignalMode(DisplayMode mode) {
    if (!HasData())
        return;
    screens::DrawSignalMode(canvas_, objects_, doc_, mode);
    displayMode_ = mode;
    screen_ = Screen::Signal;
    signalPaged_ = false;
    Present();
}

void CVorlixView::ShowSpectrum(DisplayMode mode) {
    if (!HasData())
        return;
    spectrumWindow_ = spectrumwindow::First(doc_.pointCount);
    displayMode_ = mode;
    DrawSpectrum();
}

void CVorlixView::DrawSpectrum() {
    if (doc_.pointCount < spectrumwindow::kMinimumPoints) {
        host_.ShowStatus(QStringLiteral("The segment is too short for a power spectrum."));
        return;
    }
    std::string error;
    if (!screens::DrawSpectrum(canvas_, objects_, doc_, displayMode_, spectrumWindow_, &error)) {
        host_.ShowMessage(FromStd(error));
        return;
    }
    screen_ = Screen::Spectrum;
    Present();
}

void CVorlixView::Page(int delta) {
    if (!HasData())
        return;
    if (IsSpectrum(displayMode_)) {
        spectrumWindow_ = delta < 0 ? spectrumwindow::Previous(spectrumWindow_, doc_.pointCount)
                                    : spectrumwindow::Next(spectrumWindow_, doc_.pointCount);
        DrawSpectrum();
        return;
    }
    const int page = objects_.signalFigure.currentPage + delta;
    if (screens::DrawSignalPage(canvas_, objects_, doc_, displayMode_, page)) {
        screen_ = Screen::Signal;
        signalPaged_ = true;
        Present();
    }
}

void CVorlixView::ShowResultView() {
    if (!HasData())
        return;
    screens::DrawResultView(canvas_, objects_, doc_, Sections());
    screen_ = Screen::Result;
    Present();
}

void CVorlixView::ShowDataView(Screen view) {
    if (!HasData())
        return;
    const DistanceLink::Marks kept = link_.Kept();
    screens::DrawDataView(canvas_, objects_, doc_, view, Sections());
    // Data view 4 keeps the cursor lines of the screen before it, where it shows their distance.
    if (view == Screen::DataView4)
        link_.RestoreCursors(canvas_, kept);
    screen_ = view;
    Present();
}

void CVorlixView::ShowOther() {
    if (!HasData())
        return;
    screens::DrawOther(canvas_, objects_, doc_);
    screen_ = Screen::Other;
    Present();
}

void CVorlixView::ShowMap() {
    if (!HasData())
        return;
    DrawMapScreen();
    screen_ = Screen::Map;
    Present();
}

void CVorlixView::MapSceneChanged() {
    mapStale_ = true;
}

// The map of the whole file: its track, and the results, sections and flags once they are
// computed.
void CVorlixView::DrawMapScreen() {
    const sections::Result* road = Sections();
    if (mapStale_) {
        static const sections::Profile kNoProfile;
        static const sections::Result kNoResult;
        map_.SetScene(BuildMapScene(road ? profile_ : kNoProfile, road ? *road : kNoResult,
                                    geo::GeoTrack(doc_.gps), ClassLimitsOf(road)),
                      mapPath_ == doc_.rawPath);
        mapPath_ = doc_.rawPath;
        mapStale_ = false;
    }
    const QString name = FromStd(std::filesystem::path(doc_.rawPath).filename().string());
    QString note;
    if (!map_.Scene().HasTrack())
        note = QStringLiteral("Nothing to put on the map.");
    else if (!road)
        note = SectionsComputing()
                   ? QStringLiteral("Computing the sections: the track is shown without them.")
                   : QStringLiteral("No sections: the track is shown alone.");
    else
        note = QStringLiteral("%1 sections, %2 flags.   Wheel: zoom.   Drag: move.   Home: the "
                              "whole track.   Click on the track: data view 1 there.")
                   .arg(road->sections.size())
                   .arg(road->flags.size());
    map_.Draw(canvas_, objects_, doc_, QStringLiteral("Map of %1").arg(name), note);
}

void CVorlixView::TextExport() {
    if (!HasData())
        return;
    ProgressBridge progress;
    progress.sink = host_.StartProgress(QStringLiteral("Exporting the results..."));
    sections::Profile profile;
    ExportOptions options;
    options.profile = &profile;
    const ExportStatus status = ExportResults(doc_, loader_, doc_.txtPath, doc_.rdoPath, options,
                                              progress.Callback(), progress.Check());
    progress.sink.reset();
    if (status.finalReloadRun)
        AfterLoad(status.finalLoad);
    if (status.ok) {
        // The profile just written is the one of the sections: they need no computation of
        // their own any more.
        CancelSections();
        sections_ = sections::Analyse(profile, sectionParameters_);
        profile_ = std::move(profile);
        sectionsPath_ = doc_.rawPath;
        MapSceneChanged();
        emit sectionsChanged();
        Redraw();
        QString written, error;
        const QString csv = WriteSectionFiles(sections_, &written, &error)
                                ? QStringLiteral(", %1").arg(written)
                                : QStringLiteral("; the sections were not written: %1").arg(error);
        host_.ShowStatus(QStringLiteral("Exported %1 results of %2 segments to %3 and %4%5")
                             .arg(status.resultCount)
                             .arg(status.segmentCount)
                             .arg(FromStd(doc_.txtPath), FromStd(doc_.rdoPath), csv));
    } else if (status.message == kCancelledMessage)
        host_.ShowStatus(QStringLiteral("Export cancelled; no file was replaced."));
    else
        host_.ShowStatus(QStringLiteral("Export failed: %1").arg(FromStd(status.message)));
}

void CVorlixView::ConversionExport() {
    const QString path = host_.ChooseRawFile(kOpenCaption);
    if (path.isEmpty() || path.startsWith(QLatin1Char('*')))
        return;
    const std::string raw = path.toStdString();
    ProgressBridge progress;
    progress.sink = host_.StartProgress(QStringLiteral("Converting %1...").arg(path));
    // The loaded file keeps its own channel table: the converted file's is not needed after.
    const ConversionStatus status = ConvertRawFile(raw, conversion::DefaultOutputBase(raw), nullptr,
                                                   progress.Callback(), progress.Check());
    progress.sink.reset();
    if (status.ok)
        host_.ShowStatus(QStringLiteral("Converted %1 groups to %2 and %3")
                             .arg(status.groupCount)
                             .arg(FromStd(status.aPath), FromStd(status.cPath)));
    else if (status.message == kCancelledMessage)
        host_.ShowStatus(QStringLiteral("Conversion cancelled; no file was replaced."));
    else
        host_.ShowStatus(QStringLiteral("Conversion failed: %1").arg(FromStd(status.message)));
}

void CVorlixView::SetClientSize(const QSize& size) {
    const int w = std::max(size.width(), 1);
    const int h = std::max(size.height(), 1);
    const qreal ratio = devicePixelRatioF();
    if (w == canvas_.Width() && h == canvas_.Height() && ratio == canvas_.DevicePixelRatio())
        return;
    canvas_.Resize(w, h, ratio);
    Redraw();
}

// Draws the current screen again, at the canvas's present size.
void CVorlixView::Redraw() {
    switch (screen_) {
    case Screen::None:
        canvas_.FillSolidRect(canvas_.ClientRect(), Rgb(255, 255, 255));
        break;
    case Screen::Signal: {
        const int firstSample = objects_.signalFigure.pageStart;
        const int page = objects_.signalFigure.currentPage;
        screens::DrawSignalMode(canvas_, objects_, doc_, displayMode_);
        // A paged screen keeps its cycle markers, on its first page too.
        if (page > 0 || signalPaged_) {
            // The page that now holds the first sample shown before.
            const int perPage = std::max<int>(objects_.signalFigure.columnsPerPage, 1);
            const int target = std::min<int>(firstSample / perPage,
                                             std::max(objects_.signalFigure.pageCount - 1, 0));
            screens::DrawSignalPage(canvas_, objects_, doc_, displayMode_, target);
        }
        break;
    }
    case Screen::Spectrum:
        DrawSpectrum();
        break;
    case Screen::Result:
        screens::DrawResultView(canvas_, objects_, doc_, Sections());
        break;
    case Screen::Other:
        screens::DrawOther(canvas_, objects_, doc_);
        break;
    case Screen::Map:
        DrawMapScreen();
        break;
    case Screen::DataView1:
    case Screen::DataView2:
    case Screen::DataView3:
    case Screen::DataView4: {
        // The picks stay: the same distances drawn at the new size.
        const DistanceLink::Marks kept = link_.Kept();
        screens::DrawDataView(canvas_, objects_, doc_, screen_, Sections());
        link_.Restore(canvas_, kept);
        break;
    }
    }
    Present();
}

void CVorlixView::Present() {
    update();
}

void CVorlixView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), canvas_.Image());
}

void CVorlixView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SetClientSize(event->size());
}

// The picture viewer's buttons and play move the linked charts through the link, and talk to
// the window through the host.
void CVorlixView::ConnectPicture() {
    CviewPicture& picture = objects_.picture;
    picture.onPictureShown = [this](int distance, bool forwards) {
        link_.PictureShown(canvas_, distance, forwards);
    };
    picture.onFrame = [this] { Present(); };
    picture.chooseSavePath = [this] { return host_.ChooseSavePath(); };
    picture.showStatus = [this](const QString& message) { host_.ShowStatus(message); };
    picture.setTitle = [this](const QString& title) { host_.SetWindowTitle(title); };
}

void CVorlixView::ClickAtDistance(float distance) {
    if (!mouse_.Active())
        return;
    canvas_.BeginCommand();
    link_.PickDistance(canvas_, distance);
    Present();
}

void CVorlixView::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    // During a play only a click on the picture counts: it stops the play.
    if (objects_.picture.IsPlaying() && !objects_.picture.viewRect.Contains(p.x(), p.y()))
        return;
    if (screen_ == Screen::Map) {
        if (event->button() == Qt::LeftButton)
            map_.Press(event->position());
        return;
    }
    if (event->button() == Qt::LeftButton && mouse_.Active()) {
        canvas_.BeginCommand();
        mouse_.LeftDown(canvas_, p.x(), p.y());
        Present();
    }
    QWidget::mousePressEvent(event);
}

void CVorlixView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    canvas_.BeginCommand();
    if (screen_ == Screen::Map) {
        const bool changed = event->buttons().testFlag(Qt::LeftButton)
                                 ? map_.Drag(canvas_, event->position())
                                 : map_.ShowReadoutsAt(canvas_, objects_, event->position());
        if (changed)
            Present();
        return;
    }
    mouse_.Move(canvas_, p.x(), p.y(), event->modifiers().testFlag(Qt::ShiftModifier));
    if (mouse_.Active())
        Present();
    QWidget::mouseMoveEvent(event);
}

void CVorlixView::mouseReleaseEvent(QMouseEvent* event) {
    if (screen_ == Screen::Map) {
        const int clicked =
            event->button() == Qt::LeftButton ? map_.Release(event->position()) : -1;
        const double distance =
            clicked >= 0 ? map_.Scene().results[static_cast<std::size_t>(clicked)].distance : 0.0;
        if (clicked >= 0 && !ShowRoadAt(distance))
            host_.ShowStatus(
                QStringLiteral("No segment of the file holds %1 ft.").arg(distance, 0, 'f', 2));
        return;
    }
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        canvas_.BeginCommand();
        mouse_.LeftUp(canvas_, p.x(), p.y());
        Present();
    }
    QWidget::mouseReleaseEvent(event);
}

// The second press of a double-click is not a click of its own: a double-click on "step
// forward" steps once, one on "play" leaves the play running.
void CVorlixView::mouseDoubleClickEvent(QMouseEvent*) {}

void CVorlixView::keyPressEvent(QKeyEvent* event) {
    if (objects_.picture.IsPlaying()) {
        objects_.picture.OnKeyDuringPlay(event->key());
        return;
    }
    if (screen_ == Screen::Map && event->key() == Qt::Key_Home) {
        canvas_.BeginCommand();
        map_.FitWholeTrack(canvas_);
        Present();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CVorlixView::wheelEvent(QWheelEvent* event) {
    if (screen_ != Screen::Map) {
        QWidget::wheelEvent(event);
        return;
    }
    canvas_.BeginCommand();
    map_.Zoom(canvas_, event->position(), event->angleDelta().y() / 120.0);
    Present();
    event->accept();
}

// The "Edit" menu of the view: copying puts the screen on the clipboard; there is nothing to
// cut or paste.
void CVorlixView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("Cu&t\tCtrl+X"))->setEnabled(false);
    QAction* copy = menu.addAction(QStringLiteral("&Copy\tCtrl+C"));
    menu.addAction(QStringLiteral("&Paste\tCtrl+V"))->setEnabled(false);
    if (menu.exec(event->globalPos()) == copy)
        QApplication::clipboard()->setImage(canvas_.Image());
}

// The sections --------------------------------------------------------------------------------

const sections::Result* CVorlixView::Sections() const {
    return !sectionsPath_.empty() && sectionsPath_ == doc_.rawPath ? &sections_ : nullptr;
}

std::string CVorlixView::WorkDirectory() const {
    const std::filesystem::path folder =
        std::filesystem::path(doc_.options.settingsPath).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

void CVorlixView::ComputeSections() {
    CancelSections();
    if (!HasData())
        return;
    SectionsSettingsFile settings;
    std::string error;
    if (!settings.Load(WorkDirectory(), &error)) {
        host_.ShowStatus(QStringLiteral("The sections were not computed: %1").arg(FromStd(error)));
        emit sectionsChanged();
        return;
    }
    sectionParameters_ = settings.parameters;
    classLimits_ = settings.classLimits;
    if (sectionsSynchronous_) {
        SectionsFinished(SectionsJob::Compute(doc_.rawPath, WorkDirectory(), sectionParameters_));
        return;
    }
    host_.ShowStatus(QStringLiteral("Computing the sections..."));
    sectionsJob_.Start(doc_.rawPath, WorkDirectory(), sectionParameters_);
    emit sectionsChanged();
}

void CVorlixView::CancelSections() {
    sectionsJob_.Cancel();
}

const std::string& CVorlixView::RawPath() const {
    return doc_.rawPath;
}

bool CVorlixView::WriteReport(const QString& path) {
    if (!HasData()) {
        host_.ShowStatus(QStringLiteral("No file is open: there is nothing to report."));
        return false;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (!Sections() || SectionsComputing()) {
        // Not there yet, or being computed anew for changed settings: computed here, the
        // window waiting, so that the report matches the settings it lists.
        const bool synchronous = sectionsSynchronous_;
        sectionsSynchronous_ = true;
        ComputeSections();
        sectionsSynchronous_ = synchronous;
    }
    const sections::Result* result = Sections();
    bool written = false;
    std::string error;
    if (result) {
        const report::ReportContent content =
            report::ContentOf({doc_, profile_, *result, sectionParameters_, classLimits_});
        written = report::WriteReport(content, path.toStdString(), &error);
    }
    QGuiApplication::restoreOverrideCursor();
    if (!result)
        return false; // the status bar says why the sections are missing
    host_.ShowStatus(written ? QStringLiteral("Report written to %1.").arg(path)
                             : QStringLiteral("No report written: %1").arg(FromStd(error)));
    return written;
}

void CVorlixView::SectionsFinished(const SectionsJob::Outcome& outcome) {
    if (outcome.rawPath != doc_.rawPath)
        return;
    if (!outcome.ok) {
        host_.ShowStatus(
            QStringLiteral("The sections were not computed: %1").arg(FromStd(outcome.message)));
        return;
    }
    sections_ = outcome.result;
    profile_ = outcome.profile;
    sectionsPath_ = outcome.rawPath;
    MapSceneChanged();
    host_.ShowStatus(QStringLiteral("%1 sections and %2 flags over %3 segments.")
                         .arg(sections_.sections.size())
                         .arg(sections_.flags.size())
                         .arg(outcome.segmentCount));
    emit sectionsChanged();
    // The screens with the result chart take them at once; a play of the pictures is left alone.
    const bool resultChart = screen_ == Screen::Result || screen_ == Screen::DataView1 ||
                             screen_ == Screen::DataView2 || screen_ == Screen::DataView3 ||
                             screen_ == Screen::DataView4 || screen_ == Screen::Map;
    if (resultChart && !objects_.picture.IsPlaying()) {
        canvas_.BeginCommand();
        Redraw();
    }
}

std::pair<double, double> CVorlixView::SegmentSpan() const {
    if (doc_.cycleCount <= 0)
        return {0.0, 0.0};
    return {doc_.cycleDistance[0], doc_.cycleDistance[doc_.cycleCount - 1]};
}

bool CVorlixView::Covers(int segment, double distance) const {
    // The 1-ft results at a segment's ends lie up to a foot beyond its first and last cycle.
    constexpr double kSlack = 1.5;
    const auto span = segmentSpans_.find(segment);
    return span != segmentSpans_.end() && distance >= span->second.first - kSlack &&
           distance <= span->second.second + kSlack;
}

// Reads segments until one holds the distance, starting from a guess: the segments hold the
// same number of groups, so about the same length of road. Between two segments, the nearer.
bool CVorlixView::ReadSegmentHolding(double distance) {
    const int count = doc_.options.segmentCount;
    const int shown = doc_.options.currentSegment;
    int loaded = shown;
    LoadResult last;
    auto read = [&](int segment) {
        doc_.options.currentSegment = segment;
        last = loader_.ReloadCurrentFile(doc_);
        if (!last.segmentRead)
            return false;
        loaded = segment;
        segmentSpans_[segment] = SegmentSpan();
        return true;
    };
    int segment = shown;
    const auto [low, high] = SegmentSpan();
    if (high > low)
        segment += static_cast<int>(std::floor((distance - low) / (high - low)));
    segment = std::clamp(segment, 0, std::max(count - 1, 0));
    int target = -1;
    bool failed = false;
    for (int tries = 0; tries <= count && target < 0; ++tries) {
        if (!segmentSpans_.count(segment) && !read(segment)) {
            failed = true;
            break;
        }
        if (Covers(segment, distance)) {
            target = segment;
            break;
        }
        const auto [from, to] = segmentSpans_[segment];
        const bool before = distance < from;
        const int next = before ? segment - 1 : segment + 1;
        if (next < 0 || next >= count) {
            target = segment; // beyond an end of the road: its last segment that way
            break;
        }
        if (segmentSpans_.count(next) && !Covers(next, distance)) {
            const auto [nextFrom, nextTo] = segmentSpans_[next];
            const double here = before ? from - distance : distance - to;
            const double there = before ? distance - nextTo : nextFrom - distance;
            target = there >= 0.0 && there < here ? next : segment;
            break;
        }
        segment = next;
    }
    if (!failed && target >= 0 && target != loaded && !read(target))
        failed = true;
    if (failed || target < 0) {
        doc_.options.currentSegment = shown;
        if (loaded != shown)
            AfterLoad(loader_.ReloadCurrentFile(doc_));
        else if (!last.segmentRead && !last.message.empty())
            host_.ShowStatus(FromStd(last.message));
        return false;
    }
    if (loaded != shown)
        AfterLoad(last);
    return true;
}

bool CVorlixView::ShowRoadAt(double distance) {
    if (!HasData() || !std::isfinite(distance))
        return false;
    canvas_.BeginCommand();
    if (objects_.picture.IsPlaying()) {
        objects_.picture.StopPlay(canvas_);
        Present();
    }
    if (!Covers(doc_.options.currentSegment, distance) && !ReadSegmentHolding(distance))
        return false;
    ShowDataView(Screen::DataView1);
    const auto [from, to] = SegmentSpan();
    canvas_.BeginCommand();
    link_.PickDistance(canvas_, static_cast<float>(std::clamp(distance, from, to)));
    Present();
    return true;
}

bool CVorlixView::WriteSectionsCsv() {
    const sections::Result* result = Sections();
    if (!result) {
        host_.ShowStatus(QStringLiteral("No sections to write yet."));
        return false;
    }
    QString written, error;
    if (!WriteSectionFiles(*result, &written, &error)) {
        host_.ShowStatus(QStringLiteral("The sections were not written: %1").arg(error));
        return false;
    }
    host_.ShowStatus(QStringLiteral("Written: %1").arg(written));
    return true;
}

sections::ClassLimits CVorlixView::ClassLimitsOf(const sections::Result* result) const {
    if (classLimits_)
        return *classLimits_;
    return sections::DefaultClassLimits(result ? result->sections
                                               : std::vector<sections::Section>{});
}

bool CVorlixView::WriteSectionFiles(const sections::Result& result, QString* written,
                                    QString* error) const {
    std::string why;
    const geo::GeoTrack track(doc_.gps);
    if (!track.Usable()) {
        const sectionsexport::CsvPaths paths = sectionsexport::CsvPathsOf(doc_.rawPath);
        if (!sectionsexport::WriteCsvFiles(paths, result, &why)) {
            *error = FromStd(why);
            return false;
        }
        *written =
            QStringLiteral("sections and flags to %1 and %2 (no map files: %3)")
                .arg(FromStd(paths.sections), FromStd(paths.flags), FromStd(track.Problem()));
        return true;
    }
    const geoexport::GeoPaths paths = geoexport::GeoPathsOf(doc_.rawPath);
    const geoexport::GeoInput input{profile_, result, ClassLimitsOf(&result), track,
                                    std::filesystem::path(doc_.rawPath).filename().string()};
    if (!geoexport::WriteGeoFiles(paths, input, &why)) {
        *error = FromStd(why);
        return false;
    }
    *written = QStringLiteral("sections and flags to %1 and %2, located results and map files to "
                              "%3, %4 and %5")
                   .arg(FromStd(paths.sections), FromStd(paths.flags), FromStd(paths.results),
                        FromStd(paths.geojson), FromStd(paths.kml));
    return true;
}
