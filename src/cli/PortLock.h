#pragma once
// Two zendra-cli processes never share a writer: one lock file per serial device, in the user's runtime
// folder. A lock that no live process holds (empty, garbage, or of a process that has ended) is taken
// over; one held by a live process refuses.

#include <QLockFile>
#include <QString>
#include <memory>

namespace zendra::cli {

class PortLock {
public:
    enum class Outcome { Taken, TakenOver, Held, Failed };

    // Locks the device at `devicePath` (its canonical path names the lock).
    Outcome Acquire(const QString& devicePath);
    // The lock file's path, for the messages.
    const QString& FileName() const { return m_fileName; }

private:
    QString m_fileName;
    std::unique_ptr<QLockFile> m_lock;
};

}  // namespace zendra::cli
