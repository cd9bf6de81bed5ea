#include "UpdateTexts.h"

namespace zendra::update {

namespace {
QString BareHex(uint value) { return QString::number(value, 16).toUpper(); }
}  // namespace

QString TransferFailedText(const QString& echo) {
    return kTransferFailedLine1 + kCrLf + kTransferFailedLine2 + kCrLf + kTransferFailedEchoLabel + echo;
}

QString EchoTimeOutText(quint32 wordAddress, quint8 high, quint8 low) {
    return kUpdateFailed + QStringLiteral(" Address=0x") + BareHex(wordAddress) + QStringLiteral(" Data=0x") +
           BareHex(high) + BareHex(low);
}

}  // namespace zendra::update
