#pragma once
// Which catalogue device sits in the socket, from its signature alone: the command line picks the device
// this way when none is named, and watches a socket for the next chip with it.

#include "operations/Report.h"

namespace zendra::operations {

enum class Identity {
    Found,        // one catalogue row answers the signature
    Locked,       // a locked chip: its signature hides the device
    EmptySocket,  // nothing answers in the socket
    Unknown,      // no catalogue row has the signature
    Ambiguous,    // several rows share it: the device must be named
    NoAnswer,     // the writer or the link failed before a signature came
    Cancelled,
};

struct Identification {
    Identity identity = Identity::NoAnswer;
    // Found: the row; a locked chip to be erased: the probe's row, under which any chip can be erased.
    const devices::Device* device = nullptr;
    QList<const devices::Device*> candidates;  // Ambiguous: every row with the signature
    Report probe;                              // firmware, signature and the texts of a failure
    // A chip answers in the socket, whatever it is.
    bool ChipPresent() const {
        return identity != Identity::EmptySocket && identity != Identity::NoAnswer &&
               identity != Identity::Cancelled;
    }
};

// What the family byte of a signature says of the socket before any catalogue row is asked: the one rule
// for the device check and for identification. A locked chip reads 0x00, 0x01 or 0x02 there, an empty
// socket 0xFF.
enum class SocketState { Chip, Locked, Empty };
SocketState SocketStateOf(quint8 family);

// The device code a probe selects: every catalogue chip answers its signature under it.
inline constexpr int kProbeDeviceIndex = 5;  // AT90S1200 (外部ｸﾛｯｸ)

// Whether signature bytes as read (part, family, vendor) are a locked chip's: its lock bits hide the device.
inline bool SignatureShowsLock(const QByteArray& signature) {
    return signature.size() == 3 && SocketStateOf(quint8(signature[1])) == SocketState::Locked;
}

// The communication check, then the chip's signature under the probe's device code, without any device
// rule; `port` is the writer's port. `forErase`: a locked chip still serves (an erase unlocks it).
Identification IdentifyChip(Environment& env, const PortChoice& port, bool forErase);

}  // namespace zendra::operations
