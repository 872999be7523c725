#include "images/CviewPicture.h"

#include "document/AtomicFileWriter.h"
#include "document/Czipimg.h"
#include "images/PictureButtons.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kWindow = 15;        // pictures searched on either side of the current one
constexpr long long kNearFt = 30;  // farther than this from the window's best: search all
constexpr int kButtonMargin = 5;   // first button's offset from viewRect's top-left corner
constexpr int kButtonPitch = 20;   // from one button to the next
constexpr int kCaptionIndent = 20; // caption's offset from viewRect's left edge

} // namespace

CviewPicture::CviewPicture(Czipimg& store) : store_(store) {
    bytes_.reserve(Czipimg::kMaxPictureBytes);
}

CviewPicture::~CviewPicture() = default;

int CviewPicture::Count() const {
    return std::min(store_.count, static_cast<int>(store_.distance.size()));
}

bool CviewPicture::ValidIndex(int index) const {
    return index >= 0 && index < Count();
}

void CviewPicture::Status(const QString& message) const {
    if (showStatus)
        showStatus(message);
}

void CviewPicture::Shown(int index, bool forwards) {
    if (onPictureShown && ValidIndex(index))
        onPictureShown(store_.distance[static_cast<std::size_t>(index)], forwards);
}

QString CviewPicture::CaptionText(int distance) {
    return QString::asprintf(" %d ml  %d ft  ", distance / 5280, distance % 5280);
}

int CviewPicture::GoToDistance(int distance, Canvas& dc) {
    const int count = Count();
    if (!ValidIndex(current))
        current = count / 2;
    if (count <= 0)
        return current;
    auto off = [&](int i) {
        return std::llabs(static_cast<long long>(store_.distance[static_cast<std::size_t>(i)]) -
                          distance);
    };
    int best = current;
    long long bestDiff = off(current);
    // The window stops short of the last picture; the full search below still reaches it.
    const int last = std::min(current + kWindow, count - 1);
    for (int i = std::max(0, current - kWindow); i < last; ++i) {
        if (off(i) < bestDiff) {
            best = i;
            bestDiff = off(i);
        }
    }
    if (off(best) > kNearFt) {
        best = current;
        bestDiff = off(current);
        for (int i = 0; i < count; ++i) {
            if (off(i) < bestDiff) {
                best = i;
                bestDiff = off(i);
            }
        }
    }
    if (best == current)
        return best;
    ShowImage(dc, best);
    playState = 0;
    return best;
}

