#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

// The readers take paths, so each fuzz input is written to a file of its own name in a folder
// of this process (in memory where the system has /dev/shm).
class FuzzInputFile {
public:
    explicit FuzzInputFile(const std::string& name) {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                               ? "/dev/shm"
                                               : std::filesystem::temp_directory_path();
        folder_ = base / ("vorlix-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        path_ = (folder_ / name).string();
    }
    ~FuzzInputFile() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Replaces the file's contents with the input; returns its path.
    const std::string& Write(const std::uint8_t* data, std::size_t size) {
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file) {
            if (size > 0)
                std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
        return path_;
    }
    const std::string& Path() const { return path_; }
    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::string path_;
};
