#pragma once
// A clock that moves only when the code under test sleeps or waits, so time-outs run in microseconds.

#include <functional>

#include "core/Timing.h"

namespace zendra::test {

class FakeTiming final : public core::Timing {
public:
    // Starts near a day boundary, so any arithmetic on seconds-since-midnight would show.
    FakeTiming();
    core::Clock::time_point Now() const override { return m_now; }
    void Sleep(core::milliseconds pause) override;
    void RunEventsFor(core::Duration span) override;
    void Advance(core::Duration span) { m_now += span; }

    core::Duration SleptTotal() const { return m_slept; }
    core::Duration WaitedTotal() const { return m_waited; }
    // Called after every advance (tests use it to deliver scripted replies or press buttons mid-wait).
    std::function<void()> onAdvance;

private:
    core::Clock::time_point m_now;
    core::Duration m_slept{0};
    core::Duration m_waited{0};
};

}  // namespace zendra::test
