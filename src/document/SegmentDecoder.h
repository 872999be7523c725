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

// How the samples of a read are calibrated: the geophone read (its block number, 1 to 4) with
// its factor, and the load cell's factor.
struct Calibration {
    std::int32_t geophone = 1;
    float geophoneFactor = 1.0f;
    float loadFactor = 0.0f;
};

// The geophone and the factors the user chose in the options.
Calibration CalibrationOf(const CKVTcontrol& options);

// Decodes groups of a raw file into the document: the load cell (block 0) and the selected
// geophone, calibrated, with one distance per group and the signals' minima and maxima.
// Groups are read in large blocks into one buffer allocated here, once.
class SegmentDecoder {
public:
    SegmentDecoder();

    // Groups first .. first + groups - 1 (groups >= 1, at most the signal capacity). Fails with
    // a message when the file ends early; the arrays are then partly overwritten.
    bool Decode(CVorlixDoc& doc, const RawFile& file, std::int64_t first, int groups,
                const Calibration& calibration, std::string* error);

private:
    std::vector<std::uint8_t> buffer_;
    CalibrationTable loadTable_;
    CalibrationTable geoTable_;
};
