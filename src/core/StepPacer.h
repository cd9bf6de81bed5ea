#pragma once
// How often a progress bar is redrawn: a bar that repaints for every word spends more on drawing than on
// the writer, and nobody reads more than a few frames a second.

#include "core/Timing.h"

namespace zendra::core {

// Lets through at most one step per interval; the first step after a restart (a new phase), a step with
// another range and the last step of the range always pass, so the final state is always shown.
class StepPacer {
public:
    static constexpr Duration kInterval = milliseconds(33);  // about 30 redraws a second

    void Restart() { m_started = false; }
    // Zero shows every step (tests that act on a given step).
    void SetInterval(Duration interval) { m_interval = interval; }

    bool Admit(int value, int maximum, Clock::time_point now) {
        const bool due = !m_started || maximum != m_maximum || value >= maximum || now - m_shown >= m_interval;
        if (due) {
            m_started = true;
            m_maximum = maximum;
            m_shown = now;
        }
        return due;
    }

private:
    Duration m_interval = kInterval;
    bool m_started = false;
    int m_maximum = 0;
    Clock::time_point m_shown{};
};

}  // namespace zendra::core
