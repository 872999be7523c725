#pragma once

#include "analysis/Sections.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Four classes of sections by their characteristic value, for the map outputs, the map screen
// and the report: class 1 up to limit a, 2 up to b, 3 up to c, 4 above c.
namespace sections {

struct ClassLimits {
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
};

constexpr int kClassCount = 4;

// The colours of classes 1 to 4 as 0xRRGGBB: green, yellow-green, orange, red. Every drawing
// of the classes (files, map, report) takes them from here.
constexpr std::array<std::uint32_t, kClassCount> kClassColours = {0x1A9641, 0xA6D96A, 0xFDAE61,
                                                                  0xD7191C};

// The 25th, 50th and 75th percentiles of the sections' characteristic values (linear
// interpolation at (n - 1) * q / 100 of the sorted values); all 0 without sections.
ClassLimits DefaultClassLimits(const std::vector<Section>& sections);

// 1 for value <= a, 2 for value <= b, 3 for value <= c, otherwise 4 (a value that is no number
// too, so that it shows as the worst).
int ClassOf(double value, const ClassLimits& limits);

// 0xRRGGBB of class 1 to 4.
std::uint32_t ClassColour(int classNumber);

// 0xRRGGBB of a value on the ramp of the class colours, for drawing single results: each class
// colour at the middle of its class (classes 1 and 4 taken as wide as their neighbours),
// blended linearly in between, the end colours beyond.
std::uint32_t RampColour(double value, const ClassLimits& limits);

// "#rrggbb".
std::string ColourHex(std::uint32_t rgb);

} // namespace sections
