#include "document/Cchannel.h"

#include "document/ByteOrder.h"

#include <cstring>

namespace {

constexpr int kNamesLengthOffset = 50;
constexpr int kNamesOffset = 55;

} // namespace

int Cchannel::ReadChannelTable(const std::uint8_t* fileStart, std::size_t size) {
    for (int i = 0; i < channelCount; ++i) {
        // A descriptor copied into a zeroed buffer, so a short file reads as zeros.
        std::uint8_t d[250] = {};
        std::size_t start = static_cast<std::size_t>(descriptorOffset + i * descriptorSize);
        if (start < size)
            std::memcpy(d, fileStart + start, std::min<std::size_t>(sizeof d, size - start));

        Cdatachannel& c = dataChannels[i];
        c.field0 = byteorder::LoadLE<std::int32_t>(d + 0);
        c.field4 = d[4];
        c.field5 = d[5];
        c.field6 = d[6];
        c.field7 = byteorder::LoadLE<std::uint16_t>(d + 7);
        c.field9 = byteorder::LoadLE<std::int32_t>(d + 9);
        c.field13 = byteorder::LoadLE<std::int32_t>(d + 13);
        c.field17 = byteorder::LoadLE<std::int32_t>(d + 17);
        c.field21 = byteorder::LoadLE<std::int32_t>(d + 21);
        c.active = d[25];
        std::memcpy(c.field26, d + 26, 8);

        // Names run back to back; a length table that overruns the descriptor is cut at its end.
        int pos = kNamesOffset;
        for (int k = 0; k < 5; ++k) {
            int length = d[kNamesLengthOffset + k];
            length = std::min(length, static_cast<int>(sizeof d) - pos);
            const char* text = reinterpret_cast<const char*>(d + pos);
            c.names[k].assign(text, strnlen(text, static_cast<std::size_t>(length)));
            pos += length;
        }
    }
    CollectActiveChannels();
    return 0;
}

int Cchannel::CollectActiveChannels() {
    activeCount = 0;
    for (int i = 0; i < channelCount && i < 12; ++i)
        if (dataChannels[i].active != 0)
            activeList[activeCount++] = static_cast<std::uint8_t>(i);
    return activeCount;
}
