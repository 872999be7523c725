#pragma once

#include "synth/Scenario.h"

#include <cstdint>
#include <string>
#include <vector>

class QImage;
class QPainter;

namespace synth {

// The road-image companion file: a 296-byte header (texts at 0, 80, 160 and 256; header value,
// picture count N, index offset T and file length at 240..255), the index of N (distance,
// offset) int32 pairs at T = 1296, then the JPEG pictures back to back.
struct ImageLayout {
    static constexpr int kIndexOffset = 1296;
    static constexpr int kHeaderValue = 402296;
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 120;
    static constexpr double kDefaultSpacingFt = 25.0;
    static constexpr int kDefaultMaxPictures = 1000;
};

// Whole-foot distances at which the pictures were taken: ascending and distinct.
std::vector<int> PictureDistances(double startFt, double endFt, int requested);

// A road seen from the vehicle at a distance, with the distance in seven-segment digits.
QImage RoadPicture(const Scenario& scenario, int distanceFt);
// Draws a number in seven-segment digits of the given height; needs no fonts.
void DrawSevenSegmentNumber(QPainter& painter, int left, int top, int height,
                            const std::string& digits);
std::vector<std::uint8_t> EncodeJpeg(const QImage& image);

bool WriteImageFile(const std::string& path, const Scenario& scenario, std::string* error);

} // namespace synth
