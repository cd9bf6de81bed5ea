#pragma once
// Tells when a serial port appears or vanishes, from the system's device monitor (udev), so the lists of
// detected ports follow an adapter being plugged in or pulled out. Where the monitor cannot be had (no
// udev, no netlink in a container) nothing is reported and the lists are simply not live.

#include <QObject>
#include <chrono>
#include <memory>

class QSocketNotifier;

namespace zendra::link {

class PortWatcher final : public QObject {
    Q_OBJECT
public:
    explicit PortWatcher(QObject* parent = nullptr);
    ~PortWatcher() override;

    // Whether the system's monitor is running.
    bool IsLive() const;
    // Waits without an event loop (the command line) for a port to come or go, at most `timeout`; true
    // when one did. Without a monitor it only sleeps the timeout out. A signal ends it early.
    bool WaitForChange(std::chrono::milliseconds timeout);

Q_SIGNALS:
    // A serial port appeared or vanished; the detected ports are worth reading again.
    void PortsChanged();

private:
    // Takes every waiting event of the monitor; true when one was a serial port's.
    bool TakeEvents();

    struct Monitor;
    std::unique_ptr<Monitor> m_monitor;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace zendra::link
