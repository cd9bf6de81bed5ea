#include "PtyWriter.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "StateJson.h"

namespace zendra::virtualwriter {

namespace {

QString SystemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

bool Fail(QString* error, const QString& text) {
    *error = text;
    return false;
}

// Beyond this the host is not reading; older output is dropped rather than held without bound.
constexpr qsizetype kMaxUnsent = 64 * 1024;
// An FTDI adapter's USB packet: 64 bytes, two of them its status.
constexpr qsizetype kAdapterPacket = 62;

}  // namespace

PtyWriter::PtyWriter(WriterModel& model, PtyOptions options)
    : m_model(model), m_options(std::move(options)), m_start(SteadyClock::now()) {
    if (m_options.baud > 0) {
        // Ten bit times per byte: start bit, eight data bits, stop bit.
        m_byteTime = std::chrono::duration_cast<SteadyClock::duration>(
            std::chrono::duration<double>(10.0 / m_options.baud));
    }
    m_inputLineFree = m_outputLineFree = m_start;
    m_dumpedUpdates = m_model.CompletedUpdates();
}

PtyWriter::~PtyWriter() {
    if (m_terminal >= 0) ::close(m_terminal);
    if (m_master >= 0) ::close(m_master);
}

bool PtyWriter::Open(QString* error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) return Fail(error, SystemError("posix_openpt"));
    if (::grantpt(m_master) != 0) return Fail(error, SystemError("grantpt"));
    if (::unlockpt(m_master) != 0) return Fail(error, SystemError("unlockpt"));
    const char* name = ::ptsname(m_master);
    if (!name) return Fail(error, SystemError("ptsname"));
    m_terminalPath = QString::fromLocal8Bit(name);

    // Holding the terminal side open keeps the master from seeing a hang-up between host sessions.
    m_terminal = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_terminal < 0) return Fail(error, SystemError("open terminal"));
    termios tio{};
    if (::tcgetattr(m_terminal, &tio) != 0) return Fail(error, SystemError("tcgetattr"));
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B57600);
    if (::tcsetattr(m_terminal, TCSANOW, &tio) != 0) return Fail(error, SystemError("tcsetattr"));

    const int flags = ::fcntl(m_master, F_GETFL);
    ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);

    if (!m_options.wireLogPath.isEmpty()) {
        m_wireLog.setFileName(m_options.wireLogPath);
        if (!m_wireLog.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            *error = QStringLiteral("wire log: ") + m_wireLog.errorString();
            return false;
        }
    }
    return true;
}

bool PtyWriter::WriteDump(QString* error) const {
    if (m_options.dumpPath.isEmpty()) return true;
    return WriteChipStateFile(m_model.Chip(), m_options.dumpPath, error);
}

void PtyWriter::ReceiveAvailable(SteadyClock::time_point now) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0) return;  // EAGAIN: all taken; EIO: no host at the moment
        for (ssize_t i = 0; i < n; ++i) {
            // Each byte is complete one byte time after the line became free.
            m_inputLineFree = std::max(m_inputLineFree, now) + m_byteTime;
            m_input.push_back({static_cast<quint8>(buffer[i]), m_inputLineFree});
        }
    }
}

void PtyWriter::ProcessDueInput(SteadyClock::time_point now) {
    while (!m_input.empty() && m_input.front().due <= now) {
        const TimedByte received = m_input.front();
        m_input.pop_front();
        const QByteArray reply = m_model.FeedByte(received.byte);
        const auto replyAt = received.due + m_model.Options().replyDelay;
        for (char b : reply) {
            m_outputLineFree = std::max(m_outputLineFree, replyAt) + m_byteTime;
            m_output.push_back({static_cast<quint8>(b), m_outputLineFree});
        }
        if (m_model.CompletedUpdates() != m_dumpedUpdates) {
            m_dumpedUpdates = m_model.CompletedUpdates();
            QString error;
            if (!WriteDump(&error)) std::fprintf(stderr, "kxwrt-sim: dump: %s\n", qPrintable(error));
        }
    }
}

void PtyWriter::SendDueOutput(SteadyClock::time_point now) {
    const bool adapter = m_options.adapterLatency.count() > 0;
    while (!m_output.empty() && m_output.front().due <= now) {
        if (m_held.isEmpty()) m_heldSince = m_output.front().due;
        m_held.append(static_cast<char>(m_output.front().byte));
        m_output.pop_front();
        if (adapter && m_held.size() >= kAdapterPacket) m_unsent += std::exchange(m_held, {});
    }
    if (!m_held.isEmpty() && (!adapter || now >= m_heldSince + m_options.adapterLatency))
        m_unsent += std::exchange(m_held, {});
    while (!m_unsent.isEmpty()) {
        const ssize_t n = ::write(m_master, m_unsent.constData(), static_cast<size_t>(m_unsent.size()));
        if (n <= 0) break;  // the terminal's input queue is full; POLLOUT tells when to go on
        m_unsent.remove(0, n);
    }
    if (m_unsent.size() > kMaxUnsent) m_unsent.remove(0, m_unsent.size() - kMaxUnsent);
}

