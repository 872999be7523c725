#pragma once

#include <QColor>

#include <array>
#include <cstdint>

// The palette of the GPR image: a master palette as built, and the working palette the image
// takes its colours from, which stretches the master between two handles (palette indices).
class Ccolorrainbowl {
public:
    static constexpr int kCapacity = 2000;
    static constexpr int kGrey = 1;    // 256 colours, white to black
    static constexpr int kRainbow = 2; // 1280 colours: blue, cyan, green, yellow, red, magenta

    virtual ~Ccolorrainbowl() = default;

    // Builds the master palette of `scheme`, copies it into `working` and puts the handles at
    // the ends. Any other scheme leaves the palette empty. Returns 0.
    int Build();
    // Working colour k: master[0] below `lower`, the master's lower half stretched from `lower`
    // to the middle, its upper half from the middle to `upper`, master[N - 1] from `upper` on.
    void RebuildWorking();

    std::int16_t colourCount = 0; // N
    std::int16_t scheme = kRainbow;
    std::int32_t spare = 14;
    std::array<QRgb, kCapacity> working{};
    std::array<QRgb, kCapacity> master{};
    std::int16_t upperPix = 0; // handle rows above the bar's bottom, as last drawn
    std::int16_t lowerPix = 0;
    std::int16_t upper = 0;
    std::int16_t lower = 0;
};
