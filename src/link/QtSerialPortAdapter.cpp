#include "link/QtSerialPortAdapter.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/Language.h"
#include "link/LinkTexts.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace zendra::link {

std::optional<LineSettings> ParseLineSettings(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    LineSettings s;

    bool ok = false;
    s.baudRate = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baudRate <= 0) return std::nullopt;

    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        s.parity = QSerialPort::SpaceParity;
    else
        return std::nullopt;

    const int dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8) return std::nullopt;
    s.dataBits = static_cast<QSerialPort::DataBits>(dataBits);

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        s.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return s;
}

QString DescribeOpenFailure(int errorNumber) {
    const QString system =
        core::Compose(texts::kPortSystemReason, {QString::fromLocal8Bit(std::strerror(errorNumber))});
    const QString cr = QStringLiteral("\r");
    switch (errorNumber) {
        case EACCES:
        case EPERM:
            return core::JoinTexts({system, texts::kPortNoPermission}, cr);
        case EBUSY:
            return core::JoinTexts({system, texts::kPortInUse}, cr);
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return core::JoinTexts({system, texts::kPortNoSuchDevice}, cr);
        default:
            return system;
    }
}

bool RequestLowLatency(int descriptor) {
#ifdef Q_OS_LINUX
    // A pseudo-terminal or a driver without the setting refuses; the port works as before, only slower.
    serial_struct serial{};
    if (descriptor < 0 || ::ioctl(descriptor, TIOCGSERIAL, &serial) != 0) return false;
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0) return true;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(descriptor, TIOCSSERIAL, &serial) == 0;
#else
    Q_UNUSED(descriptor);
    return false;
#endif
}

QtSerialPortAdapter::QtSerialPortAdapter() {
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError error) { OnError(error); });
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    ApplyLineSettings();
}

QtSerialPortAdapter::~QtSerialPortAdapter() { Close(); }

void QtSerialPortAdapter::OnError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError) return;
    m_lastError = error;
    // Errors after which the port carries nothing more: the device went away or the line broke.
    if (m_port.isOpen() && (error == QSerialPort::ResourceError || error == QSerialPort::WriteError ||
                            error == QSerialPort::ReadError))
        m_failed = true;
}

void QtSerialPortAdapter::ApplyLineSettings() {
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setParity(m_settings.parity);
    m_port.setDataBits(m_settings.dataBits);
    m_port.setStopBits(m_settings.stopBits);
}

bool QtSerialPortAdapter::Open(const QString& path) {
    if (m_port.isOpen()) return false;
    m_failed = false;
    m_lastError = QSerialPort::NoError;
    m_openFailure.clear();
    m_port.setPortName(path);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openFailure = LearnOpenFailure(path);
        return false;
    }
    m_path = path;
    // Every reply is a few bytes awaited before the next command: the driver's buffering delay would be
    // paid on each one.
    m_lowLatency = RequestLowLatency(static_cast<int>(m_port.handle()));
    ApplyLineSettings();
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    // A pseudo-terminal has no modem lines; that refusal is not a failure of the port.
    m_port.setRequestToSend(m_rts);
    m_port.clearError();
    m_failed = false;
    m_port.clear(QSerialPort::Input);
    return true;
}

// QSerialPort reports a refused permission and a busy port alike; the system's own open tells them apart.
QString QtSerialPortAdapter::LearnOpenFailure(const QString& path) const {
#ifdef Q_OS_UNIX
    // Non-blocking: no wait for a carrier; closed at once, nothing is sent.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return DescribeOpenFailure(errno);
    ::close(fd);
    // The device opens, so QSerialPort's refusal came from another program's lock on it.
    if (m_port.error() == QSerialPort::PermissionError) return DescribeOpenFailure(EBUSY);
#endif
    return core::Compose(texts::kPortSystemReason, {m_port.errorString()});
}

void QtSerialPortAdapter::Close() {
    if (m_port.isOpen()) m_port.close();
}

bool QtSerialPortAdapter::IsOpen() const { return m_port.isOpen(); }

// The path as opened: QSerialPort's own name drops the "/dev/" of a terminal path.
QString QtSerialPortAdapter::PortPath() const { return m_port.isOpen() ? m_path : QString(); }

bool QtSerialPortAdapter::SetLineSettings(const QString& settings) {
    const auto parsed = ParseLineSettings(settings);
    if (!parsed) return false;
    m_settings = *parsed;
    ApplyLineSettings();
    return true;
}

void QtSerialPortAdapter::SetNoHandshaking() { m_port.setFlowControl(QSerialPort::NoFlowControl); }

bool QtSerialPortAdapter::SetRts(bool on) {
    m_rts = on;
    if (!m_port.isOpen()) return true;  // applied when the port opens
    const bool failed = m_failed;
    const bool done = m_port.setRequestToSend(on);
    m_port.clearError();
    m_failed = failed;
    return done;
}

void QtSerialPortAdapter::DiscardInput() {
    if (m_port.isOpen()) m_port.clear(QSerialPort::Input);
}

int QtSerialPortAdapter::BytesWaiting() {
    return m_port.isOpen() ? static_cast<int>(m_port.bytesAvailable()) : 0;
}

bool QtSerialPortAdapter::Write(const QByteArray& bytes) {
    if (!m_port.isOpen() || m_failed) return false;
    if (m_port.write(bytes) != bytes.size()) {
        m_failed = true;
        return false;
    }
    // A handful of bytes leaves in well under a millisecond at 57600 baud; a second without progress means
    // the line is gone.
    constexpr int kWriteLimitMs = 1000;
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(kWriteLimitMs)) {
            m_failed = true;
            return false;
        }
    }
    return !m_failed;
}

QByteArray QtSerialPortAdapter::ReadAll() { return m_port.isOpen() ? m_port.readAll() : QByteArray(); }

void QtSerialPortAdapter::WaitForMoreBytes(core::Duration maxWait) {
    if (!m_port.isOpen() || m_failed) return;
    core::WaitInLocalLoop(maxWait, [this](QEventLoop& loop) {
        QObject::connect(&m_port, &QSerialPort::readyRead, &loop, &QEventLoop::quit);
        QObject::connect(&m_port, &QSerialPort::errorOccurred, &loop, [&loop](QSerialPort::SerialPortError error) {
            if (error != QSerialPort::NoError) loop.quit();
        });
    });
}

}  // namespace zendra::link

#ifndef Q_OS_UNIX
#include "link/SystemPort.h"

namespace zendra::link {

// Elsewhere the port is the terminal device's own descriptor (TerminalPort).
std::unique_ptr<SerialPort> MakeSystemSerialPort() { return std::make_unique<QtSerialPortAdapter>(); }

PortProbe ProbePort(const QString& path) {
    QtSerialPortAdapter port;
    if (port.Open(path)) return {};
    return {.problem = PortProblem::Other, .system = port.OpenFailureReason()};
}

}  // namespace zendra::link
#endif
