#include "UpdateTexts.h"

#include "core/Language.h"

namespace zendra::update {

namespace {
QString BareHex(uint value) { return QString::number(value, 16).toUpper(); }
}  // namespace

QString FileChosenText(const QString& fileTitle) { return core::Compose(kFileChosen, {fileTitle}); }

QString UpdateDoneText(long long seconds) { return core::Compose(kUpdateDone, {QString::number(seconds)}); }

QString TransferFailedText(const QString& echo) {
    return core::JoinTexts(
        {kTransferFailedLine1, kTransferFailedLine2, core::JoinTexts({kTransferFailedEchoLabel, echo})},
        kCrLf);
}

QString EchoTimeOutText(quint32 wordAddress, quint8 high, quint8 low) {
    return core::Compose(QStringLiteral("%1 Address=0x%2 Data=0x%3"),
                         {kUpdateFailed, BareHex(wordAddress), BareHex(high) + BareHex(low)});
}

QString LineProblemText(int lineNumber, const QString& problem) {
    return core::JoinTexts({core::Compose(kLineProblemLabel, {QString::number(lineNumber)}), problem});
}

}  // namespace zendra::update
