#pragma once

#include <cstdint>

// A small, fully specified pseudo-random generator, so that the same seed gives the same bytes
// on every platform and library (the standard distributions do not promise that).
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ull;
        return Mix(state_);
    }
    // Uniform in [0, 1) with 53 random bits.
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Zero mean, unit standard deviation, triangular shape: cheap and bounded (|x| < 2.45).
    double Noise() { return (Uniform() + Uniform() - 1.0) * 2.449489742783178; }

    static std::uint64_t Mix(std::uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A generator whose stream depends only on the seed and a key, for features placed by key.
    static SplitMix64 Keyed(std::uint64_t seed, std::uint64_t key) {
        return SplitMix64(Mix(seed ^ Mix(key + 0x632BE59BD9B4E019ull)));
    }

private:
    std::uint64_t state_;
};
