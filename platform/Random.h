#pragma once
// The classic linear congruential generator of the old C runtime:
// state = state * 214013 + 2531011 (mod 2^32), output (state >> 16) & 0x7FFF.
// Shuffles depend on it bit for bit, so it is kept exactly.

#include <cstdint>

namespace platform {

class Lcg {
public:
    static constexpr int kMax = 0x7FFF;

    explicit Lcg(std::uint32_t seed = 1) : m_state(seed) {}
    void Seed(std::uint32_t seed) { m_state = seed; }
    int Next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_state;
};

} // namespace platform
