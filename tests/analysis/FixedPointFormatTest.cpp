#include "analysis/FixedPointFormat.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Fixed(double value, int decimals, int width) {
    char text[512];
    const int n = FormatFixed(value, decimals, width, text, sizeof text);
    EXPECT_EQ(static_cast<std::size_t>(n), std::strlen(text));
    return text;
}

constexpr double kInf = INFINITY, kNan = NAN;

// Values where a rounding, a carry, a digit count or a path changes.
std::vector<double> EdgeValues() {
    // An exact tie goes to the even neighbour (0.125), a decimal tie not exact in binary by the
    // true value (2.675f), a carry may add a digit (9.999999f), a value that rounds to zero
    // keeps its sign, and the fast path ends at 2^40.
    std::vector<double> v = {0.0,     0x1p-1074, 0x1p-1022, 0x1p-76, 0x1.fffffffffffffp-76,
                             0x1p-75, 5e-8,      0.05,      0.15,    0.995,
                             2.5,     123.45,    987.65,    0x1p+40, 0x1.fffffffffffffp+39,
                             1e300,   kInf,      kNan,      -kNan,   0.125,
                             0.375,   2.675f,    9.999999f, 0.00005f};
    // Exact ties at d decimals (odd multiples of 2^-(d+1)), their neighbours, and ties whose
    // last kept digit is odd or even, up to the end of the fast path.
    for (int d = 0; d <= 7; ++d) {
        const double top = std::ldexp(1.0, 41 + d);
        for (const double k : {1.0, 3.0, 5.0, 19.0, 1999.0, top - 1.0, top - 3.0}) {
            const double tie = std::ldexp(k, -(d + 1));
            v.insert(v.end(), {tie, std::nextafter(tie, 0.0), std::nextafter(tie, kInf)});
        }
    }
    // Every digit count: 10^k and the values just below it that round up to it.
    for (double p = 1.0; p < 2e12; p *= 10.0)
        v.insert(v.end(), {p, p - 1.0, p - 0.004, p - 0.00004, p - 0.4, std::nextafter(p, 0.0)});
    const std::size_t positive = v.size();
    for (std::size_t i = 0; i < positive; ++i)
        v.push_back(-v[i]);
    return v;
}

} // namespace

// Every decimal count of the fast path and past it, fields narrower and wider than the text
// and left-aligned ones, byte for byte against snprintf; then a small random sample.
TEST(FixedPointFormat, EdgeValuesMatchPrintfInEveryFormat) {
    std::vector<double> values = EdgeValues();
    std::mt19937_64 random(998244353);
    for (int i = 0; i < 150; ++i) {
        const std::uint64_t bits = random(), exponent = 1023 - 20 + bits % 61; // 2^-20..2^40
        values.push_back(std::bit_cast<double>((bits & 0x800fffffffffffff) | exponent << 52));
        values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
    }
    char want[512];
    for (const double value : values) {
        for (int decimals = 0; decimals <= 8; ++decimals) {
            for (const int width : {0, 10, -1}) {
                std::snprintf(want, sizeof want, "%*.*f", width, decimals, value);
                ASSERT_EQ(Fixed(value, decimals, width), want)
                    << std::hexfloat << value << " %" << width << "." << decimals << "f";
            }
        }
    }
}

TEST(FixedPointFormat, ShortBufferIsCutLikeSnprintf) {
    for (const double value : {-12.3456, 1e20, 0.5}) {
        for (const int width : {0, 10}) {
            for (const std::size_t size : {0, 1, 2, 5, 8, 10, 11, 12}) {
                char want[16] = "xxxxxxxxxxxxxxx", got[16] = "xxxxxxxxxxxxxxx";
                const int length = std::snprintf(want, size, "%*.4f", width, value);
                EXPECT_EQ(FormatFixed(value, 4, width, got, size), length);
                EXPECT_EQ(std::string(got, 16), std::string(want, 16))
                    << value << " %" << width << " in " << size;
            }
        }
    }
}

// Before, snprintf took the decimal point from LC_NUMERIC, so a window started under a comma
// locale wrote "512,25" into the export.
TEST(FixedPointFormat, CommaLocaleDoesNotChangeTheDecimalPoint) {
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (chosen == nullptr && std::setlocale(LC_NUMERIC, name) != nullptr)
            chosen = name;
    if (chosen == nullptr)
        GTEST_SKIP() << "no comma locale installed";
    const std::string small = Fixed(512.25, 2, 10), huge = Fixed(0x1p+41, 2, 10);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(small, "    512.25");
    EXPECT_EQ(huge, "2199023255552.00");
}
