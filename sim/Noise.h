#pragma once
// Counter-based pseudo-random numbers: every value is a pure function of the seed and
// the coordinates it belongs to (security, session, second, purpose), so any moment
// of the simulated market can be recomputed without replaying what came before.

#include <cstdint>

namespace marlune::sim {

// The splitmix64 finaliser: a cheap, well-mixing 64-bit hash.
inline std::uint64_t Mix(std::uint64_t value) {
    value += 0x9E3779B97F4A7C15ULL;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

inline std::uint64_t Hash(std::uint64_t seed, std::uint64_t a, std::uint64_t b = 0, std::uint64_t c = 0) {
    return Mix(seed ^ Mix(a ^ Mix(b ^ Mix(c))));
}

// A uniform value in [0, 1) from 53 bits of a hash.
inline double UnitFrom(std::uint64_t bits) {
    return static_cast<double>(bits >> 11) * (1.0 / 9007199254740992.0);
}

// An approximately standard normal value from one hash: the sum of four 16-bit
// uniforms, centred and scaled to unit variance.
inline double NormalFrom(std::uint64_t bits) {
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        sum += (static_cast<double>((bits >> (16 * i)) & 0xFFFF) + 0.5) / 65536.0;
    }
    return (sum - 2.0) * 1.7320508075688772; // sqrt(3): four uniforms have variance 1/3
}

} // namespace marlune::sim
