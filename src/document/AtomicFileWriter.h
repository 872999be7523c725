#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Writes a file under a temporary name in the same folder and renames it into place on
// Commit(), so a failed write never leaves a half-written file under the real name.
// Without Commit() the temporary file is removed.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Open(const std::string& path);
    bool Write(const void* data, std::size_t size);
    // Writes out what is buffered, so a full device shows before any file is renamed.
    bool Flush();
    bool Commit();
    void Abandon();

    // The message a commit to `path` would fail with because a folder stands there, or "".
    static std::string FolderInTheWay(const std::string& path);
    // Renames both files into place only once both are written out and neither name is taken
    // by a folder, so a full device or a folder cannot leave one new file beside an old one.
    // On failure `error` says why; only a rename that fails after the first one succeeded
    // (nothing seen before it foretold that) leaves the first file in place.
    static bool CommitBoth(AtomicFileWriter& first, AtomicFileWriter& second, std::string* error);

    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Error() const { return error_; }
    const std::string& Path() const { return path_; }

private:
    bool Fail(const std::string& what);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string tempPath_;
    std::string error_;
};
