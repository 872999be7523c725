#include "document/Camply.h"

#include <cmath>

Camply::Camply() {
    for (int i = 0; i < kLength; ++i)
        gain[i] = GainAt(i);
}

float Camply::GainAt(int sample) {
    if (sample < kFlatLength)
        return 1.0f;
    return static_cast<float>(
        1.0 + 3.0 * std::sin((sample - kFlatLength) * 3.1415926 / (kLength - kFlatLength) * 0.5));
}
