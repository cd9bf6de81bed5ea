#pragma once
// SIGTERM (a desktop logout, a service manager's stop) and SIGHUP (the terminal gone) end the windows as
// their Exit command does, so the geometry is stored, the scratch files deleted and the port closed. The
// handler only writes a byte to a socket; the windows' thread reads it and runs the callback.

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace zendra::shell {

class TerminationSignals final : public QObject {
public:
    explicit TerminationSignals(std::function<void()> onSignal);
    ~TerminationSignals() override;  // the default actions come back

private:
    std::function<void()> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace zendra::shell
