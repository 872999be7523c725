#include "document/RawFile.h"

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
