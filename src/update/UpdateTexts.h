#pragma once
// Every text the firmware update shows, written once.

#include <QString>

#include "image/ImageTexts.h"

namespace zendra::update {

inline const QString kCrLf = QStringLiteral("\r\n");

// The dialog and its controls.
inline const QString kDialogTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファームウエアアップデート"));
inline const QString kLabel1Caption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "通信ポート Com　："));
inline const QString kLabel2Caption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "通信スピード bps　："));
inline const QString kVersionCaption = QStringLiteral("Version Read");
inline const QString kOpenCaption = QStringLiteral("OPEN");
inline const QString kOpenTip =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "新しいファームウエアファイル(*.hex)を設定します。"));
inline const QString kUpdateCaption = QStringLiteral("UPDATE");
inline const QString kUpdateTip =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファームウエアの更新を実行します。"));
inline const QString kCloseCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "閉じる"));
inline const QString kInstructions = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra",
                      "１．通信ポートを指定してください。\r\n"
                      "２．[Version Read]ボタンを押して、バージョンが表示されると通信確認完了です。\r\n"
                      "３．[OPEN]ボタンを押して、アップデートファイルを指定してください。 [kxfwxxx.hex]\r\n"
                      "４．[UPDATE]ボタンを押してください。ファイルのアップデータが開始されます。"));

// Port and version read.
inline const QString kSetPortNumber =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポート番号を設定してください。"));
inline const QString kPortOpenFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "通信ポートをオープンできませんでした。"));
inline const QString kVersionCommFailed = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "　　***　ファームウエアアップデート　コミュニケーション失敗。　***　　　　　　\r\n　"));
inline const QString kVersionRead =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファームウエアバージョンをリードしました。"));

// File choice.
inline const QString kOpenFileTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アップデータを開く"));
// Both letter cases, since names are case-sensitive here.
inline const QString kOpenFileFilter =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アップデータファイル (*.HEX *.hex);;全てのファイル (*)"));
inline const QString kOpenFileSuffix = QStringLiteral("HEX");
inline const QString kOpenFilePreset = QStringLiteral("*.HEX");
// %1 the file's title.
inline const QString kFileChosen =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイル名：%1を指定しました。"));
QString FileChosenText(const QString& fileTitle);

// The transfer.
inline const QString kNoUpdateFile =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アップデートファイルがロードされていません。"));
inline const QString kUpdating =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アップデート中です。電源は絶対に切らないでください。"));
// %1 the whole seconds.
inline const QString kUpdateDone = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アップデート完了。  %1sec"));
QString UpdateDoneText(long long seconds);
inline const QString kUpdateDoneBox = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "　　　 ファームウエアアップデートが完了しました。  電源を再投入してください。  　　　　　　　\r\n　"));
inline const QString kUpdateFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "***　アップデート失敗　***"));
inline const QString kUpdateFailedBox =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "　　　***　アップデート失敗　***　　　　　　\r\n　"));
// The failure text of Label3, three lines; the echo follows the last one.
inline const QString kTransferFailedLine1 =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "途中でファームウエアアップデートが失敗しました。"));
inline const QString kTransferFailedLine2 =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra",
                                     "アップデートが正常に終了できなかったので、アップデート作業を"
                                     "再開できない確立が高いです。"
                                     "このような場合は、通常の書き込みを行なう必要があります。"));
inline const QString kTransferFailedEchoLabel =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "　　　　　　　error data = 0x"));
// `echo` is the first byte of the last echo in upper-case hex, or "--".
QString TransferFailedText(const QString& echo);
// "***　アップデート失敗　*** Address=0x1F Data=0x3FFF" style, hex without leading zeros.
QString EchoTimeOutText(quint32 wordAddress, quint8 high, quint8 low);

// Why an update file was refused before anything was sent (shown after kUpdateFailed).
inline const QString kFileUnreadable =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルを読み込めません。"));
inline const QString kFileTooLarge = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルが大きすぎます。"));
inline const QString& kFileNotRegular = image::texts::kFileNotRegular;
inline const QString kNoWordToSend =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "書き込むデータがありません。"));
inline const QString kRecordMalformed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "レコードの形式ではありません。"));
inline const QString kRecordBadDigit =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "16進数でない文字があります。"));
inline const QString kRecordBadChecksum =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チェックサムが一致しません。"));
inline const QString kRecordLengthMismatch =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "バイト数と行の長さが一致しません。"));
inline const QString kRecordOddCount =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "データのバイト数が奇数です。"));
inline const QString kRecordOddAddress = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アドレスが奇数です。"));
// The line number, then the problem.
inline const QString kLineProblemLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1行目："));
QString LineProblemText(int lineNumber, const QString& problem);

}  // namespace zendra::update
