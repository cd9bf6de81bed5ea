// Finding the writer on the saved port, judging its firmware, and the communication check that opens every
// operation.

#include "core/Product.h"
#include "link/Commands.h"
#include "link/Exchange.h"
#include "link/Texts.h"

namespace zendra::link {

namespace {

using namespace texts;

constexpr char kEscape = '\x1B';
constexpr int kIdentificationLength = 17;  // "KX-WRT540 V6.35" + CR LF
constexpr int kIdentificationTextLength = 15;
constexpr double kMinimumVersion = 6.3;
constexpr float kRecommendedVersion = 6.35f;

enum class Detection { Finished, VersionNotNumber };

bool Send(LinkContext& ctx, char byte) {
    return IsPortUsable(ctx.port) && ctx.port.Write(QByteArray(1, byte));
}

int SavedPortNumber(const LinkContext& ctx) { return core::ReadInt(ctx.settings, core::keys::ComNox); }

void ConfigureWriterPort(LinkContext& ctx) {
    ctx.port.SetLineSettings(kWriterLineSettings);
    ctx.port.SetNoHandshaking();
    ctx.port.SetRts(true);  // fails on a pseudo-terminal; the writer does not need it there
}

void ForgetFirmware(LinkContext& ctx, double& version) {
    ctx.state.FirmwareVersionText.clear();
    ctx.ui.SetStatusPanel(3, ctx.state.FirmwareVersionText);
    version = 0;
}

Detection Detect(LinkContext& ctx, double& version, qint16& error) {
    core::SharedState& s = ctx.state;
    ctx.ui.SetStatusPanel(1, kSendingExitAvr);

    // ESC back to the base set, then '?' twice: the first answer may be mixed with whatever the writer was
    // still sending, so only the second one is read.
    ctx.port.DiscardInput();
    bool sent = Send(ctx, kEscape);
    ctx.timing.Sleep(milliseconds(100));
    ctx.ui.PumpEvents();
    ctx.port.DiscardInput();
    sent = sent && Send(ctx, '?');
    ctx.timing.Sleep(milliseconds(100));
    ctx.ui.PumpEvents();
    ctx.port.DiscardInput();
    sent = sent && Send(ctx, '?');

    if (!sent || AwaitBytes(ctx, kIdentificationLength, seconds(1)) != Arrival::Arrived) {
        s.MessageText = kWriterNotFound;
        ctx.ui.SetStatusPanel(1, s.MessageText);
        ctx.ui.SetMessageText(s.MessageText);
        ctx.ui.ShowMessage(core::kMessageNotice, s.MessageText);
        ForgetFirmware(ctx, version);
        ctx.ui.SetMessageOkVisible(true);
        error = 1;
        return Detection::Finished;
    }

    const QString reply = QString::fromLatin1(ctx.port.ReadAll()).left(kIdentificationTextLength);
    if (!reply.startsWith(core::kWriterIdPrefix)) {
        s.StatusText = kVersionUnreadable;
        ctx.ui.SetStatusPanel(1, s.StatusText);
        ctx.ui.SetMessageText(s.StatusText);
        ctx.ui.SetMessageOkVisible(true);
        ForgetFirmware(ctx, version);
        error = 1;
        return Detection::Finished;
    }

    s.StatusText = kWriterFoundBefore + QString::number(SavedPortNumber(ctx)) + kWriterFoundAfter;
    ctx.ui.SetStatusPanel(1, s.StatusText);
    ctx.ui.SetMessageText(s.StatusText);
    s.FirmwareVersionText = reply;
    ctx.ui.SetStatusPanel(3, s.FirmwareVersionText);

    // The writer always writes a point; QString::toDouble reads it in the C locale whatever the user's is.
    bool isNumber = false;
    const double parsed = reply.mid(core::kWriterIdPrefix.size()).toDouble(&isNumber);
    if (!isNumber) {
        version = 0;
        error = 1;
        return Detection::VersionNotNumber;
    }
    version = parsed;

    if (version >= kMinimumVersion) {
        ctx.port.DiscardInput();
        Send(ctx, 'A');
        // Let the CR of 'A' arrive before returning: the select-device command that follows discards what
        // is waiting, and a CR that came later would be taken as its acknowledgment.
        if (AwaitBytes(ctx, 1, seconds(1)) == Arrival::Arrived) ctx.port.ReadAll();
        error = 0;
    } else {
        s.MessageText = kFirmwareRefused;
        ctx.ui.SetStatusPanel(1, s.MessageText);
        ctx.ui.SetMessageText(s.MessageText);
        ctx.ui.ShowMessage(core::kMessageNotice, s.MessageText);
        ctx.ui.SetMessageOkVisible(true);
        error = 2;
    }
    return Detection::Finished;
}

}  // namespace

bool OpenWriterPort(LinkContext& ctx, int number) {
    if (ctx.port.IsOpen()) ctx.port.Close();
    ConfigureWriterPort(ctx);
    const QString path = ctx.ports.Resolve(number);
    if (path.isEmpty() || !ctx.port.Open(path)) return false;
    ctx.port.DiscardInput();
    return true;
}

void DetectWriter(LinkContext& ctx, double& version, qint16& error) { Detect(ctx, version, error); }

bool CheckCommunication(LinkContext& ctx) {
    core::SharedState& s = ctx.state;
    const auto failureExit = [&] {
        s.MessageText = kNoCommunicationNotice;
        ctx.ui.ShowMessage(core::kMessageNotice, s.MessageText);
        ctx.ui.SetStatusPanel(1, kNoCommunicationStatus);
        return false;
    };

    s.StatusText = kCommunicating;
    ctx.ui.SetStatusPanel(1, s.StatusText);
    ctx.ui.PumpEvents();
    bool result = false;

    if (ctx.port.IsOpen()) ctx.port.Close();
    const int number = SavedPortNumber(ctx);
    if (number < 1) return failureExit();  // no such port as COM0
    ctx.ui.SetStatusPanel(4, kPortPanelPrefix + QString::number(number));
    ConfigureWriterPort(ctx);
    s.ErrorFlag = 0;

    // A port was never saved: nothing may be sent anywhere.
    if (core::ReadInt(ctx.settings, core::keys::ComNox, 0) == 0) {
        ctx.port.Close();
        return failureExit();
    }
    if (!ctx.port.IsOpen() && !OpenWriterPort(ctx, number)) return failureExit();

    if (Detect(ctx, s.FirmwareVersion, s.ErrorFlag) == Detection::VersionNotNumber) return failureExit();
    if (s.ErrorFlag != 0) {
        ctx.port.Close();
    } else {
        ShowFirmwareAdvisory(ctx);
        if (SelectDevice(ctx, s.DeviceCode, s.ErrorFlag) == Outcome::Ok) {
            ctx.ui.CloseMessage();
            result = true;
            s.StatusText = kWriterOk;
            ctx.ui.SetStatusPanel(1, s.StatusText);
            ctx.ui.PumpEvents();
        }
    }
    ExitAvrCommandSet(ctx);
    return result;
}

void ShowFirmwareAdvisory(LinkContext& ctx) {
    const double version = ctx.state.FirmwareVersion;
    if (static_cast<float>(version) >= kRecommendedVersion) return;
    const QString& page = core::kSupportPageAddress;
    const QStringList lines = {
        kAdvisoryOld,
        kAdvisoryBlank,
        kAdvisoryCdRom,
        kAdvisoryObtainBefore + page + kAdvisoryObtainAfter,
        kAdvisoryBlank,
        kAdvisoryHowToBefore + page + kAdvisoryHowToAfter,
        kAdvisoryBlank,
        // Plain decimal: 6.3 for a writer that sent 6.30.
        kAdvisoryCurrent + QString::number(version, 'g', 15) + QLatin1Char(' '),
        kAdvisoryRecommended + kAdvisoryRecommendedVersion + kAdvisoryOrLater,
        kAdvisoryBlank,
        kAdvisoryWhereShown,
    };
    QString text;
    for (const QString& line : lines) text += line + QStringLiteral("\r\n");
    ctx.ui.ShowMessageBox(core::MessageIcon::Critical, QString(), text, core::MessageButtons::Ok);
}

void ReportCommError(LinkContext& ctx) {
    ctx.ui.SetMessageText(kCommunicationError);
    ctx.ui.SetMessageOkVisible(true);
    ctx.ui.SetMessageBarVisible(false);
}

}  // namespace zendra::link
