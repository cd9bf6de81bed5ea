#include "link/TerminalPort.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

#include "link/QtSerialPortAdapter.h"
#include "link/SystemPort.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace zendra::link {

namespace {

std::optional<speed_t> SpeedOf(int baud) {
    static constexpr std::pair<int, speed_t> kSpeeds[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const auto& [rate, speed] : kSpeeds)
        if (rate == baud) return speed;
    return std::nullopt;
}

// A write that makes no progress for this long means the line is gone.
constexpr int kWriteLimitMs = 1000;

}  // namespace

TerminalPort::TerminalPort() = default;

TerminalPort::~TerminalPort() { Close(); }

bool TerminalPort::Open(const QString& path) {
    if (IsOpen()) return false;
    m_failed = false;
    m_lowLatency = false;
    m_openFailure.clear();
    m_openError = 0;
    m_received.clear();
    // Non-blocking: no wait for a carrier, and no write or read can hang the caller.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_openError = errno;
        m_openFailure = DescribeOpenFailure(m_openError);
        return false;
    }
    const auto refuse = [&](int error) {
        ::close(fd);
        m_openError = error;
        m_openFailure = DescribeOpenFailure(error);
        return false;
    };
    // Two programs never share a writer: the second one hears that the port is in use.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return refuse(errno == EWOULDBLOCK ? EBUSY : errno);
    termios probe{};
    if (::tcgetattr(fd, &probe) != 0) return refuse(errno);
    ::ioctl(fd, TIOCEXCL);  // other programs' opens fail as well (root passes, the lock above still holds)
    m_fd = fd;
    m_path = path;
    if (!ApplyLineSettings()) {
        const int error = errno != 0 ? errno : EINVAL;
        Close();
        m_openError = error;
        m_openFailure = DescribeOpenFailure(error);
        return false;
    }
    // Every reply is a few bytes awaited before the next command: the driver's buffering delay would be
    // paid on each one.
    m_lowLatency = RequestLowLatency(m_fd);
    SetRts(m_rts);
    ::tcflush(m_fd, TCIFLUSH);
    return true;
}

bool TerminalPort::ApplyLineSettings() {
    if (!IsOpen()) return true;
    termios t{};
    if (::tcgetattr(m_fd, &t) != 0) return false;
    ::cfmakeraw(&t);
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[std::clamp(m_line.dataBits, 5, 8) - 5];
    switch (m_line.parity) {
        case 'e': t.c_cflag |= PARENB; break;
        case 'o': t.c_cflag |= PARENB | PARODD; break;
        case 'm': t.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case 's': t.c_cflag |= PARENB | CMSPAR; break;
        default: break;
    }
    if (m_line.stopBits == 2) t.c_cflag |= CSTOPB;
    // One byte is enough for a read to return, so a read of 0 bytes can only mean a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    const speed_t speed = SpeedOf(m_line.baud).value_or(B57600);
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    return ::tcsetattr(m_fd, TCSANOW, &t) == 0;
}

void TerminalPort::Close() {
    if (!IsOpen()) return;
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
    m_fd = -1;
    m_received.clear();
}

bool TerminalPort::SetLineSettings(const QString& settings) {
    const auto parsed = ParseLineSettings(settings);
    if (!parsed || !SpeedOf(parsed->baudRate) || parsed->stopBits == QSerialPort::OneAndHalfStop) return false;
    static constexpr std::pair<QSerialPort::Parity, char> kParities[] = {
        {QSerialPort::NoParity, 'n'},   {QSerialPort::EvenParity, 'e'},  {QSerialPort::OddParity, 'o'},
        {QSerialPort::MarkParity, 'm'}, {QSerialPort::SpaceParity, 's'},
    };
    m_line.baud = parsed->baudRate;
    for (const auto& [parity, letter] : kParities)
        if (parity == parsed->parity) m_line.parity = letter;
    m_line.dataBits = static_cast<int>(parsed->dataBits);
    m_line.stopBits = parsed->stopBits == QSerialPort::TwoStop ? 2 : 1;
    return ApplyLineSettings();
}

void TerminalPort::SetNoHandshaking() { ApplyLineSettings(); }  // the line never has any handshaking

