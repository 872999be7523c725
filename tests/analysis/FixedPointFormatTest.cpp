#include "analysis/FixedPointFormat.h"
#include "analysis/ResultExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <random>
#include <string>

namespace {

std::string Fixed(double value, int decimals, int width = 10) {
    char text[512];
    const int n = FormatFixed(value, decimals, width, text, sizeof text);
    EXPECT_EQ(static_cast<std::size_t>(n), std::strlen(text));
    return text;
}

std::string Printf(double value, int decimals, int width = 10) {
    char text[512];
    std::snprintf(text, sizeof text, "%*.*f", width, decimals, value);
    return text;
}

// Compares the export's two column formats with snprintf byte for byte, stopping the report
// after a few differences so a broken sweep stays readable.
class PrintfComparison {
public:
    void Check(double value) {
        Compare(value, 2, std::snprintf(expected_, sizeof expected_, "%10.2f", value));
        Compare(value, 4, std::snprintf(expected_, sizeof expected_, "%10.4f", value));
    }
    void CheckFloat(float value) { Check(static_cast<double>(value)); }
    std::int64_t compared() const { return compared_; }
    int failures() const { return failures_; }

private:
    void Compare(double value, int decimals, int expectedLength) {
        ++compared_;
        const int length = FormatFixed(value, decimals, 10, actual_, sizeof actual_);
        if (length == expectedLength && std::memcmp(actual_, expected_, length + 1) == 0)
            return;
        if (++failures_ <= 10)
            ADD_FAILURE() << "value " << std::hexfloat << value << " with " << decimals
                          << " decimals: \"" << actual_ << "\" against printf's \"" << expected_
                          << "\"";
    }

    char expected_[512];
    char actual_[512];
    std::int64_t compared_ = 0;
    int failures_ = 0;
};

// How many random floats the sweep draws; VORLIX_FORMAT_SWEEP raises it for a one-off run.
std::int64_t SweepCount(std::int64_t ciCount) {
    const char* override = std::getenv("VORLIX_FORMAT_SWEEP");
    return override != nullptr ? std::atoll(override) : ciCount;
}

struct Case {
    double value;
    const char* twoDecimals;
    const char* fourDecimals;
};

// glibc's own answers, written out so the rules the formatter follows stay visible.
constexpr Case kCases[] = {
    {0.0, "      0.00", "    0.0000"},
    {-0.0, "     -0.00", "   -0.0000"},
    // Exact ties go to the even neighbour.
    {0.125, "      0.12", "    0.1250"},
    {0.375, "      0.38", "    0.3750"},
    {-0.125, "     -0.12", "   -0.1250"},
    {0.03125, "      0.03", "    0.0312"},
    {0.09375, "      0.09", "    0.0938"},
    // Decimal ties that are not exact in binary round by their true value.
    {0.005f, "      0.00", "    0.0050"},
    {2.675f, "      2.67", "    2.6750"},
    {1.00005f, "      1.00", "    1.0000"},
    {0.995f, "      1.00", "    0.9950"},
    // Just below a carry, and a carry that adds a digit.
    {9.995f, "      9.99", "    9.9950"},
    {999.995f, "    999.99", "  999.9950"},
    {99999.99499f, "  99999.99", "99999.9922"},
    {9.999999f, "     10.00", "   10.0000"},
    // Wider than the field: printf lets the number grow.
    {1234567.875f, "1234567.88", "1234567.8750"},
    // Negatives that round to zero keep their sign.
    {-0.001f, "     -0.00", "   -0.0010"},
    {-0.00004f, "     -0.00", "   -0.0000"},
    {-0.00005f, "     -0.00", "   -0.0000"},
    // Subnormals.
    {0x1p-149, "      0.00", "    0.0000"},
    {-0x1.fffffcp-127, "     -0.00", "   -0.0000"},
    {0x1p-1074, "      0.00", "    0.0000"},
    // The fast range ends below 2^40: its largest float and double, then 2^40 through printf.
    {1099511562240.0f, "1099511562240.00", "1099511562240.0000"},
    {0x1.fffffffffffffp+39, "1099511627776.00", "1099511627775.9999"},
    {0x1p+40, "1099511627776.00", "1099511627776.0000"},
    {-0x1p+40, "-1099511627776.00", "-1099511627776.0000"},
    {-FLT_MAX, "-340282346638528859811704183484516925440.00",
     "-340282346638528859811704183484516925440.0000"},
    {std::numeric_limits<double>::infinity(), "       inf", "       inf"},
    {-std::numeric_limits<double>::infinity(), "      -inf", "      -inf"},
    {std::numeric_limits<double>::quiet_NaN(), "       nan", "       nan"},
    {-std::numeric_limits<double>::quiet_NaN(), "      -nan", "      -nan"},
};

TEST(FixedPointFormat, EdgeCasesMatchPrintf) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << std::hexfloat << c.value);
        EXPECT_EQ(Printf(c.value, 2), c.twoDecimals);
        EXPECT_EQ(Printf(c.value, 4), c.fourDecimals);
        EXPECT_EQ(Fixed(c.value, 2), c.twoDecimals);
        EXPECT_EQ(Fixed(c.value, 4), c.fourDecimals);
    }
}

