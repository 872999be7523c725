#include "document/Cgprdata.h"

#include "document/ByteOrder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kBlockBytes = Ctrace::kSamples * 2;
constexpr int kChunkBlocks = 256; // blocks per read: 512 KB
constexpr int kMarkBytes = 1024;  // the kind mark is looked for in the first 1024 bytes
constexpr int kGpsOffset = 2 * Cgprdata::kTrailerFirst; // GPS record in a block's trailer
constexpr int kGpsBytes = 24;
constexpr int kAmplitudeRangeScans = 3;

const char kQxrMark[] = "QXR-GPR";
const char kPulseMark[] = "PULSE07";

// A read-only file read at offsets; closes itself.
class BlockFile {
public:
    explicit BlockFile(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
        if (fd_ >= 0)
            size_ = static_cast<long long>(info.st_size);
    }
    ~BlockFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    BlockFile(const BlockFile&) = delete;
    BlockFile& operator=(const BlockFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    long long Size() const { return size_; }

    // Reads up to size bytes at offset; returns how many arrived (fewer at the end of the file
    // or on an error).
    std::size_t ReadAt(long long offset, std::uint8_t* out, std::size_t size) const {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t got = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
            offset += got;
        }
        return done;
    }

private:
    int fd_ = -1;
    long long size_ = 0;
};

std::int16_t SampleOf(const std::uint8_t* block, int k) {
    return byteorder::LoadLE<std::int16_t>(block + 2 * k);
}

int KindOfMark(const std::uint8_t* bytes, std::size_t size) {
    if (size < 7)
        return 0;
    if (std::memcmp(bytes, kQxrMark, 7) == 0)
        return 2;
    if (std::memcmp(bytes, kPulseMark, 7) == 0)
        return 1;
    return 0;
}

void Append(std::string& note, const std::string& text) {
    if (!note.empty())
        note += ' ';
    note += text;
}

const Ctrace& EmptyTrace() {
    static const Ctrace empty = [] {
        Ctrace t;
        t.sampleCount = 0;
        return t;
    }();
    return empty;
}

} // namespace

bool Cgprdata::GpsRecordCounts(int sequence, int lastSequence, double latitude, double longitude) {
    return sequence < 5000 && sequence > lastSequence && std::fabs(latitude) < 90.0 &&
           std::fabs(longitude) < 180.0;
}

void Cgprdata::ForgetWindow() {
    windowFirst_ = 0;
    windowCount_ = 0;
    loadedEnd = 0;
}

void Cgprdata::Clear() {
    scanCount = 0;
    fileKind = 0;
    ampMax = 0;
    ampMin = 4096;
    markCount = 0;
    gpsCount = 0;
    ForgetWindow();
}

void Cgprdata::Slots() {
    if (!traces_)
        traces_ = std::make_unique<Ctrace[]>(kMaxColumns);
    if (buffer_.empty())
        buffer_.resize(static_cast<std::size_t>(kChunkBlocks) * kBlockBytes);
}

