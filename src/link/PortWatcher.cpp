#include "link/PortWatcher.h"

#include <poll.h>

#include <QSocketNotifier>

#if ZENDRA_HAVE_UDEV
#include <libudev.h>
#endif

namespace zendra::link {

#if ZENDRA_HAVE_UDEV
struct PortWatcher::Monitor {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    ~Monitor() {
        if (monitor) udev_monitor_unref(monitor);
        if (context) udev_unref(context);
    }
};

PortWatcher::PortWatcher(QObject* parent) : QObject(parent) {
    auto monitor = std::make_unique<Monitor>();
    monitor->context = udev_new();
    // The udev daemon's events come after its rules ran, so the port's permissions and by-id link exist.
    if (monitor->context) monitor->monitor = udev_monitor_new_from_netlink(monitor->context, "udev");
    if (!monitor->monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor->monitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor->monitor) < 0)
        return;
    m_monitor = std::move(monitor);
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor->monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        if (TakeEvents()) Q_EMIT PortsChanged();
    });
}

bool PortWatcher::TakeEvents() {
    bool changed = false;
    // The monitor's socket is non-blocking: a receive without a waiting event returns null.
    while (udev_device* device = udev_monitor_receive_device(m_monitor->monitor)) {
        const char* action = udev_device_get_action(device);
        const QByteArray what = action ? QByteArray(action) : QByteArray();
        if ((what == "add" || what == "remove") && udev_device_get_devnode(device)) changed = true;
        udev_device_unref(device);
    }
    return changed;
}

bool PortWatcher::WaitForChange(std::chrono::milliseconds timeout) {
    if (!m_monitor) {
        ::poll(nullptr, 0, static_cast<int>(timeout.count()));
        return false;
    }
    pollfd watched{udev_monitor_get_fd(m_monitor->monitor), POLLIN, 0};
    return ::poll(&watched, 1, static_cast<int>(timeout.count())) > 0 && TakeEvents();
}
#else
struct PortWatcher::Monitor {};

PortWatcher::PortWatcher(QObject* parent) : QObject(parent) {}

bool PortWatcher::TakeEvents() { return false; }

bool PortWatcher::WaitForChange(std::chrono::milliseconds timeout) {
    ::poll(nullptr, 0, static_cast<int>(timeout.count()));
    return false;
}
#endif

PortWatcher::~PortWatcher() = default;

bool PortWatcher::IsLive() const { return m_monitor != nullptr; }

}  // namespace zendra::link
