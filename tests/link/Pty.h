#pragma once
// A pseudo-terminal whose far (master) side the test holds: the adapter opens the terminal path as the
// writer's port, the test reads what was sent and answers, or closes its side to pull the cable.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <QByteArray>
#include <QString>
#include <cerrno>
#include <cstdlib>

namespace zendra::test {

class Pty {
public:
    Pty() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
        m_path = QString::fromLocal8Bit(::ptsname(m_master));
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        // Raw on the terminal side too, so no byte is translated or echoed back.
        const int slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
        if (slave >= 0) {
            termios t{};
            ::tcgetattr(slave, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(slave, TCSANOW, &t);
            ::close(slave);
        }
    }
    ~Pty() { Hangup(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool IsValid() const { return m_master >= 0 && !m_path.isEmpty(); }
    QString Path() const { return m_path; }

    // What the port sent so far, without waiting.
    QByteArray ReadSent() {
        QByteArray out;
        char buffer[256];
        for (;;) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0) break;
            out.append(buffer, static_cast<int>(n));
        }
        return out;
    }
    void Answer(const QByteArray& bytes) {
        if (m_master >= 0) [[maybe_unused]]
            auto n = ::write(m_master, bytes.constData(), bytes.size());
    }
    void Hangup() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_path;
};

}  // namespace zendra::test