bool TerminalPort::SetRts(bool on) {
    m_rts = on;
    if (!IsOpen()) return true;  // applied when the port opens
    // A pseudo-terminal has no modem lines; that refusal is not a failure of the port.
    int bits = TIOCM_RTS;
    return ::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

void TerminalPort::DiscardInput() {
    m_received.clear();
    if (!IsOpen()) return;
    // Flushed only when the driver holds something: a flush right after a read waits for the driver's
    // receive work to let go of its buffer, which costs more than the line's own time per exchange. A byte
    // the count does not show yet is still on its way, where no flush could catch it either.
    int waiting = 0;
    if (::ioctl(m_fd, FIONREAD, &waiting) != 0 || waiting > 0) ::tcflush(m_fd, TCIFLUSH);
}

bool TerminalPort::Write(const QByteArray& bytes) {
    if (!IsOpen() || m_failed) return false;
    const char* next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, next, static_cast<size_t>(left));
        if (n > 0) {
            next += n;
            left -= n;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // The driver's buffer is full: wait for room, but not for ever.
            pollfd p{m_fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, kWriteLimitMs);
            if (ready > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0) continue;
            if (ready < 0 && errno == EINTR) continue;
        }
        m_failed = true;
        return false;
    }
    return true;
}

QByteArray TerminalPort::ReadAll() { return std::exchange(m_received, QByteArray()); }

void TerminalPort::ReadAvailable() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            m_received.append(buffer, n);
            if (static_cast<size_t>(n) < sizeof buffer) return;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        // 0: hung up; EIO: the far side of a pseudo-terminal closed or the adapter was unplugged.
        m_failed = true;
        return;
    }
}

void TerminalPort::WaitForMoreBytes(core::Duration maxWait) {
    if (!IsOpen() || m_failed) return;
    // The windows' thread must keep painting while it waits; every other thread has nothing else to do.
    if (core::OnWindowsThread()) return WaitOnWindowsThread(maxWait);
    const auto wait = std::clamp<core::Duration>(maxWait, core::Duration(0), std::chrono::hours(24));
    const auto whole = std::chrono::duration_cast<std::chrono::seconds>(wait);
    const timespec span{static_cast<time_t>(whole.count()), static_cast<long>((wait - whole).count())};
    pollfd p{m_fd, POLLIN, 0};
    // A signal (Ctrl-C) ends the wait early; the caller's clock decides what comes next.
    if (::ppoll(&p, 1, &span, nullptr) > 0) ReadAvailable();
}

void TerminalPort::WaitOnWindowsThread(core::Duration maxWait) {
    QSocketNotifier readable(m_fd, QSocketNotifier::Read);
    core::WaitInLocalLoop(maxWait, [this, &readable](QEventLoop& loop) {
        QObject::connect(&readable, &QSocketNotifier::activated, &loop, [this, &loop, &readable] {
            ReadAvailable();
            if (m_failed) readable.setEnabled(false);
            loop.quit();
        });
    });
}

std::unique_ptr<SerialPort> MakeSystemSerialPort() { return std::make_unique<TerminalPort>(); }

namespace {

// The processes other than this one with `device` open, as "pid name"; only those the user may look at.
QStringList HoldersOf(const QString& device) {
    QStringList holders;
    const QString self = QString::number(::getpid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid == self || pid.toLongLong() <= 0) continue;
        const QString fds = QStringLiteral("/proc/") + pid + QStringLiteral("/fd");
        for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() != device) continue;
            QFile comm(QStringLiteral("/proc/") + pid + QStringLiteral("/comm"));
            const QString name = comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
            holders << (pid + QLatin1Char(' ') + name).trimmed();
            break;
        }
    }
    return holders;
}

}  // namespace

PortProbe ProbePort(const QString& path) {
    PortProbe probe;
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        probe.system = QString::fromLocal8Bit(std::strerror(errno));
        probe.problem = errno == EACCES ? PortProblem::NoPermission : PortProblem::NoSuchPort;
        return probe;
    }
    if (const group* owner = ::getgrgid(info.st_gid)) probe.group = QString::fromLocal8Bit(owner->gr_name);
    if (!S_ISCHR(info.st_mode)) {
        probe.system = QString::fromLocal8Bit(std::strerror(ENOTTY));
        probe.problem = PortProblem::NotSerial;
        return probe;
    }
    TerminalPort port;
    if (port.Open(path)) return probe;
    const int error = port.OpenError();
    probe.system = QString::fromLocal8Bit(std::strerror(error));
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            probe.problem = PortProblem::NoSuchPort;
            break;
        case EACCES:
        case EPERM:
            probe.problem = PortProblem::NoPermission;
            break;
        case EBUSY:
            probe.problem = PortProblem::InUse;
            break;
        case ENOTTY:
            probe.problem = PortProblem::NotSerial;
            break;
        default:
            probe.problem = PortProblem::Other;
            break;
    }
    if (probe.problem == PortProblem::InUse) probe.holders = HoldersOf(QFileInfo(path).canonicalFilePath());
    return probe;
}

}  // namespace zendra::link
