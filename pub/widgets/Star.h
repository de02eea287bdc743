#pragma once
// A player's row of stars (animations come with the score boards).

#include <atomic>

class CStar {
public:
    // Set to end every running star animation at once; cleared at each deal.
    static std::atomic<bool> m_staticBreak;
    // Number of star-animation threads running.
    static std::atomic<int> m_staticCountThreads;
};
