#pragma once
// Windowless text label of the table (caption effects come with the labels).

#include <atomic>

class CMyLabel {
public:
    // Set to end every running caption effect at once; cleared at each deal.
    static std::atomic<bool> m_staticBreak;
    // Number of caption-effect threads running.
    static std::atomic<int> m_staticCountThreads;
};
