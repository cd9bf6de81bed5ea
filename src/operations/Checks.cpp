// Finding the writer on the saved port, judging its firmware, and the device check that opens every
// chip operation.

#include "operations/Checks.h"

#include <QStringList>

#include "core/Language.h"
#include "core/Product.h"
#include "link/Commands.h"
#include "link/LinkTexts.h"
#include "operations/Identify.h"

namespace zendra::operations {

namespace {

using namespace link::texts;
using core::StatusField;

constexpr qint32 kFlashWordsUnknownFamily = 512;

enum class Detection { Finished, VersionNotNumber };

// The signature read, kept in the report and shown in its panel as the chip answered it.
link::CommandResult ReadAndShowSignature(Run& run) {
    const link::CommandResult signature = run.Do(link::ReadSignature(run.Link()));
    if (signature.data.size() == 3) {
        run.Result().signatureBytes = signature.data;
        run.Show(StatusField::Signature,
                 SignatureText(signature.Byte(2), signature.Byte(1), signature.Byte(0)));
    }
    return signature;
}

void ForgetFirmware(Run& run) {
    run.Show(StatusField::Writer, QString());
    run.Result().firmwareVersion = 0;
}

Detection DetectWriter(Run& run) {
    run.Status(kSendingExitAvr);
    const link::CommandResult id = run.Do(link::ReadIdentification(run.Link()));
    if (!id.Ok()) {
        run.Notice(id.message);
        ForgetFirmware(run);
        return Detection::Finished;
    }

    const QString reply = QString::fromLatin1(id.data);
    if (!reply.startsWith(core::kWriterIdPrefix)) {
        run.Status(kVersionUnreadable);
        run.Notice(kVersionUnreadable);
        ForgetFirmware(run);
        run.Settle(Run::Standing::Failed);
        return Detection::Finished;
    }

    const PortChoice& port = run.Subject().port;
    const QString found = port.name.isEmpty()
                              ? core::Compose(kWriterFoundOnCom, {QString::number(port.number)})
                              : core::Compose(kWriterFoundOn, {port.name});
    run.Status(found);
    run.Phase(found);
    run.Show(StatusField::Writer, reply);

    // The writer always writes a point; QString::toDouble reads it in the C locale whatever the user's is.
    bool isNumber = false;
    const double version = reply.mid(core::kWriterIdPrefix.size()).toDouble(&isNumber);
    if (!isNumber) {
        run.Result().firmwareVersion = 0;
        run.Settle(Run::Standing::Failed);
        return Detection::VersionNotNumber;
    }
    run.Result().firmwareVersion = version;

    if (version >= kMinimumVersion) {
        link::EnterAvrCommandSetQuietly(run.Link());
        run.Settle(Run::Standing::Good);
    } else {
        run.Status(kFirmwareRefused);
        run.Notice(kFirmwareRefused);
        run.Settle(Run::Standing::FirmwareRefused);
    }
    return Detection::Finished;
}

}  // namespace

QString SignatureText(quint8 vendor, quint8 family, quint8 part) {
    const auto hex = [](quint8 b) { return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper(); };
    return hex(vendor) + QLatin1Char(':') + hex(family) + QLatin1Char(':') + hex(part);
}

bool CheckCommunication(Run& run) {
    // A check that never reached the writer leaves the error flag as it found it, but it has failed: no
    // report of it may read as a success.
    const auto failureExit = [&] {
        run.WriterUnreached();
        run.Notice(kNoCommunicationNotice);
        run.Status(kNoCommunicationStatus);
        run.AddPhase(PhaseKind::Communication, false, kNoCommunicationNotice);
        return false;
    };

    run.Status(kCommunicating);
    link::SerialPort& port = run.Link().port;
    if (port.IsOpen()) port.Close();
    const PortChoice& choice = run.Subject().port;
    if (choice.number < 1) return failureExit();  // no such port as COM0
    run.Show(StatusField::Port, kPortPanelPrefix + QString::number(choice.number));
    link::ConfigureWriterPort(port);
    run.Settle(Run::Standing::Good);

    // A port was never saved: nothing may be sent anywhere.
    if (!choice.saved) {
        port.Close();
        return failureExit();
    }
    if (!port.IsOpen() && !link::OpenWriterPort(port, choice.path)) return failureExit();

    if (DetectWriter(run) == Detection::VersionNotNumber) return failureExit();
    bool result = false;
    if (run.Failed()) {
        port.Close();
    } else {
        ShowFirmwareAdvisory(run, run.Result().firmwareVersion);
        run.Status(core::Compose(kSendingSelectDevice, {QString::number(run.DeviceCode(), 16).toUpper()}));
        const link::CommandResult selected = run.Do(link::SelectDevice(run.Link(), run.DeviceCode()));
        if (selected.Ok()) {
            run.CloseMessage();
            result = true;
            run.Status(kWriterOk);
        } else {
            run.Notice(selected.message);
        }
    }
    run.Status(kSendingExitAvr);
    link::ExitAvrCommandSet(run.Link());
    run.AddPhase(PhaseKind::Communication, result, run.Result().status);
    return result;
}

void ReadSignatureAndJudge(Run& run) {
    run.Show(StatusField::Signature, kNoSignature);
    const link::CommandResult signature = ReadAndShowSignature(run);
    if (!signature.Ok()) return;

    const quint8 part = signature.Byte(0);
    const quint8 family = signature.Byte(1);
    const qint32 flashWords = devices::FlashWordsForFamily(family).value_or(kFlashWordsUnknownFamily);
    const auto reject = [&](const QString& notice) {
        run.Notice(notice);
        run.Settle(Run::Standing::Failed);
        run.RefuseChip();
    };
    const SocketState socket = SocketStateOf(family);
    if (socket == SocketState::Locked) {
        // The pattern of a locked chip: offer "protected" in the lock choice so an erase is the next step.
        run.Result().lockChoice = devices::kLockNone;
        reject(kChipProtectedOrNotSeated);
    } else if (socket == SocketState::Empty) {
        reject(kChipNotSeated);
    } else {
        const devices::Device* device = run.Device();
        const QString name = device ? device->Name() : QString();
        const QString model = devices::SignatureModelName(family, part);
        if ((device ? device->flashWords : 0) != flashWords || name.left(9) != model) {
            // Which chip is in the socket, so the user need not decode status panel 2.
            const QString found =
                model.isEmpty()
                    ? core::JoinTexts({kUnknownSignature, SignatureText(signature.Byte(2), family, part)})
                    : core::JoinTexts({kSocketDeviceIs, model});
            reject(core::JoinTexts({kDeviceMismatch, found}, QStringLiteral("\r\n")));
        }
    }
}

bool CheckDevice(Run& run) {
    run.Do(link::EnterAvrCommandSet(run.Link()));
    if (run.Failed()) return false;  // never put the writer into programming mode after a failed 'A'
    run.Do(link::EnterProgrammingMode(run.Link()));
    run.Link().timing.Sleep(std::chrono::milliseconds(50));  // the chip's programming-enable settles
    ReadSignatureAndJudge(run);
    const bool matched = !run.Failed();
    run.Do(link::LeaveProgrammingMode(run.Link()));
    run.AddPhase(PhaseKind::DeviceCheck, matched, run.Result().status);
    return matched;
}

Report ProbeChip(Environment& env, const Target& target) {
    Run run(env, target);
    if (!CheckCommunication(run)) return run.Finish();
    run.Show(StatusField::Signature, kNoSignature);
    run.Do(link::EnterAvrCommandSet(run.Link()));
    if (!run.Failed()) {
        run.Do(link::EnterProgrammingMode(run.Link()));
        run.Link().timing.Sleep(std::chrono::milliseconds(50));  // as the device check waits
        ReadAndShowSignature(run);
        run.Do(link::LeaveProgrammingMode(run.Link()));
    }
    run.Status(kSendingExitAvr);
    link::ExitAvrCommandSet(run.Link());
    run.CloseMessage();
    return run.Finish();
}

void ReportCommError(Run& run) { run.Notice(kCommunicationError); }

void ShowFirmwareAdvisory(Run& run, double version) {
    if (static_cast<float>(version) >= kRecommendedVersion) return;
    const QString& page = core::kSupportPageAddress;
    const QStringList lines = {
        kAdvisoryOld, kAdvisoryBlank, kAdvisoryCdRom, core::Compose(kAdvisoryObtain, {page}), kAdvisoryBlank,
        core::Compose(kAdvisoryHowTo, {page}), kAdvisoryBlank,
        // Plain decimal: 6.3 for a writer that sent 6.30.
        core::Compose(kAdvisoryCurrent, {QString::number(version, 'g', 15)}),
        core::Compose(kAdvisoryRecommended, {kAdvisoryRecommendedVersion}), kAdvisoryBlank,
        kAdvisoryWhereShown,
        QString(),  // every line ends with CR LF
    };
    run.Prompts().Ask(core::MessageIcon::Critical, QString(), core::JoinTexts(lines, QStringLiteral("\r\n")),
                      core::MessageButtons::Ok);
}

}  // namespace zendra::operations
