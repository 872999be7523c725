#pragma once

#include "document/Cchannel.h"
#include "document/RawFileFormat.h"

#include <cstdint>
#include <string>
#include <vector>

// An open raw test file: its channel table, group size, group count and segment table.
// Closes the file when destroyed.
class RawFile {
public:
    RawFile() = default;
    ~RawFile();
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    // Opens the file and reads its channel table. Fails with a message for a file that cannot
    // be opened or read; an empty or short file opens with no groups.
    bool Open(const std::string& path, int segmentGroups, std::string* error);
    void Close();
    // Whether an opened file is a raw test file the program can use: it holds a whole group,
    // the names of its active channels are printable Latin-1 text, and the DMI distances of
    // its first segment are numbers (one damaged group is allowed for). False with the reason
    // in *why. Every reader of raw files (open, export, conversion, info) asks this first.
    bool IsUsable(int segmentGroups, std::string* why) const;

    // Reads `size` bytes at `offset`; false when the file ends before them or a read fails.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const;

    const std::string& Path() const { return path_; }
    std::uint64_t FileSize() const { return fileSize_; }
    const Cchannel& Channels() const { return channels_; }
    std::int64_t GroupSize() const { return groupSize_; }
    std::int64_t GroupCount() const { return groupCount_; }
    const std::vector<rawfile::SegmentRange>& Segments() const { return segments_; }

private:
    int fd_ = -1;
    std::string path_;
    std::uint64_t fileSize_ = 0;
    Cchannel channels_;
    std::int64_t groupSize_ = 0;
    std::int64_t groupCount_ = 0;
    std::vector<rawfile::SegmentRange> segments_;
};
