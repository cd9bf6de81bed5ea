#include "UpdateTexts.h"

namespace zendra::update {

namespace {
QString BareHex(uint value) { return QString::number(value, 16).toUpper(); }
}  // namespace

QString TransferFailedText(const QString& echo) {
    return QStringLiteral("途中でファームウエアアップデートが失敗しました。") + kCrLf +
           QStringLiteral("アップデートが正常に終了できなかったので、アップデート作業を") +
           QStringLiteral("再開できない確立が高いです。") +
           QStringLiteral("このような場合は、通常の書き込みを行なう必要があります。") + kCrLf +
           QStringLiteral("　　　　　　　error data = 0x") + echo;
}

QString EchoTimeOutText(quint32 wordAddress, quint8 high, quint8 low) {
    return kUpdateFailed + QStringLiteral(" Address=0x") + BareHex(wordAddress) + QStringLiteral(" Data=0x") +
           BareHex(high) + BareHex(low);
}

}  // namespace zendra::update
