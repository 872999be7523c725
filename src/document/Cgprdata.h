#pragma once

#include "document/Ccomment.h"
#include "document/Cgprheader.h"
#include "document/Ctrace.h"
#include "document/FixedArray.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The GPR file (".DAT") of a test: a header block whose first 7 bytes name the kind
// ("QXR-GPR" kind 2, "PULSE07" kind 1), then one block of 1024 little-endian int16 samples per
// scan. Amplitudes are 12-bit counts around 2048; the last three samples are the mark code
// (kind 2 only), the miles and the feet of the scan. In kind 2, samples 974 to 1020 are a
// trailer whose first 24 bytes are a GPS record.
//
// Reading the file keeps the distance of every scan, the amplitude range and the marks; the
// scans themselves are loaded only for the window on display, at most kMaxColumns of them.
class Cgprdata {
public:
    static constexpr int kMaxScans = 50'000, kMaxMarks = 100, kMaxColumns = 4002;
    static constexpr int kTrailerFirst = 974; // kind 2: samples 974 ... 1020 are not amplitudes
    static constexpr int kTrailerLast = 1020;
    static constexpr int kMarkSample = 1021;
    static constexpr int kMilesSample = 1022;
    static constexpr int kFeetSample = 1023;
    static constexpr int kNeutral = 2048;
    static constexpr int kFeetPerMile = 5280;

    Cgprdata() = default;
    virtual ~Cgprdata() = default;
    Cgprdata(const Cgprdata&) = delete;
    Cgprdata& operator=(const Cgprdata&) = delete;

    // Reads the file at path: the scan distances, the amplitude range of the first three scans,
    // and in kind 2 the marks and the count of valid GPS records. Loads no scan. Returns -1,
    // with nothing kept (scanCount 0), when the file cannot be opened, has neither kind mark
    // or holds no scan; else 0. *note tells what was refused or cut at a limit, and is empty
    // when the whole file was read.
    int ReadFile(std::string* note = nullptr);
    // Loads scans first ... first + count - 1 (those that exist, at most kMaxColumns) for
    // display. Returns -1 when there is nothing to load or the file cannot be read.
    int LoadScans(int first, int count);
    // The loaded trace at an index: the scan index when `absolute`, else the place in the
    // loaded window. An index outside what is loaded gives an empty trace (sampleCount 0).
    const Ctrace& Trace(int index) const;
    // Forgets the file's contents (no scans, no marks); path is kept.
    void Clear();

    // Scan distance in feet from the miles and feet of a block.
    static int DistanceOf(int miles, int feet) { return miles * kFeetPerMile + feet; }
    // Whether a kind-2 GPS record counts: a sequence below 5000 and above the last counted one,
    // and a position on the globe.
    static bool GpsRecordCounts(int sequence, int lastSequence, double latitude, double longitude);

    Cgprheader header;
    std::array<Ccomment, kMaxMarks> marks;
    std::int32_t scanCount = 0;
    std::int32_t loadedEnd = 0; // index after the last trace loaded
    std::int32_t samplesPerScan = Ctrace::kSamples;
    std::string path;
    std::int16_t fileKind = 0;  // 2 "QXR-GPR", 1 "PULSE07", 0 none
    std::int16_t ampMax = 0;    // at least 2049 once a file is read
    std::int16_t ampMin = 4096; // at most 2047 once a file is read
    std::int32_t markCount = 0;
    std::int32_t gpsCount = 0;
    FixedArray<std::int32_t, kMaxScans> scanDistance;
    bool absolute = false; // true: traces are indexed by scan; false: from the window's start

private:
    void Slots();
    void ForgetWindow();

    std::unique_ptr<Ctrace[]> traces_; // kMaxColumns slots, made on the first load
    std::vector<std::uint8_t> buffer_; // read buffer, made on first use
    int windowFirst_ = 0;              // index of the trace in slot 0
    int windowCount_ = 0;              // slots filled
};
