#pragma once

#include "document/CGPR.h"
#include "document/CKVTcontrol.h"
#include "document/CNMEA.h"
#include "document/Capacities.h"
#include "document/Cchannel.h"
#include "document/CkelDMI.h"
#include "document/Cpolynomial.h"
#include "document/Czipimg.h"
#include "document/FixedArray.h"

#include <cstdint>
#include <string>

// The test document: one segment of a raw test file as calibrated sample arrays, everything
// computed from it, the companion data and the analysis options. A plain record whose members
// every part of the program reads and writes directly. All storage is allocated once, here;
// counts say how much of each array is valid and everything beyond a count is stale.
//
// The drawing objects that lay the window out (layout, picture viewer, detail charts, labels,
// cursor lines) live with the view, so this record stays free of any graphics library.
class CVorlixDoc {
public:
    // Builds the record and reads the settings file of workDirectory.
    explicit CVorlixDoc(const std::string& workDirectory = ".");
    virtual ~CVorlixDoc() = default;
    CVorlixDoc(const CVorlixDoc&) = delete;
    CVorlixDoc& operator=(const CVorlixDoc&) = delete;

    // Distance stationing and position look-ups on the loaded segment.
    float DistanceAtPoint(int point) const; // 0 outside, -100.0 in the last group
    std::string StationText(int point) const;
    int PointAtDistance(float distance) const; // -1 when outside
    int CycleAtDistance(float distance) const; // -1 when outside
    static int FloorIndex(int hi, int lo, int key, const int* values);

    static constexpr float kNoDistance = -100.0f;

    FixedArray<float, kSignalCapacity> loadSignal;
    FixedArray<float, kSignalCapacity> loadFiltered;
    float loadMin = -20.0f;
    float loadMax = 30.0f;
    FixedArray<float, kSignalCapacity> geoSignal;
    FixedArray<float, kSignalCapacity> geoFiltered;
    float geoMin = 0.0f;
    float geoMax = 0.0f;
    int pointCount = 0;
    FixedArray<std::int32_t, kCycleCapacity> profileSource;
    CkelDMI dmiTable;
    float loadFrequency = 30.0f;
    float sampleRate = 1000.0f;
    int cycleLength = 30;
    int cycleCount = 0;
    FixedArray<float, kCycleCapacity> cycleLoadAmplitude;
    FixedArray<float, kCycleCapacity> cycleGeoAmplitude;
    FixedArray<int, kCycleCapacity> loadPeakIndex;
    FixedArray<int, kCycleCapacity> loadTroughIndex;
    FixedArray<int, kCycleCapacity> geoPeakIndex;
    FixedArray<int, kCycleCapacity> geoTroughIndex;
    FixedArray<float, kCycleCapacity> cycleRatio;
    FixedArray<float, kCycleCapacity> cycleDistance;
    std::string rdoPath;
    std::string txtPath;
    FixedArray<float, kGroupCapacity> groupDistance;
    int groupCount = 0;
    int loadCycleCount = 0;
    int geoCycleCount = 0;
    Cpolynomial polynomial;
    Cchannel channels;
    CKVTcontrol options;
    std::string rawPath;
    Czipimg images;
    float segmentStartDistance = 0.0f;
    CNMEA gps;
    CGPR gpr;
    FixedArray<float, kCycleCapacity> resultValue;
    FixedArray<float, kCycleCapacity> resultDistance;
    int resultCount = 0;
};
