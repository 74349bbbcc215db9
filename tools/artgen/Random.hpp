#pragma once

// Fixed-seed randomness for the art generator: the same seed always gives the same pictures and sounds.

#include <cstdint>

namespace artgen
{

// SplitMix64: tiny, well mixed and fully specified, unlike rand().
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : state(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 40) / 16777216.f; }
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    // Uniform integer in [0, n).
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state;
};

// Stateless hash of a lattice point to [0, 1), for value noise.
inline float Hash01(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                      static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xffffffu) / 16777216.f;
}

} // namespace artgen
