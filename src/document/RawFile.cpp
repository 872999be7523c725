#include "document/RawFile.h"

#include "document/ByteOrder.h"

#include <algorithm>
#include <cmath>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RawFile::~RawFile() {
    Close();
}

void RawFile::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool RawFile::Open(const std::string& path, int segmentGroups, std::string* error) {
    Close();
    path_ = path;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        const char* why = fd_ >= 0 && !S_ISREG(info.st_mode) ? "not a file" : std::strerror(errno);
        *error = "Cannot open \"" + path + "\": " + why;
        Close();
        return false;
    }
    fileSize_ = static_cast<std::uint64_t>(info.st_size);

    std::uint8_t header[rawfile::kChannelTableEnd] = {};
    std::size_t headerBytes =
        static_cast<std::size_t>(std::min<std::uint64_t>(fileSize_, sizeof header));
    if (!ReadAt(0, header, headerBytes)) {
        *error = "Cannot read \"" + path + "\": " + std::strerror(errno);
        Close();
        return false;
    }
    channels_ = Cchannel();
    channels_.ReadChannelTable(header, headerBytes);
    groupSize_ = rawfile::GroupSize(channels_.activeCount);
    groupCount_ = rawfile::GroupCountOfFile(fileSize_, channels_.activeCount);
    segments_ = rawfile::BuildSegmentTable(groupCount_, segmentGroups);
    return true;
}

bool RawFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
        ssize_t got = ::pread(fd_, out, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        offset += static_cast<std::uint64_t>(got);
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

namespace {

// Enough groups to tell a foreign file from a damaged one, few enough to cost nothing.
constexpr std::int64_t kDistancesChecked = 256;

// Printable Latin-1: what a recorder writes into a channel name.
bool IsPrintableLatin1(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte >= 0x20 && byte < 0x7F) || byte >= 0xA0;
    });
}

} // namespace

bool RawFile::IsUsable(int segmentGroups, std::string* why) const {
    const std::string name = "\"" + path_ + "\"";
    if (groupCount_ <= 0) {
        *why = name + " holds no whole group of samples (" + std::to_string(fileSize_) + " bytes).";
        return false;
    }
    const std::string notRaw = name + " is not a raw test file: ";
    for (int i = 0; i < channels_.activeCount; ++i) {
        const int channel = channels_.activeList[i];
        for (const std::string& text : channels_.dataChannels[channel].names)
            if (!IsPrintableLatin1(text)) {
                *why =
                    notRaw + "the names of channel " + std::to_string(channel) + " are not text.";
                return false;
            }
    }
    // A recorder writes a DMI distance into every group; a damaged group may carry one that is
    // not a number, a foreign file many. Groups spread evenly over the first segment tell which.
    const std::int64_t groups = std::min<std::int64_t>(groupCount_, std::max(1, segmentGroups));
    const std::int64_t checked = std::min<std::int64_t>(groups, kDistancesChecked);
    std::int64_t notNumbers = 0;
    for (std::int64_t i = 0; i < checked; ++i) {
        const std::int64_t g = i * groups / checked;
        std::uint8_t field[4];
        if (!ReadAt(static_cast<std::uint64_t>(rawfile::kHeaderSize + g * groupSize_ +
                                               rawfile::kGroupDistanceOffset),
                    field, sizeof field))
            break;
        if (!std::isfinite(byteorder::LoadLE<float>(field)))
            ++notNumbers;
    }
    if (notNumbers > std::max<std::int64_t>(1, checked / 100)) {
        *why = notRaw + std::to_string(notNumbers) + " of " + std::to_string(checked) +
               " group distances checked in its first segment are not numbers.";
        return false;
    }
    return true;
}
