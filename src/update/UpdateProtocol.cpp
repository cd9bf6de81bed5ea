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

std::optional<QString> ReadFirmwareVersion(UpdateLink& link) {
    link.port.DiscardInput();
    if (!link.port.Write(QByteArray(1, kVersionCommand))) return std::nullopt;
    const auto arrival = link::AwaitBytes(link.port, link.timing, kVersionReplyLength, kVersionTimeOut);
    if (arrival != link::Arrival::Arrived) return std::nullopt;
    return QString::fromLatin1(link.port.ReadAll().left(kVersionTextLength));
}

namespace {

TransferResult FailTransfer(UpdateLink& link, std::optional<quint8> lastEcho) {
    const QString echo = lastEcho ? QString::number(*lastEcho, 16).toUpper() : QStringLiteral("--");
    link.display.ShowFailureText(TransferFailedText(echo));
    link.display.msgCmt(kUpdateFailed);
    return TransferResult::Failed;
}

}  // namespace

TransferResult SendFirmwareFile(UpdateLink& link, const QString& path) {
    const UpdateFileContents contents = LoadUpdateFile(path);
    if (!contents.IsValid()) {
        link.display.ShowFailureText(TransferFailedText(QStringLiteral("--")));
        link.display.msgCmt(core::JoinTexts({kUpdateFailed, DescribeProblem(contents)}, QStringLiteral(" ")));
        return TransferResult::Refused;
    }

    const auto start = link.timing.Now();
    link.port.DiscardInput();
    if (!link.port.Write(QByteArray(1, kBaseSetCommand))) return FailTransfer(link, std::nullopt);
    link.timing.Sleep(kBaseSetPause);
    link.port.DiscardInput();
    if (!link.port.Write(QByteArray(1, kUpdateCommand))) return FailTransfer(link, std::nullopt);
    link.timing.Sleep(kUpdateEntryPause);

    for (const UpdateWord& word : contents.words) {
        if (IsSentWord(word.address)) {
            link.port.DiscardInput();
            QByteArray packet;
            packet.append(char(word.address >> 8 & 0xFF));
            packet.append(char(word.address & 0xFF));
            packet.append(char(word.high));
            packet.append(char(word.low));
            if (!link.port.Write(packet)) return FailTransfer(link, std::nullopt);
            const link::Arrival echoed = link::AwaitBytes(link.port, link.timing, 1, kEchoTimeOut);
            if (echoed == link::Arrival::PortFailed) return FailTransfer(link, std::nullopt);
            if (echoed == link::Arrival::TimedOut) {
                link.display.msgCmt(EchoTimeOutText(word.address, word.high, word.low));
                link.display.ShowInformationBox(kDialogTitle, kUpdateFailedBox);
                msgProgressBar(link.display, QStringLiteral("off"), 0, 0, 0);
                return TransferResult::TimedOut;
            }
            const auto echo = static_cast<quint8>(link.port.ReadAll().at(0));
            if (echo != WordEcho(word.address, word.high, word.low)) return FailTransfer(link, echo);
        }
        const int position = word.address > quint32(INT_MAX) ? INT_MAX : int(word.address);
        msgProgressBar(link.display, QStringLiteral("on"), 0, kProgressMaximum, position);
    }

    link.port.DiscardInput();
    if (!link.port.Write(kEndMark)) return FailTransfer(link, std::nullopt);
    link.display.msgCmt(UpdateDoneText(core::WholeSecondsSince(link.timing, start)));
    link.display.ShowInformationBox(kDialogTitle, kUpdateDoneBox);
    return TransferResult::Completed;
}

}  // namespace zendra::update
