#include "FakeTiming.h"

namespace zendra::test {

FakeTiming::FakeTiming() : m_now(core::Clock::time_point(std::chrono::hours(24 * 1000) - std::chrono::milliseconds(500))) {}

void FakeTiming::Sleep(core::milliseconds pause) {
    m_now += pause;
    m_slept += pause;
    if (onAdvance) onAdvance();
}

void FakeTiming::RunEventsFor(core::Duration span) {
    m_now += span;
    m_waited += span;
    if (onAdvance) onAdvance();
}

}  // namespace zendra::test
