#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The result export's two formats:
//
//   .TXT  one line per result, " %10.2f %10.4f" (distance in feet, value), CR LF line ends.
//   .RDO  400 zero bytes, then per result the distance and the value as little-endian
//         float32. An export without any result leaves both files empty.
namespace resultexport {

inline constexpr int kRdoHeaderBytes = 400;
inline constexpr int kRdoRecordBytes = 8;

// The text line of one result, line end included: 512.25 and 0.5 give
// "     512.25     0.5000\r\n". Returns the length written to `out` (room for 128).
std::size_t FormatResultLine(float distance, float value, char* out, std::size_t size);
std::string ResultLine(float distance, float value);

// The binary record of one result.
void StoreResultRecord(float distance, float value, std::uint8_t* out);

} // namespace resultexport
