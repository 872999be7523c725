#pragma once

#include <cstdint>

// The DMI station table: a thinned copy, at most 1000 entries, of a per-group array of the
// document, refreshed after every load. Copied by value with the record.
class CkelDMI {
public:
    static constexpr int kEntryCapacity = 1000;

    virtual ~CkelDMI() = default;

    // Fills entries with every stride-th of the n source values, stride = n / 1002. Returns 0,
    // or -1 (the table left empty) when there is no source value to copy.
    int Decimate(const std::int32_t* source, int n);

    float factor = 0.0923f;
    float entries[kEntryCapacity] = {};
    std::int16_t stride = 10;
    int entryCount = 0;
    float spare = 0.0f;
};
