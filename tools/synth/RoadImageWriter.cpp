#include "synth/RoadImageWriter.h"

#include "document/AtomicFileWriter.h"
#include "document/ByteOrder.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace synth {

namespace {

constexpr int kHorizon = 44;
constexpr double kCameraDepth = 300.0; // ft ahead per row below the horizon, in perspective

void PutText(std::vector<std::uint8_t>& bytes, std::size_t at, const char* text) {
    std::memcpy(&bytes[at], text, std::strlen(text));
}

} // namespace

std::vector<int> PictureDistances(double startFt, double endFt, int requested) {
    const int first = static_cast<int>(std::ceil(startFt));
    const int last = std::max(first, static_cast<int>(std::floor(endFt)));
    const int room = last - first + 1; // distinct whole feet available
    // By default one picture every 25 ft; a given count (or a capped default) is spread evenly
    // over the road, never more than one per whole foot.
    const int natural = static_cast<int>((last - first) / ImageLayout::kDefaultSpacingFt) + 1;
    int count = requested < 0 ? std::min(ImageLayout::kDefaultMaxPictures, natural) : requested;
    count = std::min(count, room);
    double spacing = ImageLayout::kDefaultSpacingFt;
    if (count > 1 && (requested >= 0 || count < natural))
        spacing = static_cast<double>(last - first) / (count - 1);
    std::vector<int> distances;
    for (int i = 0; i < count; ++i) {
        int d = first + static_cast<int>(std::floor(i * spacing));
        if (!distances.empty())
            d = std::max(d, distances.back() + 1);
        distances.push_back(d);
    }
    return distances;
}

void DrawSevenSegmentNumber(QPainter& painter, int left, int top, int height,
                            const std::string& digits) {
    // Segments a..g as bits 0..6.
    static const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const int w = height / 2, t = std::max(2, height / 7), h = height / 2;
    int x = left;
    for (char c : digits) {
        if (c >= '0' && c <= '9') {
            const int s = kSegments[c - '0'];
            if (s & 0x01)
                painter.drawRect(x, top, w, t);
            if (s & 0x02)
                painter.drawRect(x + w - t, top, t, h);
            if (s & 0x04)
                painter.drawRect(x + w - t, top + h, t, h);
            if (s & 0x08)
                painter.drawRect(x, top + 2 * h - t, w, t);
            if (s & 0x10)
                painter.drawRect(x, top + h, t, h);
            if (s & 0x20)
                painter.drawRect(x, top, t, h);
            if (s & 0x40)
                painter.drawRect(x, top + h - t / 2, w, t);
        }
        x += w + t + 1;
    }
}

QImage RoadPicture(const Scenario& scenario, int distanceFt) {
    const int width = ImageLayout::kWidth, height = ImageLayout::kHeight;
    QImage image(width, height, QImage::Format_RGB32);
    // The default resolution follows the screen when an application exists; fixing it keeps
    // the JPEG header, and so the file, the same with or without one.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int y = 0; y < kHorizon; ++y)
        painter.fillRect(0, y, width, 1, QColor(120 + y, 170 + y, 235));
    painter.fillRect(0, kHorizon, width, height - kHorizon, QColor(70, 130, 60));
    // Each row below the horizon looks at the road some feet ahead; its shade darkens where
    // the pavement is weak, dashes of the centre line move with the distance.
    const double centre = width / 2.0;
    for (int y = kHorizon + 1; y < height; ++y) {
        const double rows = y - kHorizon;
        const double ahead = kCameraDepth / rows;
        const double half = 2.0 + 68.0 * rows / (height - kHorizon);
        const double ratio = scenario.profile.At(distanceFt + ahead);
        const int shade = std::clamp(static_cast<int>(150.0 - 9.0 * ratio), 40, 160);
        painter.fillRect(QRectF(centre - half, y, 2 * half, 1), QColor(shade, shade, shade));
        const double edge = std::max(1.0, half / 25.0);
        painter.fillRect(QRectF(centre - half, y, edge, 1), QColor(235, 235, 235));
        painter.fillRect(QRectF(centre + half - edge, y, edge, 1), QColor(235, 235, 235));
        if (std::fmod(distanceFt + ahead, 30.0) < 10.0)
            painter.fillRect(QRectF(centre - edge / 2, y, edge, 1), QColor(240, 200, 40));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255));
    const std::string digits = std::to_string(distanceFt);
    const int digitHeight = 14;
    painter.drawRect(2, 2, static_cast<int>(digits.size()) * 10 + 4, digitHeight + 4);
    painter.setBrush(QColor(0, 0, 160));
    DrawSevenSegmentNumber(painter, 4, 4, digitHeight, digits);
    painter.end();
    return image;
}

std::vector<std::uint8_t> EncodeJpeg(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 80))
        return {};
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

bool WriteImageFile(const std::string& path, const Scenario& scenario, std::string* error) {
    const Trajectory& trajectory = scenario.trajectory;
    const std::vector<int> distances = PictureDistances(
        trajectory.StartDistance(), trajectory.EndDistance(), scenario.options.pictures);
    const int count = static_cast<int>(distances.size());

    std::vector<std::vector<std::uint8_t>> pictures;
    pictures.reserve(count);
    for (int d : distances) {
        pictures.push_back(EncodeJpeg(RoadPicture(scenario, d)));
        if (pictures.back().empty()) {
            if (error)
                *error = "Cannot encode a JPEG picture (is the Qt jpeg image plugin installed?)";
            return false;
        }
    }

    std::vector<std::uint8_t> head(ImageLayout::kIndexOffset + 8 * static_cast<std::size_t>(count),
                                   0);
    std::size_t offset = head.size();
    for (int i = 0; i < count; ++i) {
        byteorder::StoreLE<std::int32_t>(&head[ImageLayout::kIndexOffset + 8 * i], distances[i]);
        byteorder::StoreLE<std::int32_t>(&head[ImageLayout::kIndexOffset + 8 * i + 4],
                                         static_cast<std::int32_t>(offset));
        offset += pictures[i].size();
    }
    if (offset > 0x7FFFFFFF) {
        if (error)
            *error = "Too many pictures for the image file's 32-bit offsets";
        return false;
    }
    PutText(head, 0, "Vorlix synthetic road images");
    PutText(head, 80, "Camera 1, 160 x 120 JPEG");
    PutText(head, 160, "This is a test file");
    byteorder::StoreLE<std::int32_t>(&head[240], ImageLayout::kHeaderValue);
    byteorder::StoreLE<std::int32_t>(&head[244], count);
    byteorder::StoreLE<std::int32_t>(&head[248], ImageLayout::kIndexOffset);
    byteorder::StoreLE<std::int32_t>(&head[252], static_cast<std::int32_t>(offset));
    PutText(head, 256, "JPEG");

    AtomicFileWriter out;
    bool ok = out.Open(path) && out.Write(head.data(), head.size());
    for (int i = 0; ok && i < count; ++i)
        ok = out.Write(pictures[i].data(), pictures[i].size());
    if (!ok || !out.Commit()) {
        if (error)
            *error = out.Error();
        return false;
    }
    return true;
}

} // namespace synth
