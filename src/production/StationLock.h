#pragma once
// A station locked to its job: while the lock holds, every way into the job (the main window's commands,
// buffer edits, the device, the setup, the ports, closing) is refused until an engineer's password opens
// it. Wrong passwords are answered ever later, so guessing at the bench is slow. The password itself is
// checked by the windows; this class only keeps what the lock stands for and what the records say of it.

#include <QString>
#include <chrono>

#include "production/ChipStore.h"

namespace zendra::production {

class StationLock {
public:
    using Clock = std::chrono::steady_clock;

    // Locks the station to the setup at `setupPath`.
    void Lock(const QString& setupPath);
    bool Locked() const { return m_locked; }
    const QString& LockedTo() const { return m_setupPath; }

    // How long before a password may be tried again (zero: now).
    std::chrono::milliseconds WaitLeft(Clock::time_point now) const;
    // A right password: the lock opens, and `bench` is who opened it last. The wrong ones counted so far
    // are forgotten.
    void Opened(const QString& bench);
    // A wrong password: the lock holds, and the next try waits 1 s, then 2, 4, 8, ... up to 30 s.
    // Returns that wait.
    std::chrono::milliseconds Refused(Clock::time_point now);

    // What each chip's record says of the lock.
    StationFacts Facts() const { return {m_locked, m_unlockedBy}; }

    static constexpr std::chrono::milliseconds kFirstWait{1000};
    static constexpr std::chrono::milliseconds kLongestWait{30000};

private:
    bool m_locked = false;
    QString m_setupPath;
    QString m_unlockedBy;
    int m_wrong = 0;
    Clock::time_point m_notBefore{};
};

}  // namespace zendra::production
