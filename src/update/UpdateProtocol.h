#pragma once
// The writer's firmware update on the wire: the version read, the update entry, one four-byte packet per
// word answered by the low byte of its sum, and the end mark. No widgets: the dialog shows what happens
// through UpdateDisplay (update/UpdateDisplay.h).

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/Timing.h"
#include "link/Link.h"
#include "link/SerialPort.h"
#include "update/UpdateDisplay.h"

namespace zendra::update {

inline constexpr int kVersionReplyLength = 16;
inline constexpr int kVersionTextLength = 15;
inline constexpr core::Duration kVersionTimeOut = std::chrono::seconds(1);
inline constexpr core::Duration kEchoTimeOut = std::chrono::seconds(2);
// The writer jumps to its loader after 'U' and is deaf meanwhile.
inline constexpr core::milliseconds kUpdateEntryPause{1000};
// Lets the main link's last bytes drain before it is closed.
inline constexpr core::milliseconds kPortOffPause{200};
// A writer left in its AVR command set by a chip operation ignores 'U'; ESC first brings it back to its
// base set, where 'U' starts the loader. It needs a moment before the next byte.
inline constexpr char kBaseSetCommand = 0x1B;
inline constexpr core::milliseconds kBaseSetPause{100};
inline constexpr char kVersionCommand = '?';
inline constexpr char kUpdateCommand = 'U';
inline const QByteArray kEndMark = QByteArray(4, char(0xFF));

// What msgProgressBar does with one call.
enum class ProgressAction { None, Reset, Show };
// "OFF" (any case) or position >= maximum: reset. "ON" (any case), maximum / 100 not 0 and position a
// whole multiple of maximum / 100 rounded (half to even): show. Anything else: nothing.
ProgressAction ProgressBarRule(const QString& mode, int minimum, int maximum, int position);
void msgProgressBar(UpdateDisplay& display, const QString& mode, int minimum, int maximum, int position);

// "57600,n,8,1" and the like for the speed choice " 9600", "19200", "57600"; the writer's own speed
// otherwise.
QString LineSettingsForSpeed(const QString& speedText);

// Releases the main writer link so the dialog's own port can reach the writer.
void COM_PortOff(link::SerialPort& mainPort, core::Timing& timing);
// The part of Com_Initialize that sets up the dialog's own port (closed, raw, no handshaking, emptied).
void PrepareUpdatePort(link::SerialPort& port, const QString& speedText);

struct UpdateLink {
    link::SerialPort& port;
    core::Timing& timing;
    UpdateDisplay& display;
};

// Sends "?" and returns the first 15 bytes of the 16-byte answer as text; nullopt on time-out.
std::optional<QString> ReadFirmwareVersion(UpdateLink& link);

// Checks the whole update file, then sends it word by word. Every outcome is shown on `link.display`.
TransferResult SendFirmwareFile(UpdateLink& link, const QString& path);

}  // namespace zendra::update
