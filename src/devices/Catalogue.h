#pragma once
// The thirteen devices the writer programs and the signature model table: every fact about a device is a
// field of its row (sizes, codes, signature, word-write kind, socket, fuse layout, panel profile).

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace zendra::devices {

struct PanelProfile {
    bool cksel = false, sut = false, boden = false, bodlevel = false, rstdisbl = false, eesave = false,
         ckopt = false, pllck = false, fstrt = false, rcen = false;
    bool calibration = false;  // Lbl_READCALIB starts at "?" rather than "-"
    bool lockVisible = false;
    bool readEnabled = false;
    bool writeEnabled = false;
};

// How a flash word goes out: 'c' low byte then 'C' high byte, or both bytes with one 'W'.
enum class WordWrite { LowHigh, Tiny26 };

// The writer's sockets, and the ISP connector's place on the board drawing.
enum class Socket { DUT_40, DUT_28, DUT_20, DUT_20A, DUT_08 };
inline constexpr int kSocketCount = 5;
// The label the device index window prints over a socket ("20pin"), and its place there from the left (1-5).
QString SocketLabel(Socket socket);
int SocketPlace(Socket socket);

// How the fuse and lock bytes are laid out. LockOnly: no fuse controls; None: no catalogue device.
enum class FuseLayout { None, LockOnly, Tiny12, Tiny15, Tiny26, At90s4433, CombinedFstrt, CombinedRcen };

struct Device {
    const char* name;  // UTF-8, exactly as the selector shows it
    quint8 code;       // sent with 'T'
    qint32 flashWords;
    qint32 eepromBytes;
    quint8 family;  // signature bytes
    quint8 part;
    PanelProfile profile;
    FuseLayout fuseLayout;
    WordWrite wordWrite;
    Socket socket;
    // Choosing the reset pin as I/O locks this device out of low-voltage serial programming.
    bool resetDisableWarning;
    QString Name() const { return QString::fromUtf8(name); }
};

inline constexpr int kDeviceCount = 13;
const std::array<Device, kDeviceCount>& DeviceTable();
QStringList DeviceNames();  // selector order

// The row whose name equals `text` exactly; nullopt for no match (code 0, sizes 0, the no-match profile).
std::optional<int> FindDevice(const QString& text);
// The row at a selector position, or null when there is none (nothing selected).
const Device* DeviceAt(int index);
PanelProfile NoMatchProfile();

// Every row whose signature is `family`, `part` (two rows may share one: the AT90S1200 pair).
QList<const Device*> DevicesWithSignature(quint8 family, quint8 part);

// Nine-character model name for a signature's family and part bytes; empty when not listed.
QString SignatureModelName(quint8 family, quint8 part);
// Flash words implied by a family byte: 0x90 512, 0x91/0x97 1024, 0x92 2048, 0x93 4096; nullopt otherwise.
std::optional<qint16> FlashWordsForFamily(quint8 family);

}  // namespace zendra::devices
