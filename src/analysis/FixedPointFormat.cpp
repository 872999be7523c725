#include "analysis/FixedPointFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace {

__extension__ typedef unsigned __int128 Uint128;

// 10^0 up to 10^19, all that 64 bits hold.
constexpr std::array<std::uint64_t, 20> kPow10 = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();
// Every count of 10^-decimals on the fast path fits in 64 bits.
static_assert(kFixedFastLimit * 1e7 < 0x1p64 && kFixedMaxFastDecimals == 7);

// "00" "01" ... "99": two digits per division.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

inline char* PutPair(char* p, unsigned n) {
    p -= 2;
    std::memcpy(p, &kDigitPairs[2 * n], 2);
    return p;
}

int DigitCount(std::uint64_t n) {
    n |= 1;
    // log10(2) ~ 1233 / 4096 gives the count or one less.
    const auto guess = static_cast<int>((std::bit_width(n) * 1233) >> 12);
    return guess + (n >= kPow10[guess] ? 1 : 0);
}

// Writes the sign, `whole`, '.' and `fraction` as D digits backwards so they end just before
// `end`; returns where the text starts.
template <int D> char* PutNumber(bool negative, std::uint64_t whole, unsigned fraction, char* end) {
    char* p = end;
    for (int i = 0; i + 1 < D; i += 2) {
        p = PutPair(p, fraction % 100);
        fraction /= 100;
    }
    if constexpr (D % 2 == 1)
        *--p = static_cast<char>('0' + fraction);
    if constexpr (D > 0)
        *--p = '.';
    while (whole >= 100) {
        p = PutPair(p, static_cast<unsigned>(whole % 100));
        whole /= 100;
    }
    if (whole >= 10)
        p = PutPair(p, static_cast<unsigned>(whole));
    else
        *--p = static_cast<char>('0' + whole);
    // printf keeps the sign of -0.0 and of negatives that round to zero.
    if (negative)
        *--p = '-';
    return p;
}

// |value| < kFixedFastLimit and finite.
template <int D> int FormatFast(double value, int width, char* out, std::size_t size) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const auto biased = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t stored = bits & ((std::uint64_t{1} << 52) - 1);
    // value = ±mantissa / 2^shift exactly; below 2^40 the shift is at least 13.
    const std::uint64_t mantissa = biased != 0 ? stored | (std::uint64_t{1} << 52) : stored;
    const int shift = 1075 - std::max(biased, 1);

    // units = round(mantissa * 10^D / 2^shift), an exact tie to the even count. From a shift
    // of 128 on the product (< 2^77) is far below half a unit.
    std::uint64_t units = 0;
    if (shift < 128) {
        const Uint128 scaled = static_cast<Uint128>(mantissa) * kPow10[D];
        const Uint128 half = static_cast<Uint128>(1) << (shift - 1);
        const Uint128 rest = scaled & ((half << 1) - 1);
        units = static_cast<std::uint64_t>(scaled >> shift);
        if (rest > half || (rest == half && (units & 1) != 0))
            ++units;
    }
    const std::uint64_t whole = units / kPow10[D];
    const auto fraction = static_cast<unsigned>(units - whole * kPow10[D]);

    const auto length =
        static_cast<std::size_t>((negative ? 1 : 0) + DigitCount(whole) + (D > 0 ? D + 1 : 0));
    const std::size_t total = std::max(static_cast<std::size_t>(width), length);
    if (size > total) {
        out[total] = '\0';
        char* start = PutNumber<D>(negative, whole, fraction, out + total);
        while (start != out)
            *--start = ' ';
        return static_cast<int>(total);
    }

    // A short buffer gets what fits, as from snprintf.
    if (size > 0) {
        char text[24];
        char* const end = text + sizeof text;
        const char* const start = PutNumber<D>(negative, whole, fraction, end);
        const std::size_t room = size - 1;
        const std::size_t spaces = std::min(total - length, room);
        const std::size_t digits = std::min(length, room - spaces);
        std::memset(out, ' ', spaces);
        std::memcpy(out + spaces, start, digits);
        out[spaces + digits] = '\0';
    }
    return static_cast<int>(total);
}

// snprintf with the C locale's '.', whatever LC_NUMERIC the process runs under.
int FormatWithPrintf(double value, int decimals, int width, char* out, std::size_t size) {
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    const locale_t previous = cLocale ? uselocale(cLocale) : static_cast<locale_t>(0);
    const int length = std::snprintf(out, size, "%*.*f", width, decimals, value);
    if (cLocale)
        uselocale(previous);
    return length;
}

} // namespace

int FormatFixed(double value, int decimals, int width, char* out, std::size_t size) {
    // NaN fails the comparison too.
    if (std::fabs(value) < kFixedFastLimit && width >= 0) {
        switch (decimals) {
        case 0:
            return FormatFast<0>(value, width, out, size);
        case 1:
            return FormatFast<1>(value, width, out, size);
        case 2:
            return FormatFast<2>(value, width, out, size);
        case 3:
            return FormatFast<3>(value, width, out, size);
        case 4:
            return FormatFast<4>(value, width, out, size);
        case 5:
            return FormatFast<5>(value, width, out, size);
        case 6:
            return FormatFast<6>(value, width, out, size);
        case 7:
            return FormatFast<7>(value, width, out, size);
        default:
            break;
        }
    }
    return FormatWithPrintf(value, decimals, width, out, size);
}
