#pragma once

#include "document/CalibrationTable.h"

#include <cstdint>
#include <string>
#include <vector>

class CKVTcontrol;
class CVorlixDoc;
class RawFile;

// The calibration factor of the selected geophone; geophone 4 has none and reads unscaled.
float GeophoneFactor(const CKVTcontrol& options);

// Decodes groups of a raw file into the document: the load cell (block 0) and the selected
// geophone, calibrated, with one distance per group and the signals' minima and maxima.
// Groups are read in large blocks into one buffer allocated here, once.
class SegmentDecoder {
public:
    SegmentDecoder();

    // Groups first .. first + groups - 1 (groups >= 1, at most the signal capacity). Fails with
    // a message when the file ends early; the arrays are then partly overwritten.
    bool Decode(CVorlixDoc& doc, const RawFile& file, std::int64_t first, int groups,
                std::string* error);

private:
    std::vector<std::uint8_t> buffer_;
    CalibrationTable loadTable_;
    CalibrationTable geoTable_;
};
