#pragma once

#include "charts/Canvas.h"
#include "charts/Rect.h"

#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Czipimg;
class QTimer;

// The road-picture viewer of the data views: the picture nearest a distance, stretched into
// viewRect, with its distance as a caption and a row of seven buttons (first, play backwards,
// step back, step forward, play forwards, last, save).
//
// A play shows one picture per tick of a timer at the play rate (10 pictures a second unless
// the window sets another), so the window keeps taking clicks and keys while it runs; the view
// routes them here (OnPictureClick, OnKeyDuringPlay) and stops the play before any other command
// (StopPlay). The canvas given to the click that started a play is drawn on by its ticks, so it
// must outlive the play.
class CviewPicture {
public:
    explicit CviewPicture(Czipimg& store);
    virtual ~CviewPicture();
    CviewPicture(const CviewPicture&) = delete;
    CviewPicture& operator=(const CviewPicture&) = delete;

    // Shows the picture nearest to `distance` (whole feet): the one within 15 pictures of the
    // current one, or of all of them when that one is more than 30 ft off. Returns the index
    // shown, or the current one, without drawing, when it is already the nearest.
    int GoToDistance(int distance, Canvas& dc);
    // Draws picture index stretched into viewRect with its caption and makes it current;
    // nothing for an index outside the pictures. A picture that cannot be read or decoded
    // leaves viewRect white under the caption and says why on the status bar.
    void ShowImage(Canvas& dc, int index);
    // The caption " %d ml  %d ft  " in blue 10-point Arial Black at the bottom left.
    void DrawCaption(int distance, Canvas& dc);
    // Draws the seven buttons at (left + 5 + 20 (k - 1), top + 5), keeps their rectangles and
    // sets playState to 1.
    void DrawButtons(Canvas& dc);
    // 0 outside viewRect, 1 to 7 on a button, -1 inside viewRect but on no button.
    int HitButton(int x, int y) const;
    // A click in the picture rectangle: the button actions. A click in viewRect while a play
    // runs only stops it; one outside is dropped.
    void OnPictureClick(Canvas& dc, int x, int y);
    bool IsPlaying() const;
    // Pictures a second of a play, kept within 1 to kMaxPlayRate; a running play keeps its pace
    // until the next start.
    void SetPlayRate(int picturesPerSecond);
    int PlayRate() const { return playRate_; }
    // Stops a running play: playState 1 and the buttons drawn. Nothing when no play runs.
    void StopPlay(Canvas& dc);
    // A key pressed during a play writes "%d---%d" (key, 0) into the frame title.
    void OnKeyDuringPlay(int key);
    // Picture index saved unchanged to a file the user chooses (".JPG" added to a name without
    // an extension); the outcome goes to the status bar.
    void SaveImage(int index);

    static constexpr int kDefaultPlayRate = 10;
    static constexpr int kMaxPlayRate = 1000;

    static QString CaptionText(int distance);
    static CanvasFont CaptionFont() {
        return CanvasFont{100, QStringLiteral("Arial Black"), QFont::Black};
    }
    static constexpr QRgb kCaptionColour = Rgb(0, 0, 255);
    // The texts of the save dialog the view shows for chooseSavePath.
    static QString SaveDialogTitle() { return QStringLiteral("Save he screen to File"); }
    static QString SaveDialogFilter() { return QStringLiteral("*.JPG"); }

    // Hooks the view fills. A picture was shown by a button or the play: move cursor 1 and,
    // with the GPR display, the GPR window (forwards false only while playing backwards). The
    // canvas changed during a play tick (repaint). The save dialog (an empty path: cancelled).
    // Status-bar messages. The frame title.
    std::function<void(int distance, bool forwards)> onPictureShown;
    std::function<void()> onFrame;
    std::function<QString()> chooseSavePath;
    std::function<void(const QString&)> showStatus;
    std::function<void(const QString&)> setTitle;

    Rect viewRect;
    Rect bandRect; // upper quarter of viewRect, set by the data views; not drawn on here
    int current = 0;
    std::int16_t playState = 0; // 0 after a jump, 1 stopped with buttons drawn, 2 playing
    Rect buttonRects[7];
    int step = 1;
    QPoint clickOrigin;

private:
    int Count() const;
    bool ValidIndex(int index) const;
    void Status(const QString& message) const;
    void Shown(int index, bool forwards);
    void StartPlay(Canvas& dc, int direction);
    void PlayTick();
    void FinishPlay();

    Czipimg& store_;
    std::vector<std::uint8_t> bytes_; // one picture's data, reserved once
    std::unique_ptr<QTimer> playTimer_;
    Canvas* playCanvas_ = nullptr;
    int playNext_ = 0;
    int playDirection_ = 1;
    int playRate_ = kDefaultPlayRate;
};
