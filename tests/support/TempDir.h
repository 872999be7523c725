#pragma once

#include <cstdlib>
#include <filesystem>
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