TEST(FixedPointFormat, OtherWidthsAndDecimalsMatchPrintf) {
    const double values[] = {
        0.0,  -0.0, 0.5,       1.5,  2.5,     -2.5,   0.05, 0.15,   123.45, -987.65,
        1e-7, 5e-8, 0x1.8p-24, 1e11, 99999.5, 0.9999, 1e12, -1e300, 1e-300, 0x1.fffffffffffffp+39};
    for (const double value : values) {
        for (int decimals = 0; decimals <= 9; ++decimals) {
            for (const int width : {0, 1, 10, 25, -12}) {
                SCOPED_TRACE(testing::Message()
                             << std::hexfloat << value << " %" << width << "." << decimals << "f");
                EXPECT_EQ(Fixed(value, decimals, width), Printf(value, decimals, width));
            }
        }
    }
}

TEST(FixedPointFormat, ShortBufferIsCutLikeSnprintf) {
    for (const double value : {-12.3456, 1e20, 0.5}) {
        for (const std::size_t size : {0, 1, 2, 5, 10, 11, 12}) {
            SCOPED_TRACE(testing::Message() << value << " in " << size);
            char expected[16], actual[16];
            std::memset(expected, 'x', sizeof expected);
            std::memset(actual, 'x', sizeof actual);
            const int expectedLength = std::snprintf(expected, size, "%*.*f", 10, 4, value);
            EXPECT_EQ(FormatFixed(value, 4, 10, actual, size), expectedLength);
            EXPECT_EQ(std::string(actual, sizeof actual), std::string(expected, sizeof expected));
        }
    }
}

// An exact tie needs a short binary fraction: odd multiples of 1/8 for two decimals and of 1/32
// for four. Every multiple of 1/256 up to 1024 and of 1/65536 up to 4 covers them with their
// neighbours; random odd multiples reach up to where a float has no fraction left (2^21, 2^19).
TEST(FixedPointFormat, ExactTiesRoundToEvenLikePrintf) {
    PrintfComparison compare;
    for (int k = 0; k < (1 << 18); ++k) {
        compare.CheckFloat(static_cast<float>(k) / 256.0f);
        compare.CheckFloat(-static_cast<float>(k) / 65536.0f);
        compare.Check(static_cast<double>(k) / 200.0);
        compare.Check(static_cast<double>(k) / 20000.0);
    }
    std::mt19937 random(20240611);
    for (int i = 0; i < 100'000; ++i) {
        const auto odd = static_cast<float>((random() & 0xffffff) | 1);
        compare.CheckFloat(odd / 8.0f);
        compare.CheckFloat(-odd / 32.0f);
    }
    // Doubles hold ties right up to the end of the fast range.
    for (std::int64_t i = 1; i < 2000; i += 2) {
        compare.Check(static_cast<double>((std::int64_t{1} << 43) - i) / 8.0);
        compare.Check(-static_cast<double>((std::int64_t{1} << 45) - i) / 32.0);
    }
    EXPECT_EQ(compare.failures(), 0);
    std::printf("[          ] %lld formats compared\n", static_cast<long long>(compare.compared()));
}

