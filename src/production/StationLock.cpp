#include "production/StationLock.h"

#include <algorithm>

namespace zendra::production {

void StationLock::Lock(const QString& setupPath) {
    m_locked = true;
    m_setupPath = setupPath;
}

std::chrono::milliseconds StationLock::WaitLeft(Clock::time_point now) const {
    if (now >= m_notBefore) return std::chrono::milliseconds{0};
    return std::chrono::ceil<std::chrono::milliseconds>(m_notBefore - now);
}

void StationLock::Opened(const QString& bench) {
    m_locked = false;
    m_unlockedBy = bench;
    m_wrong = 0;
    m_notBefore = {};
}

std::chrono::milliseconds StationLock::Refused(Clock::time_point now) {
    // Doubling stops well before it could overflow: 2^5 s is already past the longest wait.
    m_wrong = std::min(m_wrong + 1, 6);
    const auto wait = std::min(kFirstWait * (1 << (m_wrong - 1)), kLongestWait);
    m_notBefore = now + wait;
    return wait;
}

}  // namespace zendra::production
