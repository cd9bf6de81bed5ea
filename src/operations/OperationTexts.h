#pragma once
// Every text the chip operations show, written once.

#include <QString>

namespace zendra::operations::texts {

// Program
inline const QString kProgrammingFlash = QStringLiteral("フラッシュプログラムメモリ プログラム中.....");
inline const QString kProgrammingEeprom = QStringLiteral("ＥＥＰＲＯＭデータメモリ プログラム中.....");
inline const QString kAllMemoryBlank = QStringLiteral("全てのメモリは消去されました。");
inline const QString kProgramAborted = QStringLiteral("プログラミングを中止しました。");
inline const QString kFlashProgramFailed = QStringLiteral("フラッシュプログラムメモリ プログラム失敗");
inline const QString kEepromProgramFailed = QStringLiteral("ＥＥＰＲＯＭデータメモリ プログラム失敗");

// Verify
inline const QString kVerifyingFlash = QStringLiteral("フラッシュメモリ ベリファイ中.....");
inline const QString kVerifyingEeprom = QStringLiteral("ＥＥＰＲＯＭデータメモリ ベリファイ中.....");
inline const QString kVerifyAborted = QStringLiteral("ベリファイを中止しました。");
inline const QString kFlashVerifyFailed = QStringLiteral("フラッシュメモリ ベリファイ失敗");
inline const QString kVerifyCommError = QStringLiteral("ベリファイ　通信エラー");
inline const QString kVerdictAllOk = QStringLiteral("ベリファイ　FLASH : OK / EEPROM : OK");
inline const QString kVerdictAllOkStatus =
    QStringLiteral("ベリファイ　FLASH : OK / EEPROM : OK 　プログラミング正常終了。");
inline const QString kVerdictBothNg = QStringLiteral("ベリファイ　FLASH : NG / EEPROM : NG");
inline const QString kVerdictFlashNg = QStringLiteral("ベリファイ　FLASH : NG / EEPROM : OK");
inline const QString kVerdictEepromNg = QStringLiteral("ベリファイ　FLASH : OK / EEPROM : NG");

// Verify log
inline const QString kLogFlashHeader = QStringLiteral("Flash Program memory address verify");
inline const QString kLogEepromHeader = QStringLiteral("EEPROM data memory address verify");

// Read
inline const QString kReadingFlash = QStringLiteral("フラッシュプログラムメモリ　読出し中.....");
inline const QString kReadingEeprom = QStringLiteral("ＥＥＰＲＯＭデータメモリ 読出し中.....");
inline const QString kReadAborted = QStringLiteral("リードを中止しました。");
inline const QString kFlashReadFailed = QStringLiteral("フラッシュプログラムメモリ 読出し失敗");
inline const QString kEepromReadFailed = QStringLiteral("ＥＥＰＲＯＭデータメモリ 読出し失敗");

// Erase
inline const QString kErasing = QStringLiteral("チップ イレース中.....");
inline const QString kEraseFailed = QStringLiteral("チップ イレース失敗");

// Main window commands
inline const QString kReadCommandDone =
    QStringLiteral("プログラム・データメモリ、Ｆｕｓｅ・Ｌｏｃｋビットのリード終了しました。");
inline const QString kVerifyCommandDone = QStringLiteral("ベリファイ終了しました。");
inline const QString kEraseCommandDone = QStringLiteral("チップ イレース完了。");
inline const QString kSecondsSuffix = QStringLiteral("秒");

// Lock/fuse read and write
inline const QString kResetDisableWarning = QStringLiteral(
    "ＰＢ５またはＰＢ７リセット機能の無効「PB5:I/O」または「PB7:I/O」を選択しライトした場合、そのデバイスは、"
    "このプログラマ(Low-voltage Serial Programming mode)ではアクセスできなくなります。"
    "ＯＴＰデバイスと同じ扱いとなりますので注意してください。");
inline const QString kFuseReadProgress = QStringLiteral("Ｌｏｃｋ/Ｆｕｓｅビット 読出し中.....");
inline const QString kFuseWriteProgress = QStringLiteral("Lock/Fuse bit ライト中....");
inline const QString kFuseReadMismatch =
    QStringLiteral("設定デバイスと、ソケット上のデバイスがミスマッチです。");
inline const QString kFuseReadFailed = QStringLiteral("Lock/Fuse bit リードに失敗しました。");
inline const QString kFuseReadDone = QStringLiteral("Lock/Fuse bit リードが完了しました。");
inline const QString kFuseWriteFailed = QStringLiteral("Lock/Fuse bit ライトに失敗しました。");
inline const QString kFuseWriteDone = QStringLiteral("Lock/Fuse bit ライトが完了しました。");
inline const QString kFuseWriteCancelled = QStringLiteral("Lock/Fuse bit ライトを中止しました。");
inline const QString kFuseDryRun = QStringLiteral("Lock/Fuse bit はライトしていません（確認のみ）。");
// Followed by the fields.
inline const QString kLockOutRefused = QStringLiteral("デバイスにアクセスできなくなる変更のためライトしません: ");
inline const QString kLockOutExplained = QStringLiteral(
    "ライト後、このプログラマ(Low-voltage Serial Programming mode)ではデバイスにアクセスできなくなります。");
inline const QString kReadProtectExplained =
    QStringLiteral("次のチップ消去まで、リードとベリファイができなくなります。");
inline const QString kWriteProtectExplained =
    QStringLiteral("次のチップ消去まで、書込みができなくなります。");

// The chip store and the production run of the windows (a reason, place, device or number follows).
inline const QString kStoreRefusesStamp =
    QStringLiteral("チップ記録が使えないため、シリアル番号を発行できません: ");
inline const QString kStoreUnrecorded = QStringLiteral("チップ記録が使えないため、記録せずに実行しました: ");
inline const QString kStoreWriteFailed = QStringLiteral("チップ記録に書き込めません: ");
inline const QString kStampBeyondDevice = QStringLiteral("シリアル番号の位置がデバイスの外です: ");
inline const QString kCalibrationBeyondDevice = QStringLiteral("キャリブレーションのコピー先がデバイスの外です: ");
inline const QString kNoCalibrationByte = QStringLiteral("このデバイスにはキャリブレーションバイトがありません: ");
inline const QString kSeriesExhausted = QStringLiteral("シリアル番号が書式に入りきりません: ");
// %1: the series' next number as the store has it.
inline const QString kSeriesContradicts =
    QStringLiteral("シリーズの開始番号か増分が記録と違います。記録の次の番号: %1");

}  // namespace zendra::operations::texts