// Random bit patterns: half over every float (NaN, infinities and the huge values included),
// half with the exponent drawn where the digits are not all zero and the fast path runs.
TEST(FixedPointFormat, RandomFloatBitPatternsMatchPrintf) {
    PrintfComparison compare;
    std::mt19937 random(7340033);
    const std::int64_t count = SweepCount(2'000'000);
    for (std::int64_t i = 0; i < count; i += 2) {
        compare.CheckFloat(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
        const std::uint32_t bits = random();
        const std::uint32_t exponent = 127 - 20 + bits % 60; // 2^-20 up to 2^39
        compare.CheckFloat(std::bit_cast<float>((bits & 0x807fffff) | exponent << 23));
    }
    EXPECT_EQ(compare.failures(), 0);
    std::printf("[          ] %lld formats compared\n", static_cast<long long>(compare.compared()));
}

TEST(FixedPointFormat, RandomDoubleBitPatternsMatchPrintf) {
    PrintfComparison compare;
    std::mt19937_64 random(998244353);
    for (int i = 0; i < 200'000; ++i) {
        const std::uint64_t bits = random();
        const std::uint64_t exponent = 1023 - 20 + bits % 61; // 2^-20 up to 2^40
        compare.Check(std::bit_cast<double>((bits & 0x800fffffffffffff) | exponent << 52));
    }
    EXPECT_EQ(compare.failures(), 0);
}

// Before, snprintf took the decimal point from LC_NUMERIC, so a window started under a comma
// locale wrote "512,25" into the export.
TEST(FixedPointFormat, CommaLocaleDoesNotChangeTheDecimalPoint) {
    const char* locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
    const char* chosen = nullptr;
    for (const char* name : locales) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr)
        GTEST_SKIP() << "no comma locale installed";
    const std::string small = Fixed(512.25, 2), huge = Fixed(0x1p+41, 2);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(small, "    512.25");
    EXPECT_EQ(huge, "2199023255552.00");
}

TEST(FixedPointFormat, ResultLinesMatchPrintf) {
    std::mt19937 random(65537);
    char expected[128], actual[128];
    for (int i = 0; i < 50'000; ++i) {
        float distance = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (i < static_cast<int>(std::size(kCases))) {
            distance = static_cast<float>(kCases[i].value);
            value = static_cast<float>(kCases[std::size(kCases) - 1 - i].value);
        } else if (i % 2 == 0) {
            distance = static_cast<float>(random() % 5'000'000) / 4.0f;
            value = std::ldexp(static_cast<float>(random() % 1'000'000), -static_cast<int>(i % 24));
        }
        const int n = std::snprintf(expected, sizeof expected, " %10.2f %10.4f\r\n",
                                    static_cast<double>(distance), static_cast<double>(value));
        ASSERT_EQ(resultexport::FormatResultLine(distance, value, actual, sizeof actual),
                  static_cast<std::size_t>(n));
        ASSERT_STREQ(actual, expected);
    }
    // The widest line there is.
    EXPECT_EQ(resultexport::FormatResultLine(-FLT_MAX, -FLT_MAX, actual, sizeof actual), 92u);
}

TEST(FixedPointFormat, ShortLineBufferKeepsWhatFits) {
    for (const std::size_t size : {1, 2, 11, 12, 23, 24, 25, 60}) {
        SCOPED_TRACE(size);
        char expected[128], actual[128];
        std::memset(expected, 'x', sizeof expected);
        std::memset(actual, 'x', sizeof actual);
        std::snprintf(expected, size, " %10.2f %10.4f\r\n", 512.25, 0.5);
        EXPECT_EQ(resultexport::FormatResultLine(512.25f, 0.5f, actual, size),
                  std::min<std::size_t>(size - 1, 24));
        EXPECT_EQ(std::string(actual, sizeof actual), std::string(expected, sizeof expected));
    }
    char untouched = 'x';
    EXPECT_EQ(resultexport::FormatResultLine(512.25f, 0.5f, &untouched, 0), 0u);
    EXPECT_EQ(untouched, 'x');
}

} // namespace
