#include "document/RawFileFormat.h"

#include <cstdio>

namespace rawfile {

std::int64_t GroupCountOfFile(std::uint64_t fileSize, int activeChannels) {
    if (fileSize < static_cast<std::uint64_t>(kHeaderSize))
        return 0;
    return static_cast<std::int64_t>((fileSize - kHeaderSize) /
                                     static_cast<std::uint64_t>(GroupSize(activeChannels)));
}

std::vector<SegmentRange> BuildSegmentTable(std::int64_t groups, int segmentGroups) {
    std::vector<SegmentRange> table;
    if (groups <= 0 || segmentGroups <= 0)
        return table;
    if (groups <= kShortRemainderGroups) {
        table.push_back({0, groups});
        return table;
    }
    std::int64_t count = groups / segmentGroups;
    if (groups % segmentGroups > kShortRemainderGroups)
        ++count;
    table.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i)
        table.push_back({i * segmentGroups, (i + 1) * segmentGroups});
    table.back().end = groups;
    return table;
}

std::string WindowTitle(std::int64_t groups, int segmentNumber) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Raw data file has %lld point and %lld group. Current read segment is:%d",
                  static_cast<long long>(groups * 250), static_cast<long long>(groups),
                  segmentNumber);
    return text;
}

} // namespace rawfile
