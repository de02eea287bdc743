#include "MyLabel.h"

std::atomic<bool> CMyLabel::m_staticBreak{false};
std::atomic<int> CMyLabel::m_staticCountThreads{0};
