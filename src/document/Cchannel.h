#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// One channel descriptor of a raw test file, kept as read. Only the active flag is used.
class Cdatachannel {
public:
    virtual ~Cdatachannel() = default;

    std::int32_t field0 = 0;
    std::uint8_t field4 = 0;
    std::uint8_t field5 = 0;
    std::uint8_t field6 = 0;
    std::uint16_t field7 = 0;
    std::int32_t field9 = 0;
    std::int32_t field13 = 0;
    std::int32_t field17 = 0;
    std::int32_t field21 = 0;
    std::uint8_t active = 0;
    std::uint8_t field26[8] = {};
    std::string names[5];
};

// The channel table of a raw test file: twelve descriptors and the list of active channels.
class Cchannel {
public:
    virtual ~Cchannel() = default;

    // Reads the twelve descriptors from the first bytes of a file (at least 3500 bytes for a
    // whole table; bytes past the end of `fileStart` read as zero), then collects the active
    // channels. Returns 0.
    int ReadChannelTable(const std::uint8_t* fileStart, std::size_t size);
    // Fills activeList with the numbers of the active channels; returns activeCount.
    int CollectActiveChannels();

    Cdatachannel dataChannels[12];
    std::uint8_t activeList[12] = {};
    std::int32_t channelCount = 12;
    std::int32_t descriptorOffset = 500;
    std::int32_t descriptorSize = 250;
    std::int32_t dataOffset = 8000;
    std::int32_t activeCount = 0;
};
