#include "document/CalibrationTable.h"

#include "document/RawFileFormat.h"

void CalibrationTable::SetScale(long double scale) {
    if (valid_ && scale == scale_)
        return;
    const long double countsPerUnit = rawfile::kCountsPerUnit;
    for (int count = -32768; count <= 32767; ++count)
        values_[static_cast<std::uint16_t>(count)] =
            static_cast<float>(scale * static_cast<long double>(count) / countsPerUnit);
    scale_ = scale;
    valid_ = true;
}
