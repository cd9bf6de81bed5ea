#include "operations/Identify.h"

#include "operations/Checks.h"

namespace zendra::operations {

SocketState SocketStateOf(quint8 family) {
    if (family == 0xFF) return SocketState::Empty;
    if (family <= 0x02) return SocketState::Locked;
    return SocketState::Chip;
}

Identification IdentifyChip(Environment& env, const PortChoice& port, bool forErase) {
    const devices::Device* probeDevice = devices::DeviceAt(kProbeDeviceIndex);
    Identification id;
    id.probe = ProbeChip(env, {.device = probeDevice, .port = port});
    const QByteArray& signature = id.probe.signatureBytes;
    if (id.probe.verdict == Verdict::Cancelled) {
        id.identity = Identity::Cancelled;
        return id;
    }
    if (signature.size() != 3 || id.probe.verdict != Verdict::Succeeded) return id;

    const auto part = quint8(signature[0]), family = quint8(signature[1]);
    const SocketState socket = SocketStateOf(family);
    if (socket == SocketState::Empty) {
        id.identity = Identity::EmptySocket;
    } else if (socket == SocketState::Locked) {
        id.identity = Identity::Locked;
        if (forErase) {
            id.identity = Identity::Found;
            id.device = probeDevice;
        }
    } else {
        id.candidates = devices::DevicesWithSignature(family, part);
        id.identity = id.candidates.isEmpty()      ? Identity::Unknown
                      : id.candidates.size() == 1 ? Identity::Found
                                                  : Identity::Ambiguous;
        if (id.identity == Identity::Found) id.device = id.candidates.first();
    }
    return id;
}

}  // namespace zendra::operations
