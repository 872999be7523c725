#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Layout of the raw test file ("*.KVT") and the bookkeeping derived from its size.
namespace rawfile {

inline constexpr int kHeaderSize = 8000;      // groups start here
inline constexpr int kChannelTableEnd = 3500; // end of the twelve descriptors
inline constexpr int kGroupOverhead = 100;    // bytes of a group besides the samples
inline constexpr int kGroupSamplesOffset = 20;
inline constexpr int kGroupDistanceOffset = 12;
inline constexpr int kBlockBytes = 500; // 250 int16 samples of one channel
inline constexpr double kCountsPerUnit = 3276.8;
inline constexpr double kGeophoneConstant = 5.305169250814609;
inline constexpr int kShortRemainderGroups = 400; // a remainder up to this joins the last segment

struct SegmentRange {
    std::int64_t first = 0; // first group
    std::int64_t end = 0;   // one past the last group
};

// S = A x 500 + 100 bytes.
inline std::int64_t GroupSize(int activeChannels) {
    return static_cast<std::int64_t>(activeChannels) * kBlockBytes + kGroupOverhead;
}

// Whole groups in a file of fileSize bytes; 0 when it is shorter than the header.
std::int64_t GroupCountOfFile(std::uint64_t fileSize, int activeChannels);

// The segment table of a file of `groups` groups with `segmentGroups` per segment. A remainder
// of more than 400 groups forms a shorter last segment; a smaller one is joined to the last
// segment (whose read length is still cut to segmentGroups). A file of 400 groups or fewer is
// one segment of all its groups. No groups, no segment.
std::vector<SegmentRange> BuildSegmentTable(std::int64_t groups, int segmentGroups);

// "Raw data file has %d point and %d group. Current read segment is:%d"
std::string WindowTitle(std::int64_t groups, int segmentNumber);

} // namespace rawfile
