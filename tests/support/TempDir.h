#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A fresh folder under /tmp, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/vorlix-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        path_ = made ? made : "";
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // True while a file written through a temporary name is still lying about.
    bool HasTemporaryFiles() const {
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            if (entry.path().filename().string().find(".tmp-") != std::string::npos)
                return true;
        return false;
    }

private:
    std::string path_;
};

// The bytes of a file as a string or a byte vector; empty when it cannot be read.
template <typename Bytes = std::string> Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
