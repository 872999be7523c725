#include "document/AtomicFileWriter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

bool AtomicFileWriter::Fail(const std::string& what) {
    error_ = what + " \"" + path_ + "\": " + std::strerror(errno);
    Abandon();
    return false;
}

bool AtomicFileWriter::Open(const std::string& path) {
    Abandon();
    path_ = path;
    error_.clear();
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0)
        return Fail("Cannot create");
    tempPath_ = name.data();
    fchmod(fd, 0644);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        close(fd);
        return Fail("Cannot create");
    }
    static constexpr std::size_t kBufferSize = 1 << 20;
    std::setvbuf(file_, nullptr, _IOFBF, kBufferSize);
    return true;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size) {
    if (!file_)
        return false;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size)
        return Fail("Cannot write");
    return true;
}

bool AtomicFileWriter::Flush() {
    return file_ && (std::fflush(file_) == 0 || Fail("Cannot write"));
}

std::string AtomicFileWriter::FolderInTheWay(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec))
        return {};
    return "Cannot write \"" + path + "\": " + std::strerror(EISDIR);
}

bool AtomicFileWriter::CommitBoth(AtomicFileWriter& first, AtomicFileWriter& second,
                                  std::string* error) {
    for (AtomicFileWriter* file : {&first, &second}) {
        std::string folder = FolderInTheWay(file->path_);
        if (!folder.empty() || !file->Flush()) {
            *error = folder.empty() ? file->Error() : folder;
            first.Abandon();
            second.Abandon();
            return false;
        }
    }
    for (AtomicFileWriter* file : {&first, &second}) {
        if (!file->Commit()) {
            *error = file->Error();
            second.Abandon();
            return false;
        }
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (!file_)
        return false;
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fflush(f) != 0) {
        std::fclose(f);
        file_ = nullptr;
        std::remove(tempPath_.c_str());
        tempPath_.clear();
        error_ = "Cannot write \"" + path_ + "\": " + std::strerror(errno);
        return false;
    }
    bool closed = std::fclose(f) == 0;
    if (!closed || std::rename(tempPath_.c_str(), path_.c_str()) != 0) {
        error_ = "Cannot write \"" + path_ + "\": " + std::strerror(errno);
        std::remove(tempPath_.c_str());
        tempPath_.clear();
        return false;
    }
    tempPath_.clear();
    return true;
}

void AtomicFileWriter::Abandon() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!tempPath_.empty()) {
        std::remove(tempPath_.c_str());
        tempPath_.clear();
    }
}