int Cgprdata::ReadFile(std::string* note) {
    std::string said;
    auto refuse = [&](const std::string& why) {
        Clear();
        if (note)
            *note = why;
        return -1;
    };
    Clear();
    samplesPerScan = Ctrace::kSamples;
    const std::string quoted = "\"" + path + "\"";
    BlockFile file(path);
    if (!file.IsOpen())
        return refuse("The GPR file " + quoted + " cannot be opened.");

    std::uint8_t mark[kMarkBytes] = {};
    const std::size_t markBytes = file.ReadAt(
        0, mark, static_cast<std::size_t>(std::min<long long>(file.Size(), kMarkBytes)));
    const int kind = KindOfMark(mark, markBytes);
    if (kind == 0)
        return refuse(quoted + " is not a GPR file: it starts with neither \"QXR-GPR\" nor " +
                      "\"PULSE07\".");
    long long scans = file.Size() / kBlockBytes - 1;
    if (scans < 1)
        return refuse("The GPR file " + quoted + " holds no scan.");
    if (scans > kMaxScans) {
        Append(said, "The GPR file holds " + std::to_string(scans) + " scans; only the first " +
                         std::to_string(kMaxScans) + " are shown.");
        scans = kMaxScans;
    }
    Slots();

    // One pass over blocks 0 ... scans in large reads. Scan j's GPS record lies in the trailer
    // of block j - 1, so each block's record is kept for the next one.
    int range = 0;
    int rangeSamples = kind == 2 ? kTrailerFirst : Ctrace::kAmplitudeSamples;
    int ampHigh = 0, ampLow = 4096;
    int lastSequence = -1;
    bool marksCut = false;
    std::uint8_t gpsBefore[kGpsBytes] = {};
    long long read = 0; // scans read
    for (long long first = 0; first <= scans; first += kChunkBlocks) {
        const long long want = std::min<long long>(kChunkBlocks, scans + 1 - first);
        const std::size_t got = file.ReadAt(first * kBlockBytes, buffer_.data(),
                                            static_cast<std::size_t>(want) * kBlockBytes);
        const long long whole = static_cast<long long>(got / kBlockBytes);
        for (long long b = first; b < first + whole; ++b) {
            const std::uint8_t* block = buffer_.data() + (b - first) * kBlockBytes;
            if (b >= 1) {
                const int j = static_cast<int>(b);
                const int miles = SampleOf(block, kMilesSample);
                const int feet = SampleOf(block, kFeetSample);
                scanDistance[j - 1] = DistanceOf(miles, feet);
                if (range < kAmplitudeRangeScans) {
                    for (int k = 0; k < rangeSamples; ++k) {
                        const int v = SampleOf(block, k);
                        ampHigh = std::max(ampHigh, v);
                        ampLow = std::min(ampLow, v);
                    }
                    ++range;
                }
                if (kind == 2) {
                    const int sequence = byteorder::LoadLE<std::uint16_t>(gpsBefore);
                    const double latitude = byteorder::LoadLE<double>(gpsBefore + 8);
                    const double longitude = byteorder::LoadLE<double>(gpsBefore + 16);
                    if (GpsRecordCounts(sequence, lastSequence, latitude, longitude)) {
                        ++gpsCount;
                        lastSequence = sequence;
                    }
                    const int code = SampleOf(block, kMarkSample);
                    if (code != 0 && markCount >= kMaxMarks) {
                        marksCut = true;
                    } else if (code != 0) {
                        Ccomment& m = marks[markCount];
                        m.number = static_cast<std::int16_t>(markCount + 1);
                        m.distance = scanDistance[j - 1];
                        m.miles = static_cast<std::int16_t>(miles);
                        m.feet = static_cast<std::int16_t>(feet);
                        m.code = static_cast<std::uint8_t>(code & 0xFF);
                        m.text.clear();
                        m.scan = j - 1;
                        ++markCount;
                    }
                }
                read = b;
            }
            std::memcpy(gpsBefore, block + kGpsOffset, kGpsBytes);
        }
        if (whole < want)
            break;
    }
    if (read < 1)
        return refuse("The GPR file " + quoted + " holds no scan.");
    if (read < scans)
        Append(said, "The GPR file ends early: " + std::to_string(read) + " scans are read.");
    else if (const long long rest = file.Size() % kBlockBytes;
             rest != 0 && read == scans && file.Size() / kBlockBytes - 1 == scans)
        Append(said, "The GPR file ends inside a scan: " + std::to_string(read) +
                         " whole scans are read, the last " + std::to_string(rest) +
                         " bytes are not.");
    if (marksCut)
        Append(said, "The GPR file has more than " + std::to_string(kMaxMarks) +
                         " marks; only the first " + std::to_string(kMaxMarks) + " are kept.");

    fileKind = static_cast<std::int16_t>(kind);
    scanCount = static_cast<std::int32_t>(read);
    // A flat or one-sided range would divide by zero (or turn the colours round) in the image:
    // keep at least one count on each side of the neutral value.
    ampMax = static_cast<std::int16_t>(std::max(ampHigh, kNeutral + 1));
    ampMin = static_cast<std::int16_t>(std::min(ampLow, kNeutral - 1));
    if (note)
        *note = said;
    return 0;
}

int Cgprdata::LoadScans(int first, int count) {
    long long end = static_cast<long long>(first) + count;
    const long long from = std::max(first, 0);
    end = std::min<long long>(end, scanCount);
    if (end <= from)
        return -1;
    end = std::min<long long>(end, from + kMaxColumns);
    BlockFile file(path);
    if (!file.IsOpen())
        return -1;
    Slots();

    const bool trailer = fileKind == 2;
    int filled = 0;
    for (long long s = from; s < end; s += kChunkBlocks) {
        const long long want = std::min<long long>(kChunkBlocks, end - s);
        const std::size_t got = file.ReadAt((s + 1) * kBlockBytes, buffer_.data(),
                                            static_cast<std::size_t>(want) * kBlockBytes);
        const long long whole = static_cast<long long>(got / kBlockBytes);
        for (long long b = 0; b < whole; ++b) {
            const std::uint8_t* block = buffer_.data() + b * kBlockBytes;
            Ctrace& t = traces_[filled++];
            t.sampleCount = Ctrace::kAmplitudeSamples;
            long long sum = 0;
            for (int k = 0; k < Ctrace::kAmplitudeSamples; ++k) {
                const std::int16_t v = trailer && k >= kTrailerFirst && k <= kTrailerLast
                                           ? static_cast<std::int16_t>(kNeutral)
                                           : SampleOf(block, k);
                t.samples[k] = v;
                sum += v;
            }
            t.miles = SampleOf(block, kMilesSample);
            t.feet = SampleOf(block, kFeetSample);
            t.samples[kMilesSample] = t.miles;
            t.samples[kFeetSample] = t.feet;
            t.distance = DistanceOf(t.miles, t.feet);
            t.mean = static_cast<float>(static_cast<double>(sum) / Ctrace::kAmplitudeSamples);
        }
        if (whole < want)
            break;
    }
    windowFirst_ = absolute ? static_cast<int>(from) : 0;
    windowCount_ = filled;
    loadedEnd = windowFirst_ + filled;
    return filled > 0 ? 0 : -1;
}

const Ctrace& Cgprdata::Trace(int index) const {
    const long long slot = static_cast<long long>(index) - windowFirst_;
    if (!traces_ || slot < 0 || slot >= windowCount_)
        return EmptyTrace();
    return traces_[slot];
}
