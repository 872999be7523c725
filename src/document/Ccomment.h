#pragma once

#include <cstdint>
#include <string>

// A mark the operator set while recording a "QXR-GPR" file, at the scan it was set on.
class Ccomment {
public:
    virtual ~Ccomment() = default;

    std::int16_t number = 0;   // 1-based
    std::int32_t distance = 0; // feet
    std::int16_t miles = 0;
    std::int16_t feet = 0;
    std::uint8_t code = 0;
    std::string text;
    std::int32_t scan = 0;
};
