#include "analysis/ResultFormat.h"

#include "analysis/FixedPointFormat.h"
#include "document/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace resultexport {

std::size_t FormatResultLine(float distance, float value, char* out, std::size_t size) {
    // " %10.2f %10.4f\r\n"; the widest pair of floats takes 92 characters.
    char line[128];
    char* const text = size >= sizeof line ? out : line;
    char* p = text;
    *p++ = ' ';
    p += FormatFixed(static_cast<double>(distance), 2, 10, p, text + sizeof line - p);
    *p++ = ' ';
    p += FormatFixed(static_cast<double>(value), 4, 10, p, text + sizeof line - p);
    *p++ = '\r';
    *p++ = '\n';
    *p = '\0';
    const auto n = static_cast<std::size_t>(p - text);
    if (text == out)
        return n;
    if (size == 0)
        return 0;
    const std::size_t written = std::min(n, size - 1);
    std::memcpy(out, line, written);
    out[written] = '\0';
    return written;
}

std::string ResultLine(float distance, float value) {
    char line[128];
    return std::string(line, FormatResultLine(distance, value, line, sizeof line));
}

void StoreResultRecord(float distance, float value, std::uint8_t* out) {
    byteorder::StoreLE<float>(out, distance);
    byteorder::StoreLE<float>(out + 4, value);
}

} // namespace resultexport
