#include "document/CkelDMI.h"

#include <algorithm>

int CkelDMI::Decimate(const std::int32_t* source, int n) {
    if (source == nullptr || n < 1) {
        entryCount = 0; // nothing to thin: an empty source has no last entry to repeat
        return -1;
    }
    const int step = n / 1002;
    stride = static_cast<std::int16_t>(std::min(step, 32767));
    entryCount = kEntryCapacity;
    for (int i = 0; i < kEntryCapacity; ++i) {
        const long long at = static_cast<long long>(i) * step;
        if (at >= n) {
            entries[i] = static_cast<float>(source[n - 1]);
            entryCount = i + 1;
            break;
        }
        entries[i] = static_cast<float>(source[at]);
    }
    return 0;
}
