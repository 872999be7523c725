#include "document/Czipimg.h"

#include "document/ByteOrder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

constexpr int kEntrySize = 8;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// The length of an open file, or -1.
long long FileLength(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0)
        return -1;
    return std::ftell(f);
}

bool ReadAt(std::FILE* f, long long at, void* into, std::size_t size) {
    return at >= 0 && std::fseek(f, static_cast<long>(at), SEEK_SET) == 0 &&
           std::fread(into, 1, size, f) == size;
}

// A text field: the bytes up to the first zero, or all of them.
std::string TextField(const unsigned char* bytes, std::size_t size) {
    std::size_t n = 0;
    while (n < size && bytes[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(bytes), n);
}

} // namespace

Czipimg::Czipimg() {
    distance.reserve(kMaxPictures);
}

std::int32_t Czipimg::OffsetDistance(std::int32_t recorded, float videoOffset) {
    const double offset = std::isfinite(videoOffset) ? static_cast<double>(videoOffset) : 0.0;
    const double d = std::trunc(static_cast<double>(recorded) + offset);
    if (d >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (d <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(d);
}

void Czipimg::Forget() {
    count = 0;
    pictureCount = 0;
    distance.clear();
}

std::string Czipimg::ReadImageIndex(float videoOffset) {
    bool needsRebuild = false;
    indexRebuilt = false;
    const std::string note = ReadIndexOnce(videoOffset, &needsRebuild);
    if (!needsRebuild)
        return note;
    const int found = RebuildImageIndex();
    if (found == -2)
        return "The road images " + Quoted(imgPath) + " hold no picture.";
    if (found < 0)
        return "The picture index of " + Quoted(imgPath) +
               " is missing and cannot be rebuilt: " + std::strerror(errno);
    FilePtr f(std::fopen(imgPath.c_str(), "rb"));
    if (!f)
        return "Cannot open the road images " + Quoted(imgPath) + ": " + std::strerror(errno);
    indexRebuilt = true;
    return ReadEntries(f.get(), found, videoOffset);
}

std::string Czipimg::ReadIndexOnce(float videoOffset, bool* needsRebuild) {
    *needsRebuild = false;
    Forget();
    FilePtr f(std::fopen(imgPath.c_str(), "rb"));
    if (!f) {
        // No image file is the usual case for a test without video: nothing to say.
        if (errno == ENOENT)
            return {};
        return "Cannot open the road images " + Quoted(imgPath) + ": " + std::strerror(errno);
    }
    const long long length = FileLength(f.get());
    unsigned char header[kHeaderSize];
    if (length < kHeaderSize || !ReadAt(f.get(), 0, header, sizeof header))
        return "The road images " + Quoted(imgPath) + " are too short for their header.";
    headerText = TextField(header + 160, 80);
    headerValue0 = byteorder::LoadLE<std::int32_t>(header + 240);
    const std::int32_t n = byteorder::LoadLE<std::int32_t>(header + 244);
    indexOffset = byteorder::LoadLE<std::int32_t>(header + 248);
    dataEnd = byteorder::LoadLE<std::int32_t>(header + 252);
    headerText2 = TextField(header + 256, 40);
    pictureCount = n;

    if (n < 1) {
        *needsRebuild = true;
        return {};
    }
    if (n > kMaxPictures)
        return "The road images " + Quoted(imgPath) + " list " + std::to_string(n) +
               " pictures; at most " + std::to_string(kMaxPictures) + " can be shown.";
    const long long indexEnd = static_cast<long long>(indexOffset) + 8LL * n;
    if (indexOffset < 0 || indexEnd > length)
        return "The picture index of " + Quoted(imgPath) + " lies outside the file.";
    return ReadEntries(f.get(), n, videoOffset);
}

std::string Czipimg::ReadEntries(std::FILE* f, int n, float videoOffset) {
    // The index in small pieces: at most 720 kB, and nothing kept but the distances.
    distance.resize(static_cast<std::size_t>(n));
    constexpr int kChunk = 512;
    unsigned char chunk[kChunk * kEntrySize];
    for (int first = 0; first < n; first += kChunk) {
        const int entries = std::min(kChunk, n - first);
        if (!ReadAt(f, indexOffset + 8LL * first, chunk,
                    static_cast<std::size_t>(entries) * kEntrySize)) {
            Forget();
            pictureCount = n;
            return "Cannot read the picture index of " + Quoted(imgPath) + ".";
        }
        for (int k = 0; k < entries; ++k)
            distance[static_cast<std::size_t>(first + k)] = OffsetDistance(
                byteorder::LoadLE<std::int32_t>(chunk + kEntrySize * k), videoOffset);
    }
    count = n;
    return {};
}

int Czipimg::RebuildImageIndex() {
    // Read only: a damaged file is never rewritten from its own contents.
    FilePtr f(std::fopen(imgPath.c_str(), "rb"));
    if (!f)
        return -1;
    const long long length = FileLength(f.get());
    unsigned char header[kHeaderSize];
    if (length < kHeaderSize || !ReadAt(f.get(), 0, header, sizeof header)) {
        errno = EINVAL;
        return -1;
    }
    const std::int32_t n = byteorder::LoadLE<std::int32_t>(header + 244);
    pictureCount = n;
    if (n >= 1)
        return n;
    if (length > INT32_MAX) {
        errno = EFBIG;
        return -1;
    }

    // Entries up to the first zero distance after the first one, the room of a rebuilt index
    // or the end of the file, whichever comes first.
    int taken = 0;
    if (std::fseek(f.get(), kRebuiltIndexOffset, SEEK_SET) == 0) {
        unsigned char entry[kEntrySize];
        for (int i = 0; i < kRebuiltCapacity; ++i) {
            if (kRebuiltIndexOffset + static_cast<long long>(kEntrySize) * (i + 1) > length ||
                std::fread(entry, 1, kEntrySize, f.get()) != kEntrySize)
                break;
            if (i > 0 && byteorder::LoadLE<std::int32_t>(entry) == 0)
                break;
            ++taken;
        }
    }
    if (taken == 0)
        return -2;
    headerValue0 = kRebuiltHeaderValue;
    pictureCount = taken;
    indexOffset = kRebuiltIndexOffset;
    dataEnd = static_cast<std::int32_t>(length);
    return taken;
}

bool Czipimg::PictureBytes(int index, std::vector<std::uint8_t>* out, std::string* error) const {
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    const std::string name = "Picture " + std::to_string(index) + " of " + Quoted(imgPath);
    if (index < 0 || index >= count)
        return fail("There is no picture " + std::to_string(index) + " in the road images.");
    FilePtr f(std::fopen(imgPath.c_str(), "rb"));
    if (!f)
        return fail("Cannot open the road images " + Quoted(imgPath) + ": " + std::strerror(errno));
    const long long length = FileLength(f.get());
    const bool last = index + 1 >= count;
    unsigned char entries[2 * kEntrySize];
    if (length < 0 ||
        !ReadAt(f.get(), indexOffset + 8LL * index, entries, last ? kEntrySize : 2 * kEntrySize))
        return fail("Cannot read the index entry of " + name + ".");
    const long long offset = byteorder::LoadLE<std::int32_t>(entries + 4);
    const long long next = last ? length : byteorder::LoadLE<std::int32_t>(entries + 12);
    if (offset < 0 || next < offset)
        return fail(name + " has a broken index entry (offset " + std::to_string(offset) +
                    ", next " + std::to_string(next) + ").");
    const long long size = next - offset;
    if (size > kMaxPictureBytes)
        return fail(name + " is " + std::to_string(size) + " bytes; at most " +
                    std::to_string(kMaxPictureBytes) + " are read.");
    if (size == 0)
        return fail(name + " holds no data.");
    if (next > length)
        return fail(name + " runs past the end of the file.");
    out->resize(static_cast<std::size_t>(size));
    if (!ReadAt(f.get(), offset, out->data(), out->size())) {
        out->clear();
        return fail("Cannot read " + name + ".");
    }
    return true;
}
