// The firmware update dialog's work on the wire: releasing the main link, the dialog's own port, the
// version read, the transfer, and the main link back when the dialog closes.

#include "link/Commands.h"
#include "operations/Flows.h"
#include "update/UpdateProtocol.h"
#include "update/UpdateTexts.h"

namespace zendra::operations {

namespace {

update::UpdateLink OwnLink(UpdateSession& session) {
    return {session.ownPort, session.timing, session.display};
}

}  // namespace

UpdatePortReport ConnectUpdatePort(UpdateSession& session, const std::optional<QString>& path,
                                   const QString& speedText) {
    if (&session.mainPort != &session.ownPort) update::COM_PortOff(session.mainPort, session.timing);
    update::PrepareUpdatePort(session.ownPort, speedText);
    UpdatePortReport report;
    if (!path) {
        report.outcome = UpdatePortOutcome::NoPortNumber;
        report.box = update::kSetPortNumber;
        return report;
    }
    if (path->isEmpty() || !session.ownPort.Open(*path)) {
        report.outcome = UpdatePortOutcome::NotOpened;
        report.status = update::kPortOpenFailed;
        if (!path->isEmpty()) report.reason = session.ownPort.OpenFailureReason();
        return report;
    }
    report.outcome = UpdatePortOutcome::Opened;
    return report;
}

VersionReport ReadWriterVersion(UpdateSession& session) {
    update::UpdateLink link = OwnLink(session);
    VersionReport report;
    report.version = update::ReadFirmwareVersion(link);
    if (report.version)
        report.status = update::kVersionRead;
    else
        report.box = update::kVersionCommFailed;
    return report;
}

update::TransferResult UpdateWriterFirmware(UpdateSession& session, const QString& filePath) {
    update::UpdateLink link = OwnLink(session);
    return update::SendFirmwareFile(link, filePath);
}

void RestoreMainLink(UpdateSession& session, const QString& mainPath) {
    if (session.ownPort.IsOpen()) session.ownPort.Close();
    if (session.mainPort.IsOpen() || mainPath.isEmpty()) return;
    link::OpenWriterPort(session.mainPort, mainPath);
}

}  // namespace zendra::operations
