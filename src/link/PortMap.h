#pragma once
// "COM1".."COM20" on a machine whose ports are paths. A number resolves to the path stored under key "COMn"
// of group "Ports"; when none is stored, to the n-th detected serial port ordered by path. Opening a port
// through a dialog stores what it resolved to, so another adapter plugged in later never moves a saved port.

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace zendra::core {
class SettingsStore;
}

namespace zendra::link {

struct DetectedPort {
    QString path;          // "/dev/ttyUSB0"
    QString description;   // "FT232R USB UART", may be empty
    QString usbId = {};    // "0403:6001" for a USB adapter, else empty
    QString serial = {};   // the adapter's serial number, may be empty
    QString byIdLink = {};  // "/dev/serial/by-id/usb-FTDI_..." that leads to `path`, or empty
    std::optional<int> latencyTimerMs = {};  // a USB serial adapter's latency timer, when it has one
};

// The serial ports of this machine with what is known of each, ordered by path.
QList<DetectedPort> DetectSystemPorts();
// A USB adapter's vendor and product as the port rows show them: "0403:6001".
QString UsbIdText(quint16 vendor, quint16 product);
// The link in `byIdFolder` that resolves to the device `path`; empty when none does.
QString ByIdLinkFor(const QString& path, const QString& byIdFolder = QStringLiteral("/dev/serial/by-id"));

// The latency timer of the USB serial adapter behind `path` (a device path or a link to one), in ms, from
// `<sysfsRoot>/bus/usb-serial/devices/<tty name>/latency_timer`; nullopt when the port has none.
std::optional<int> ReadLatencyTimer(const QString& path, const QString& sysfsRoot = QStringLiteral("/sys"));

// Above this the adapter's latency timer costs more than the replies themselves.
inline constexpr int kLatencyTimerLimitMs = 2;
// The installed udev rule that sets an FTDI adapter's latency timer to 1 ms whenever one appears (a value
// written by hand is lost at the next plug-in), and the command that applies it to those plugged in now.
inline const QString kLatencyRulePath = QStringLiteral(ZENDRA_LATENCY_RULE_PATH);
inline const QString kLatencyRuleTrigger =
    QStringLiteral("sudo udevadm trigger --action=add --subsystem-match=usb-serial");
// What a latency timer above the limit costs, the rule that lowers it for good and the command that applies
// the rule now; empty when it is within the limit or unknown. Japanese, lines joined with CR LF.
QString LatencyTimerHint(const QString& path, std::optional<int> latencyMs);

class PortMap {
public:
    using Detector = std::function<QList<DetectedPort>()>;
    explicit PortMap(core::SettingsStore& settings, Detector detect = DetectSystemPorts);

    // The device path for COM `number` (1..20); empty when nothing resolves.
    QString Resolve(int number) const;
    // The stored assignment only (empty when none).
    QString Assigned(int number) const;
    void Assign(int number, const QString& path);  // writes "Ports/COMn"
    QList<DetectedPort> Detected() const;
    // "path (description)" of what `number` resolves to, for the port dialogs; "未接続" when nothing.
    QString Describe(int number) const;

private:
    core::SettingsStore& m_settings;
    Detector m_detect;
};

}  // namespace zendra::link
