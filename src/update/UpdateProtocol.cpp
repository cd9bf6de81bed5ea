#include "UpdateProtocol.h"

#include <climits>
#include <cmath>

#include "UpdateFile.h"
#include "UpdateTexts.h"
#include "core/Language.h"
#include "core/Product.h"
#include "link/Exchange.h"

namespace zendra::update {

ProgressAction ProgressBarRule(const QString& mode, int minimum, int maximum, int position) {
    Q_UNUSED(minimum);
    if (mode.compare(QLatin1String("OFF"), Qt::CaseInsensitive) == 0 || position >= maximum) {
        return ProgressAction::Reset;
    }
    if (mode.compare(QLatin1String("ON"), Qt::CaseInsensitive) != 0) return ProgressAction::None;
    if (maximum / 100 == 0) return ProgressAction::None;
    // The step is the hundredth of the range rounded half to even (7936 -> 79).
    const auto step = static_cast<long long>(std::nearbyint(maximum / 100.0));
    if (step == 0 || position % step != 0) return ProgressAction::None;
    return ProgressAction::Show;
}

void msgProgressBar(UpdateDisplay& display, const QString& mode, int minimum, int maximum, int position) {
    switch (ProgressBarRule(mode, minimum, maximum, position)) {
        case ProgressAction::Reset:
            display.ResetProgressBar();
            break;
        case ProgressAction::Show:
            display.ShowProgressBar(minimum, maximum, position);
            break;
        case ProgressAction::None:
            break;
    }
}

QString LineSettingsForSpeed(const QString& speedText) {
    if (speedText == QLatin1String(" 9600")) return QStringLiteral("9600,n,8,1");
    if (speedText == QLatin1String("19200")) return QStringLiteral("19200,n,8,1");
    return link::kWriterLineSettings;
}

std::optional<int> PortNumberOf(const QString& comText) {
    bool ok = false;
    const int number = comText.toInt(&ok);
    if (!ok || number < 1 || number > core::kComPortCount) return std::nullopt;
    return number;
}

void COM_PortOff(link::SerialPort& mainPort, core::Timing& timing) {
    mainPort.DiscardInput();
    for (int i = 0; i < 2; ++i) timing.Sleep(kPortOffPause);
    if (mainPort.IsOpen()) mainPort.Close();
}

void PrepareUpdatePort(link::SerialPort& port, const QString& speedText) {
    if (port.IsOpen()) port.Close();
    port.SetNoHandshaking();
    port.DiscardInput();
    port.SetLineSettings(LineSettingsForSpeed(speedText));
}

namespace {

// One exchange of the update through the link's one exchange: `bytes` out in one write, then `replyLength`
// bytes awaited within `timeOut` (none for 0).
link::CommandResult UpdateExchange(UpdateLink& link, const QByteArray& bytes, int replyLength,
                                   core::Duration timeOut = {}) {
    link::CommandRow row;
    row.letter = bytes.at(0);
    for (qsizetype i = 1; i < bytes.size(); ++i) row.parameters << link::Fixed(quint8(bytes.at(i)));
    row.replyLength = replyLength;
    row.timeOut = std::chrono::duration_cast<std::chrono::seconds>(timeOut);
    row.checkCr = false;
    link::Session session{link.port, link.timing};
    return link::RunExchange(session, row, {});
}

TransferResult FailTransfer(UpdateLink& link, std::optional<quint8> lastEcho) {
    const QString echo = lastEcho ? QString::number(*lastEcho, 16).toUpper() : QStringLiteral("--");
    link.display.ShowFailureText(TransferFailedText(echo));
    link.display.msgCmt(kUpdateFailed);
    return TransferResult::Failed;
}

}  // namespace

std::optional<QString> ReadFirmwareVersion(UpdateLink& link) {
    const link::CommandResult reply =
        UpdateExchange(link, QByteArray(1, kVersionCommand), kVersionReplyLength, kVersionTimeOut);
    if (reply.outcome != link::Outcome::Done) return std::nullopt;
    return QString::fromLatin1(reply.data.left(kVersionTextLength));
}

TransferResult SendFirmwareFile(UpdateLink& link, const QString& path) {
    const UpdateFileContents contents = LoadUpdateFile(path);
    if (!contents.IsValid()) {
        link.display.ShowFailureText(TransferFailedText(QStringLiteral("--")));
        link.display.msgCmt(core::JoinTexts({kUpdateFailed, DescribeProblem(contents)}, QStringLiteral(" ")));
        return TransferResult::Refused;
    }

    const auto start = link.timing.Now();
    if (UpdateExchange(link, QByteArray(1, kBaseSetCommand), 0).outcome != link::Outcome::Done)
        return FailTransfer(link, std::nullopt);
    link.timing.Sleep(kBaseSetPause);
    if (UpdateExchange(link, QByteArray(1, kUpdateCommand), 0).outcome != link::Outcome::Done)
        return FailTransfer(link, std::nullopt);
    link.timing.Sleep(kUpdateEntryPause);

    for (const UpdateWord& word : contents.words) {
        if (IsSentWord(word.address)) {
            QByteArray packet;
            packet.append(char(word.address >> 8 & 0xFF));
            packet.append(char(word.address & 0xFF));
            packet.append(char(word.high));
            packet.append(char(word.low));
            const link::CommandResult echoed = UpdateExchange(link, packet, 1, kEchoTimeOut);
            if (echoed.outcome == link::Outcome::TimedOut) {
                link.display.msgCmt(EchoTimeOutText(word.address, word.high, word.low));
                link.display.ShowInformationBox(kDialogTitle, kUpdateFailedBox);
                msgProgressBar(link.display, QStringLiteral("off"), 0, 0, 0);
                return TransferResult::TimedOut;
            }
            if (echoed.outcome != link::Outcome::Done) return FailTransfer(link, std::nullopt);
            const auto echo = static_cast<quint8>(echoed.data.at(0));
            if (echo != WordEcho(word.address, word.high, word.low)) return FailTransfer(link, echo);
        }
        const int position = word.address > quint32(INT_MAX) ? INT_MAX : int(word.address);
        msgProgressBar(link.display, QStringLiteral("on"), 0, kProgressMaximum, position);
    }

    if (UpdateExchange(link, kEndMark, 0).outcome != link::Outcome::Done) return FailTransfer(link, std::nullopt);
    link.display.msgCmt(UpdateDoneText(core::WholeSecondsSince(link.timing, start)));
    link.display.ShowInformationBox(kDialogTitle, kUpdateDoneBox);
    return TransferResult::Completed;
}

}  // namespace zendra::update
