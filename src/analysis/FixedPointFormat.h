#pragma once

#include <cstddef>

// printf's "%*.*f" for the result export, an order of magnitude faster than snprintf.
//
// The exact binary value is scaled to an integer count of 10^-decimals in 128-bit integer
// arithmetic and rounded half to even, which is what glibc prints in the default rounding mode,
// so the text is byte for byte snprintf's. Magnitudes of kFixedFastLimit or more, NaN,
// infinities, a negative width and decimals outside 0..kFixedMaxFastDecimals go to snprintf
// itself.
//
// Unlike snprintf the decimal point is always '.', whatever the process locale (a window
// started under a comma locale must write the same files as the command-line tool).

// 2^40: below it the count of 10^-7 fits in 64 bits.
inline constexpr double kFixedFastLimit = 1099511627776.0;
inline constexpr int kFixedMaxFastDecimals = 7;

// Formats `value` right-aligned in at least `width` characters with `decimals` decimals, as
// snprintf(out, size, "%*.*f", width, decimals, value) does: writes at most size - 1
// characters and a terminating NUL (nothing when size is 0) and returns the length of the
// whole text.
int FormatFixed(double value, int decimals, int width, char* out, std::size_t size);
