#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The road-image store (".IMG"): a 296-byte header, an index of (distance, offset) int32 pairs
// at indexOffset and the compressed pictures back to back. Picture i runs from its offset to
// the offset of picture i + 1, the last one to the end of the file.
//
// The file is opened per call and closed before returning, so nothing stays open between
// reads and a file replaced on disk is seen as it is now.
class Czipimg {
public:
    static constexpr int kMaxPictures = 90'000;
    static constexpr int kMaxPictureBytes = 900'000;
    static constexpr int kHeaderSize = 296;
    static constexpr int kHeaderValuesOffset = 240;
    // A rebuilt index: the header value it is marked with, where it starts and its room.
    static constexpr std::int32_t kRebuiltHeaderValue = 402'296;
    static constexpr std::int32_t kRebuiltIndexOffset = 1296;
    static constexpr int kRebuiltCapacity = 50'000;

    Czipimg();
    virtual ~Czipimg() = default;

    // Reads the header and index of imgPath; fills pictureCount, count and distance (with
    // videoOffset applied, truncated toward zero). When N < 1 it rebuilds the index once and
    // reads again. Returns a note for the status bar when something was refused (empty when
    // all is well or the file does not exist); a missing or unreadable file leaves count 0.
    std::string ReadImageIndex(float videoOffset);

    // Repairs a header whose N is below 1 from the entries at kRebuiltIndexOffset, up to the
    // first zero distance after the first entry or the end of the file. Writes the 16 header
    // bytes at 240 only when it found a picture. Returns the header's N afterwards (as it was
    // when it needed no repair), -1 when the file cannot be read or written, -2 when no
    // picture was found (nothing written).
    int RebuildImageIndex();

    // The stored bytes of picture index, unchanged (for decoding and for saving); false, with
    // the reason in *error, when the index is outside the pictures or the entry is refused.
    // *out is resized in place, so a vector reserved to kMaxPictureBytes is never regrown.
    bool PictureBytes(int index, std::vector<std::uint8_t>* out,
                      std::string* error = nullptr) const;

    // The picture distance for an index distance: trunc(recorded + videoOffset), saturated to
    // the int32 range; a video offset that is not a number counts as 0.
    static std::int32_t OffsetDistance(std::int32_t recorded, float videoOffset);

    std::string imgPath;
    std::string headerText = "This is a test file"; // the text at 160
    std::int32_t headerValue0 = 0;
    std::string headerText2; // the text at 256
    std::int32_t spare = 100;
    std::int32_t indexOffset = 109;
    std::int32_t dataEnd = 0;
    std::int32_t pictureCount = 0; // N as the header says it
    std::int32_t pictureWidth = 640;
    std::int32_t pictureHeight = 480;

    int count = 0;                      // the viewer's copy of N (0 when nothing usable)
    bool indexRebuilt = false;          // the index was missing and rebuilt in memory
    std::vector<std::int32_t> distance; // the viewer's picture distances (feet, offset applied)

private:
    std::string ReadIndexOnce(float videoOffset, bool* needsRebuild);
    std::string ReadEntries(std::FILE* file, int n, float videoOffset);
    void Forget();
};
