#pragma once

#include "document/Progress.h"

#include <cstdint>
#include <string>

class Cchannel;

// The conversion export: a whole raw test file turned into two big-endian exchange files.
//
//   NAME_A.DAT  one 36-byte record per sample time: the first nine channel blocks as
//               int16 / 3276.8 in big-endian float32, channels the file lacks as 0.0, and
//               channel 7 overwritten by a 5.0 pulse train of 21.23503 pulses per foot moved.
//   NAME_C.DAT  one 16-byte record per fourth group: its DMI distance and the time stamp
//               8024.0 + 0.25 x group, both big-endian doubles.
namespace conversion {

inline constexpr int kExportedChannels = 9;
inline constexpr int kPulseChannel = 7;
inline constexpr int kARecordBytes = kExportedChannels * 4;
inline constexpr int kCRecordBytes = 16;
inline constexpr int kGroupsPerCRecord = 4;
inline constexpr double kPulsesPerFoot = 21.23503;
inline constexpr double kFirstTimeStamp = 8024.0;
inline constexpr double kSecondsPerGroup = 0.25;
inline constexpr float kPulseLevel = 5.0f;

// Distance pulses of a group whose distance moved from `previous` to `distance`: the count
// (distance - previous) x 21.23503 + 0.5 truncated toward zero. A NaN, infinite or huge
// movement has no meaningful count and gives 0 (no pulses).
std::int64_t PulseCount(double distance, double previous);

// Sets channel 7's samples of one group (250 values) to 5.0 for p pulses: p pulses of
// (250 / p) / 2 samples every 250 / p samples, starting at ((250 / p) / 2) / 2. Nothing is set
// for p <= 0 or p > 250 (the pulse spacing would be 0).
void ApplyPulseTrain(float* channel, std::int64_t pulses);

// The output names: base + "_A.DAT" and base + "_C.DAT".
std::string APath(const std::string& outBase);
std::string CPath(const std::string& outBase);

// The default base of a raw file: its path without the file name's extension (the part from
// the file name's last '.'); a file name without '.' keeps the whole path.
std::string DefaultOutputBase(const std::string& rawPath);

} // namespace conversion

struct ConversionStatus {
    bool ok = false;          // both files written
    std::string message;      // why nothing was written
    std::string aPath, cPath; // the files written
    std::int64_t groupCount = 0;
    std::int64_t aRecords = 0;
    std::int64_t cRecords = 0;
};

// Converts the whole of rawPath into outBase + "_A.DAT" and outBase + "_C.DAT". The input is
// read in large blocks into fixed buffers; each output is written under a temporary name and
// renamed into place only when complete, so a failed conversion leaves earlier files with the
// same names untouched. A file that is not a usable raw test file (RawFile::IsUsable) is refused
// and nothing is written. The file's channel table replaces *channelsOut (when given) once the
// file is open.
// Progress counts groups.
ConversionStatus ConvertRawFile(const std::string& rawPath, const std::string& outBase,
                                Cchannel* channelsOut, const ProgressCallback& progress = {},
                                const CancelCheck& cancelled = {});
