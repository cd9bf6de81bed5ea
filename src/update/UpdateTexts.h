#pragma once
// Every text the firmware update shows, written once.

#include <QString>

#include "image/ImageTexts.h"

namespace zendra::update {

inline const QString kCrLf = QStringLiteral("\r\n");

// The dialog and its controls.
inline const QString kDialogTitle = QStringLiteral("ファームウエアアップデート");
inline const QString kLabel1Caption = QStringLiteral("通信ポート Com　：");
inline const QString kLabel2Caption = QStringLiteral("通信スピード bps　：");
inline const QString kVersionCaption = QStringLiteral("Version Read");
inline const QString kOpenCaption = QStringLiteral("OPEN");
inline const QString kOpenTip = QStringLiteral("新しいファームウエアファイル(*.hex)を設定します。");
inline const QString kUpdateCaption = QStringLiteral("UPDATE");
inline const QString kUpdateTip = QStringLiteral("ファームウエアの更新を実行します。");
inline const QString kCloseCaption = QStringLiteral("閉じる");
inline const QString kInstructions = QStringLiteral(
    "１．通信ポートを指定してください。\r\n"
    "２．[Version Read]ボタンを押して、バージョンが表示されると通信確認完了です。\r\n"
    "３．[OPEN]ボタンを押して、アップデートファイルを指定してください。 [kxfwxxx.hex]\r\n"
    "４．[UPDATE]ボタンを押してください。ファイルのアップデータが開始されます。");

// Port and version read.
inline const QString kSetPortNumber = QStringLiteral("ポート番号を設定してください。");
inline const QString kPortOpenFailed = QStringLiteral("通信ポートをオープンできませんでした。");
inline const QString kVersionCommFailed =
    QStringLiteral("　　***　ファームウエアアップデート　コミュニケーション失敗。　***　　　　　　\r\n　");
inline const QString kVersionRead = QStringLiteral("ファームウエアバージョンをリードしました。");

// File choice.
inline const QString kOpenFileTitle = QStringLiteral("アップデータを開く");
// Both letter cases, since names are case-sensitive here.
inline const QString kOpenFileFilter =
    QStringLiteral("アップデータファイル (*.HEX *.hex);;全てのファイル (*)");
inline const QString kOpenFileSuffix = QStringLiteral("HEX");
inline const QString kOpenFilePreset = QStringLiteral("*.HEX");
// "ファイル名：" + the file's title + "を指定しました。"
inline const QString kFileChosenBefore = QStringLiteral("ファイル名：");
inline const QString kFileChosenAfter = QStringLiteral("を指定しました。");
inline QString FileChosenText(const QString& fileTitle) { return kFileChosenBefore + fileTitle + kFileChosenAfter; }

// The transfer.
inline const QString kNoUpdateFile = QStringLiteral("アップデートファイルがロードされていません。");
inline const QString kUpdating = QStringLiteral("アップデート中です。電源は絶対に切らないでください。");
// "アップデート完了。  " + the seconds + "sec"
inline const QString kUpdateDoneBefore = QStringLiteral("アップデート完了。  ");
inline const QString kUpdateDoneAfter = QStringLiteral("sec");
inline QString UpdateDoneText(long long seconds) {
    return kUpdateDoneBefore + QString::number(seconds) + kUpdateDoneAfter;
}
inline const QString kUpdateDoneBox = QStringLiteral(
    "　　　 ファームウエアアップデートが完了しました。  電源を再投入してください。  　　　　　　　\r\n　");
inline const QString kUpdateFailed = QStringLiteral("***　アップデート失敗　***");
inline const QString kUpdateFailedBox = QStringLiteral("　　　***　アップデート失敗　***　　　　　　\r\n　");
// The failure text of Label3, three lines; the echo follows the last one.
inline const QString kTransferFailedLine1 = QStringLiteral("途中でファームウエアアップデートが失敗しました。");
inline const QString kTransferFailedLine2 = QStringLiteral(
    "アップデートが正常に終了できなかったので、アップデート作業を"
    "再開できない確立が高いです。"
    "このような場合は、通常の書き込みを行なう必要があります。");
inline const QString kTransferFailedEchoLabel = QStringLiteral("　　　　　　　error data = 0x");
// `echo` is the first byte of the last echo in upper-case hex, or "--".
QString TransferFailedText(const QString& echo);
// "***　アップデート失敗　*** Address=0x1F Data=0x3FFF" style, hex without leading zeros.
QString EchoTimeOutText(quint32 wordAddress, quint8 high, quint8 low);

// Why an update file was refused before anything was sent (shown after kUpdateFailed).
inline const QString kFileUnreadable = QStringLiteral("ファイルを読み込めません。");
inline const QString kFileTooLarge = QStringLiteral("ファイルが大きすぎます。");
inline const QString& kFileNotRegular = image::texts::kFileNotRegular;
inline const QString kNoWordToSend = QStringLiteral("書き込むデータがありません。");
inline const QString kRecordMalformed = QStringLiteral("レコードの形式ではありません。");
inline const QString kRecordBadDigit = QStringLiteral("16進数でない文字があります。");
inline const QString kRecordBadChecksum = QStringLiteral("チェックサムが一致しません。");
inline const QString kRecordLengthMismatch = QStringLiteral("バイト数と行の長さが一致しません。");
inline const QString kRecordOddCount = QStringLiteral("データのバイト数が奇数です。");
inline const QString kRecordOddAddress = QStringLiteral("アドレスが奇数です。");
// The line number, then the problem.
inline const QString kLineProblemLabel = QStringLiteral("%1行目：");
inline QString LineProblemText(int lineNumber, const QString& problem) {
    return kLineProblemLabel.arg(lineNumber) + problem;
}

}  // namespace zendra::update
