#include "document/CompanionFiles.h"

#include "document/ByteOrder.h"
#include "document/CNMEA.h"
#include "document/Czipimg.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

CompanionNames DeriveCompanionNames(const std::string& rawPath) {
    const std::size_t dot = rawPath.rfind('.');
    const std::size_t slash = rawPath.rfind('/');
    const bool inName = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string base = inName ? rawPath.substr(0, dot + 1) : rawPath + ".";
    return {base + "IMG", base + "GPS", base + "DAT", base + "RDO", base + "TXT"};
}

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

std::string FindCompanionFile(const std::string& derivedPath) {
    std::error_code ec;
    fs::path derived(derivedPath);
    if (fs::is_regular_file(derived, ec))
        return derivedPath;
    fs::path folder = derived.parent_path();
    if (folder.empty())
        folder = ".";
    const std::string wanted = derived.filename().string();
    std::string found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!EqualIgnoringCase(name, wanted) || !it->is_regular_file(ec))
            continue;
        // Several spellings: take the first in name order, so the choice does not depend on
        // the order of the directory listing.
        if (found.empty() || name < found)
            found = name;
    }
    if (found.empty())
        return derivedPath;
    return (derived.parent_path() / found).string();
}

namespace companions {

std::string ImageIndexNote(const Czipimg& images) {
    if (!images.indexRebuilt)
        return {};
    return "The picture index of \"" + images.imgPath +
           "\" is missing: " + std::to_string(images.count) +
           " pictures were found and indexed in memory; the file is not changed.";
}

std::string GpsReadNote(const CNMEA& gps) {
    if (gps.readNote.empty())
        return {};
    return "The GPS file \"" + gps.gpsPath + "\" is " + gps.readNote + "; " +
           std::to_string(gps.trackCount) + " track points and " +
           std::to_string(gps.temperatureCount) + " temperature points are used.";
}

} // namespace companions
