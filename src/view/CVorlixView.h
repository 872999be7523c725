#pragma once

#include "charts/Canvas.h"
#include "pipeline/RawFileLoader.h"
#include "view/DataViewMouse.h"
#include "view/DisplayObjects.h"
#include "view/DistanceLink.h"
#include "view/MapScreen.h"
#include "view/Screen.h"
#include "view/SectionsJob.h"
#include "view/SpectrumWindow.h"
#include "view/ViewCommand.h"

#include <QImage>
#include <QWidget>

#include <map>
#include <optional>
#include <utility>

class CVorlixDoc;
class ViewHost;

// The one view of the window. Every command draws its screen at once into the backing image
// of the canvas; paintEvent only copies that image. A resize draws the current screen again
// at the new size.
class CVorlixView : public QWidget {
    Q_OBJECT

public:
    using Screen = ::Screen;

    CVorlixView(CVorlixDoc& doc, ViewHost& host, QWidget* parent = nullptr);
    ~CVorlixView() override;

    // Runs one toolbar command.
    void RunCommand(ViewCommand command);
    // Opens a raw file without the file dialog (command line, drop, recent files) and shows
    // the result view. Returns false, with the reason on the host's status bar, when the file
    // could not be used; the data in place stay.
    bool OpenFile(const QString& path);
    // Sizes the backing image without waiting for a resize event (offscreen pictures).
    void SetClientSize(const QSize& size);
    // The path of a left click on the result chart at the column of a distance in feet.
    void ClickAtDistance(float distance);

    const QImage& Picture() const { return canvas_.Image(); }
    bool HasData() const;
    // The screen last drawn, which a resize draws again.
    Screen CurrentScreen() const { return screen_; }
    DisplayMode CurrentMode() const { return displayMode_; }
    SpectrumWindow CurrentSpectrumWindow() const { return spectrumWindow_; }
    const DisplayObjects& Objects() const { return objects_; }
    DisplayObjects& Objects() { return objects_; }

    // The sections and flags of the open file: null until they are computed, and again while
    // a new file's are.
    const sections::Result* Sections() const;
    const sections::Parameters& SectionParameters() const { return sectionParameters_; }
    bool SectionsComputing() const { return sectionsJob_.Running(); }
    // On, the sections are computed before a newly opened file is shown (offscreen pictures,
    // tests); off, on a worker thread while the window goes on.
    void SetSectionsSynchronous(bool synchronous) { sectionsSynchronous_ = synchronous; }
    // Reads the parameters of Vorlixsections.ini and computes the open file's sections anew.
    void ComputeSections();
    // Drops a computation in progress (another file, closing the window).
    void CancelSections();
    const std::string& RawPath() const;
    // The PDF report of the open file at `path`, from the sections computed (computed now when
    // they are not there yet); the outcome is on the status bar.
    bool WriteReport(const QString& path);
    // The distance span of the segment shown (its first and last cycle); empty ones are equal.
    std::pair<double, double> SegmentSpan() const;
    // Shows a place of the road as a click there does: the segment that holds it is read when
    // another is shown, then data view 1 with a pick at the distance. False when no segment
    // holds it.
    bool ShowRoadAt(double distance);
    // The sections' files beside the raw file: the sections and flags CSV, and with a GPS track
    // in degrees also the results CSV, the GeoJSON and the KML (the CSVs then with their
    // coordinates). The outcome is on the status bar.
    bool WriteSectionsCsv();
    // The map screen's scene and view (tests).
    const MapScreen& Map() const { return map_; }

signals:
    void sectionsChanged();
    void segmentShown();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void Options();
    void OpenWithDialog();
    bool OpenPath(const std::string& path);
    bool Reload(); // the current file again at options.currentSegment
    bool AfterLoad(const LoadResult& result);
    void StepSegment(bool next);
    void ShowSignalMode(DisplayMode mode);
    void ShowSpectrum(DisplayMode mode);
    void DrawSpectrum();
    void Page(int delta);
    void ShowResultView();
    void ResultRedraw();
    void ShowDataView(Screen view);
    void ShowOther();
    void ShowMap();
    void DrawMapScreen();
    void MapSceneChanged(); // the sections or the file changed: the map's scene is stale
    void TextExport();
    void ConversionExport();
    void Redraw();
    void Present();
    void ConnectPicture();
    std::string WorkDirectory() const;
    void SectionsFinished(const SectionsJob::Outcome& outcome);
    bool ReadSegmentHolding(double distance);
    bool Covers(int segment, double distance) const;

    CVorlixDoc& doc_;
    ViewHost& host_;
    RawFileLoader loader_;
    Canvas canvas_;
    DisplayObjects objects_;
    DistanceLink link_;
    DataViewMouse mouse_;
    SpectrumWindow spectrumWindow_;
    DisplayMode displayMode_ = DisplayMode::None; // what the page commands page through
    Screen screen_ = Screen::None;
    bool signalPaged_ = false; // the signal screen was reached by paging: it shows markers

    SectionsJob sectionsJob_;
    sections::Parameters sectionParameters_;
    sections::Result sections_;
    // Writes the sections' files of `result` (see WriteSectionsCsv); returns what was written, or
    // false with `error`.
    bool WriteSectionFiles(const sections::Result& result, QString* written, QString* error) const;
    sections::ClassLimits ClassLimitsOf(const sections::Result* result) const;

    sections::Profile profile_;                        // the profile the sections were found in
    std::optional<sections::ClassLimits> classLimits_; // of Vorlixsections.ini; none: quartiles
    std::string sectionsPath_; // the raw file the sections belong to; empty: none
    bool sectionsSynchronous_ = false;
    // The distance spans of the segments read since the file was opened.
    std::map<int, std::pair<double, double>> segmentSpans_;

    MapScreen map_;
    bool mapStale_ = true;
    std::string mapPath_; // the raw file whose track the map shows
};
