#include "Star.h"

std::atomic<bool> CStar::m_staticBreak{false};
std::atomic<int> CStar::m_staticCountThreads{0};
