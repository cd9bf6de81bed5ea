#include "link/PortMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

#include "core/Language.h"
#include "core/Settings.h"
#include "link/LinkTexts.h"

namespace zendra::link {

namespace {
QString KeyOf(int number) { return QStringLiteral("COM%1").arg(number); }
}  // namespace

QString ByIdLinkFor(const QString& path, const QString& byIdFolder) {
    const QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty()) return {};
    const QDir folder(byIdFolder);
    for (const QFileInfo& entry : folder.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (entry.isSymLink() && entry.canonicalFilePath() == device) return entry.absoluteFilePath();
    }
    return {};
}

namespace {
QString TtyName(const QString& path) {
    const QString device = QFileInfo(path).canonicalFilePath();
    return QFileInfo(device.isEmpty() ? path : device).fileName();
}

QString LatencyTimerFile(const QString& path, const QString& sysfsRoot) {
    return sysfsRoot + QStringLiteral("/bus/usb-serial/devices/") + TtyName(path) + QStringLiteral("/latency_timer");
}
}  // namespace

std::optional<int> ReadLatencyTimer(const QString& path, const QString& sysfsRoot) {
    if (TtyName(path).isEmpty()) return std::nullopt;
    QFile file(LatencyTimerFile(path, sysfsRoot));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    bool ok = false;
    const int ms = QString::fromLatin1(file.read(16)).trimmed().toInt(&ok);
    return ok && ms >= 0 ? std::optional<int>(ms) : std::nullopt;
}

QString LatencyTimerHint(const QString& path, std::optional<int> latencyMs) {
    if (!latencyMs || *latencyMs <= kLatencyTimerLimitMs) return {};
    return core::JoinTexts({core::JoinTexts({texts::kSlowAdapterPort, path}),
                            core::Compose(texts::kSlowAdapterCost, {QString::number(*latencyMs)}),
                            core::JoinTexts({texts::kSlowAdapterRule, kLatencyRulePath}),
                            core::JoinTexts({texts::kSlowAdapterCommand, kLatencyRuleTrigger})},
                           QStringLiteral("\r\n"));
}

QString UsbIdText(quint16 vendor, quint16 product) {
    return QStringLiteral("%1:%2").arg(vendor, 4, 16, QLatin1Char('0')).arg(product, 4, 16, QLatin1Char('0'));
}

QList<DetectedPort> DetectSystemPorts() {
    QList<DetectedPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        DetectedPort port{info.systemLocation(), info.description()};
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            port.usbId = UsbIdText(info.vendorIdentifier(), info.productIdentifier());
        port.serial = info.serialNumber();
        port.byIdLink = ByIdLinkFor(port.path);
        port.latencyTimerMs = ReadLatencyTimer(port.path);
        ports.append(port);
    }
    return ports;
}

PortMap::PortMap(core::SettingsStore& settings, Detector detect)
    : m_settings(settings), m_detect(std::move(detect)) {}

QString PortMap::Assigned(int number) const {
    return m_settings.Read(core::kSectionPorts, KeyOf(number), QString()).trimmed();
}

void PortMap::Assign(int number, const QString& path) {
    m_settings.Write(core::kSectionPorts, KeyOf(number), path);
    m_settings.Sync();
}

QList<DetectedPort> PortMap::Detected() const {
    QList<DetectedPort> ports = m_detect ? m_detect() : QList<DetectedPort>();
    // Ordered by path, so the n-th port stays the n-th whatever order the system lists them in.
    std::sort(ports.begin(), ports.end(),
              [](const DetectedPort& a, const DetectedPort& b) { return a.path < b.path; });
    return ports;
}

QString PortMap::Resolve(int number) const {
    if (number < 1) return {};
    if (const QString saved = Assigned(number); !saved.isEmpty()) return saved;
    const QList<DetectedPort> ports = Detected();
    return number <= ports.size() ? ports.at(number - 1).path : QString();
}

QString PortMap::Describe(int number) const {
    const QString path = Resolve(number);
    if (path.isEmpty()) return texts::kPortNotConnected;
    for (const DetectedPort& port : Detected()) {
        if (port.path == path && !port.description.isEmpty())
            return QStringLiteral("%1 (%2)").arg(path, port.description);
    }
    return path;
}

}  // namespace zendra::link