void PtyWriter::FlushWireLog() {
    const QList<WireEntry> entries = m_model.TakeWireLog();
    if (!m_wireLog.isOpen() || entries.isEmpty()) return;
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - m_start).count();
    for (const WireEntry& entry : entries) {
        m_wireLog.write(QStringLiteral("%1 %2 %3\n")
                            .arg(seconds, 10, 'f', 3)
                            .arg(entry.fromHost ? QLatin1Char('>') : QLatin1Char('<'))
                            .arg(QString::fromLatin1(entry.bytes.toHex(' ').toUpper()))
                            .toLatin1());
    }
    m_wireLog.flush();
}

std::optional<std::chrono::nanoseconds> PtyWriter::PollTimeout(SteadyClock::time_point now) const {
    std::optional<SteadyClock::time_point> next;
    if (!m_input.empty()) next = m_input.front().due;
    if (!m_output.empty()) next = next ? std::min(*next, m_output.front().due) : m_output.front().due;
    if (!m_held.isEmpty()) {
        const auto release = m_heldSince + m_options.adapterLatency;
        next = next ? std::min(*next, release) : release;
    }
    if (!next) return std::nullopt;
    // Nanoseconds, not milliseconds: a byte time at 57600 baud is 174 us, and a wait rounded up to a
    // whole millisecond would make the emulated line several times slower than the real one.
    return std::max(std::chrono::nanoseconds(0), std::chrono::duration_cast<std::chrono::nanoseconds>(*next - now));
}

void PtyWriter::ReadCommands() {
    char chunk[256];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
        m_options.commands = false;  // end of input: nothing more will come
        return;
    }
    m_commandText.append(chunk, static_cast<int>(n));
    for (int end = m_commandText.indexOf('\n'); end >= 0; end = m_commandText.indexOf('\n')) {
        const QString line = QString::fromUtf8(m_commandText.left(end)).trimmed();
        m_commandText.remove(0, end + 1);
        if (line == QLatin1String("remove")) {
            m_model.SetEmptySocket(true);
        } else if (line.startsWith(QLatin1String("insert"))) {
            // A fresh chip of the named kind; without a name, the one that was there.
            const QString name = line.mid(6).trimmed();
            const auto index = name.isEmpty() ? std::optional<int>(m_model.Chip().deviceIndex) : ParseChipChoice(name);
            if (index) m_model.LoadChip(ChipState::Fresh(*index));
            m_model.SetEmptySocket(false);
        }
    }
}

void PtyWriter::Run(const volatile std::sig_atomic_t& stop) {
    sigset_t waitMask;
    ::sigemptyset(&waitMask);
    while (!stop) {
        auto now = SteadyClock::now();
        ProcessDueInput(now);
        SendDueOutput(now);
        FlushWireLog();

        pollfd fds[2] = {{m_master, static_cast<short>(POLLIN | (m_unsent.isEmpty() ? 0 : POLLOUT)), 0},
                         {m_options.commands ? STDIN_FILENO : -1, POLLIN, 0}};
        pollfd& fd = fds[0];
        const auto wait = PollTimeout(SteadyClock::now());
        timespec timeout{};
        if (wait) {
            timeout.tv_sec = static_cast<time_t>(wait->count() / 1000000000);
            timeout.tv_nsec = static_cast<long>(wait->count() % 1000000000);
        }
        const int ready = ::ppoll(fds, 2, wait ? &timeout : nullptr, &waitMask);
        if (ready < 0) continue;  // EINTR: a signal; the loop condition decides
        if (fd.revents & POLLIN) ReceiveAvailable(SteadyClock::now());
        if (fds[1].revents & (POLLIN | POLLHUP)) ReadCommands();
        if ((fd.revents & (POLLHUP | POLLERR)) && !(fd.revents & POLLIN)) {
            // Should not happen while the terminal side is held open; avoid spinning if it does.
            timespec pause{0, 50 * 1000000L};
            ::nanosleep(&pause, nullptr);
        }
    }
    FlushWireLog();
}

}  // namespace zendra::virtualwriter
