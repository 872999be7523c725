#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

// Reading and writing fixed-size numbers at byte offsets of a buffer, in a given byte order.
namespace byteorder {

template <typename T> T ReverseBytes(T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (std::size_t i = 0; i < sizeof(T) / 2; ++i) {
        unsigned char t = bytes[i];
        bytes[i] = bytes[sizeof(T) - 1 - i];
        bytes[sizeof(T) - 1 - i] = t;
    }
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

template <typename T> T LoadLE(const void* p) {
    T value;
    std::memcpy(&value, p, sizeof(T));
    if constexpr (std::endian::native == std::endian::big)
        value = ReverseBytes(value);
    return value;
}

template <typename T> void StoreLE(void* p, T value) {
    if constexpr (std::endian::native == std::endian::big)
        value = ReverseBytes(value);
    std::memcpy(p, &value, sizeof(T));
}

template <typename T> void StoreBE(void* p, T value) {
    if constexpr (std::endian::native == std::endian::little)
        value = ReverseBytes(value);
    std::memcpy(p, &value, sizeof(T));
}

template <typename T> T LoadBE(const void* p) {
    T value;
    std::memcpy(&value, p, sizeof(T));
    if constexpr (std::endian::native == std::endian::little)
        value = ReverseBytes(value);
    return value;
}

} // namespace byteorder
