// The GPS file: track and temperatures, their ranges and the look-up along the track.
#include "document/CNMEA.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CNMEA gps;
    gps.ParseGpsBytes(data, size);
    gps.ComputeRanges();
    for (float x : {-1.0f, 0.0f, gps.distanceStart, (gps.distanceStart + gps.distanceEnd) / 2,
                    gps.distanceEnd, 1e9f})
        gps.LookupByDistance(x);
    return 0;
}