void CviewPicture::ShowImage(Canvas& dc, int index) {
    if (!ValidIndex(index))
        return;
    std::string error;
    bool drawn = false;
    if (store_.PictureBytes(index, &bytes_, &error)) {
        QImage picture;
        if (picture.loadFromData(bytes_.data(), static_cast<int>(bytes_.size()))) {
            // Stretched to the rectangle at the canvas's own resolution.
            const qreal ratio = dc.DevicePixelRatio();
            const int w = viewRect.Width();
            const int h = viewRect.Height();
            if (w > 0 && h > 0) {
                QImage stretched = picture.scaled(static_cast<int>(std::lround(w * ratio)),
                                                  static_cast<int>(std::lround(h * ratio)),
                                                  Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                stretched.setDevicePixelRatio(ratio);
                dc.DrawBlock(viewRect.left, viewRect.top, stretched, QRect(0, 0, w, h));
            }
            drawn = true;
        } else {
            error = "Picture " + std::to_string(index) + " of \"" + store_.imgPath +
                    "\" is not an image that can be shown.";
        }
    }
    if (!drawn) {
        dc.FillSolidRect(viewRect, Rgb(255, 255, 255));
        Status(QString::fromStdString(error));
    }
    current = index;
    DrawCaption(store_.distance[static_cast<std::size_t>(index)], dc);
}

void CviewPicture::DrawCaption(int distance, Canvas& dc) {
    const CanvasFont oldFont = dc.SelectFont(CaptionFont());
    const QRgb oldColour = dc.SetTextColour(kCaptionColour);
    const bool oldTransparent = dc.SetTransparentBackground(true);
    dc.SetTextAlign(HAlign::Left, VAlign::Top);
    const int h = dc.TextExtent(QStringLiteral("H")).height();
    dc.TextOut(viewRect.left + kCaptionIndent, viewRect.bottom - static_cast<int>(1.5 * h),
               CaptionText(distance));
    dc.SetTransparentBackground(oldTransparent);
    dc.SetTextColour(oldColour);
    dc.SelectFont(oldFont);
}

void CviewPicture::DrawButtons(Canvas& dc) {
    using B = PictureButtons;
    const QImage strip = B::Strip(dc.DevicePixelRatio());
    for (int k = 1; k <= B::kCount; ++k) {
        const int x = viewRect.left + kButtonMargin + kButtonPitch * (k - 1);
        const int y = viewRect.top + kButtonMargin;
        dc.DrawBlock(x, y, strip, QRect(B::kWidth * (k - 1), 0, B::kWidth, B::kHeight));
        buttonRects[k - 1] = Rect{x, y, x + B::kWidth, y + B::kHeight};
    }
    playState = 1;
}

int CviewPicture::HitButton(int x, int y) const {
    if (!viewRect.Contains(x, y))
        return 0;
    for (int k = 0; k < PictureButtons::kCount; ++k)
        if (buttonRects[k].Contains(x, y))
            return k + 1;
    return -1;
}

void CviewPicture::OnPictureClick(Canvas& dc, int x, int y) {
    if (IsPlaying()) {
        if (viewRect.Contains(x, y))
            StopPlay(dc);
        return;
    }
    using B = PictureButtons;
    const int count = Count();
    switch (HitButton(x, y)) {
    case B::First:
        ShowImage(dc, 0);
        DrawButtons(dc);
        Shown(0, true);
        break;
    case B::PlayBackwards:
        StartPlay(dc, -1);
        break;
    case B::StepBack:
        if (current - step >= 0) {
            current -= step;
            ShowImage(dc, current);
        }
        DrawButtons(dc);
        Shown(current, true);
        break;
    case B::StepForward:
        if (current + step < count) {
            current += step;
            ShowImage(dc, current);
        }
        DrawButtons(dc);
        Shown(current, true);
        break;
    case B::PlayForwards:
        StartPlay(dc, +1);
        break;
    case B::Last:
        ShowImage(dc, count - 1);
        DrawButtons(dc);
        Shown(count - 1, true);
        break;
    case B::Save:
        SaveImage(current);
        break;
    default:
        break;
    }
}

bool CviewPicture::IsPlaying() const {
    return playTimer_ && playTimer_->isActive();
}

void CviewPicture::SetPlayRate(int picturesPerSecond) {
    playRate_ = std::clamp(picturesPerSecond, 1, kMaxPlayRate);
}

void CviewPicture::StartPlay(Canvas& dc, int direction) {
    playState = 2;
    step = 1;
    playCanvas_ = &dc;
    playDirection_ = direction;
    const int count = Count();
    // From the current picture to the end in the play's direction; an unset current picture
    // starts from the nearer end.
    playNext_ = std::clamp(current, 0, std::max(0, count - 1));
    if (count <= 0) {
        FinishPlay();
        return;
    }
    if (!playTimer_) {
        playTimer_ = std::make_unique<QTimer>();
        // A steady pace: a coarse timer may tick up to 5 % early or late.
        playTimer_->setTimerType(Qt::PreciseTimer);
        QObject::connect(playTimer_.get(), &QTimer::timeout, playTimer_.get(),
                         [this] { PlayTick(); });
    }
    playTimer_->start(1000 / playRate_);
}

void CviewPicture::PlayTick() {
    // Buttons drawn by anyone (a jump to a distance, a stop) end the play, as its loop did.
    if (playState == 1 || !playCanvas_) {
        playTimer_->stop();
        playCanvas_ = nullptr;
        return;
    }
    const int i = playNext_;
    playCanvas_->BeginCommand(); // each tick draws as a command of its own
    ShowImage(*playCanvas_, i);
    Shown(i, playDirection_ > 0);
    if (IsPlaying()) {
        playNext_ += playDirection_ * step;
        if (playNext_ < 0 || playNext_ >= Count())
            FinishPlay();
    }
    if (onFrame)
        onFrame();
}

void CviewPicture::FinishPlay() {
    if (playTimer_)
        playTimer_->stop();
    if (playCanvas_)
        DrawButtons(*playCanvas_);
    playState = 1;
    playCanvas_ = nullptr;
}

void CviewPicture::StopPlay(Canvas& dc) {
    if (!IsPlaying())
        return;
    playTimer_->stop();
    playCanvas_ = nullptr;
    DrawButtons(dc);
}

void CviewPicture::OnKeyDuringPlay(int key) {
    if (setTitle)
        setTitle(QString::asprintf("%d---%d", key, 0));
}

void CviewPicture::SaveImage(int index) {
    if (!ValidIndex(index)) {
        Status(QStringLiteral("There is no picture to save."));
        return;
    }
    QString path = chooseSavePath ? chooseSavePath() : QString();
    if (path.isEmpty()) {
        Status(QStringLiteral("Saving the picture was cancelled; nothing was written."));
        return;
    }
    // The pictures are JPEGs: a bare name gets the extension the dialog's filter shows.
    if (QFileInfo(path).suffix().isEmpty())
        path += path.endsWith(QLatin1Char('.')) ? QStringLiteral("JPG") : QStringLiteral(".JPG");
    std::string error;
    if (!store_.PictureBytes(index, &bytes_, &error)) {
        Status(QStringLiteral("The picture was not saved: %1").arg(QString::fromStdString(error)));
        return;
    }
    AtomicFileWriter out;
    if (!out.Open(QFile::encodeName(path).toStdString()) ||
        !out.Write(bytes_.data(), bytes_.size()) || !out.Commit()) {
        Status(QStringLiteral("The picture was not saved: %1")
                   .arg(QString::fromStdString(out.Error())));
        return;
    }
    Status(QStringLiteral("Picture %1 (%2 bytes) saved to %3.")
               .arg(index)
               .arg(bytes_.size())
               .arg(path));
}
