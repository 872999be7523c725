#pragma once

#include <cstddef>

// Fixed capacities of the test document.
inline constexpr std::size_t kSignalCapacity = 3'200'000; // samples per channel in one segment
inline constexpr std::size_t kCycleCapacity = 130'000;    // per-cycle and result entries
inline constexpr std::size_t kGroupCapacity = 50'000;     // group distances
inline constexpr int kSamplesPerGroup = 250;
inline constexpr int kMaxSegmentGroups = 12'800; // 12,800 x 250 = kSignalCapacity
