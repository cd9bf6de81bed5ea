#pragma once
// Every text the chip operations show, written once.

#include <QString>

namespace zendra::operations::texts {

// Program
inline const QString kProgrammingFlash =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "フラッシュプログラムメモリ プログラム中....."));
inline const QString kProgrammingEeprom =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ＥＥＰＲＯＭデータメモリ プログラム中....."));
inline const QString kAllMemoryBlank =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "全てのメモリは消去されました。"));
inline const QString kProgramAborted =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プログラミングを中止しました。"));
inline const QString kFlashProgramFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "フラッシュプログラムメモリ プログラム失敗"));
inline const QString kEepromProgramFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ＥＥＰＲＯＭデータメモリ プログラム失敗"));

// Verify
inline const QString kVerifyingFlash =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "フラッシュメモリ ベリファイ中....."));
inline const QString kVerifyingEeprom =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ＥＥＰＲＯＭデータメモリ ベリファイ中....."));
inline const QString kVerifyAborted =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベリファイを中止しました。"));
inline const QString kFlashVerifyFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "フラッシュメモリ ベリファイ失敗"));
inline const QString kVerifyCommError = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベリファイ　通信エラー"));
inline const QString kVerdictAllOk =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベリファイ　FLASH : OK / EEPROM : OK"));
inline const QString kVerdictAllOkStatus = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "ベリファイ　FLASH : OK / EEPROM : OK 　プログラミング正常終了。"));
inline const QString kVerdictBothNg =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベリファイ　FLASH : NG / EEPROM : NG"));
inline const QString kVerdictFlashNg =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベリファイ　FLASH : NG / EEPROM : OK"));
inline const QString kVerdictEepromNg =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベリファイ　FLASH : OK / EEPROM : NG"));

// Verify log
inline const QString kLogFlashHeader = QStringLiteral("Flash Program memory address verify");
inline const QString kLogEepromHeader = QStringLiteral("EEPROM data memory address verify");

// Read
inline const QString kReadingFlash =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "フラッシュプログラムメモリ　読出し中....."));
inline const QString kReadingEeprom =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ＥＥＰＲＯＭデータメモリ 読出し中....."));
inline const QString kReadAborted = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "リードを中止しました。"));
inline const QString kFlashReadFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "フラッシュプログラムメモリ 読出し失敗"));
inline const QString kEepromReadFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ＥＥＰＲＯＭデータメモリ 読出し失敗"));

// Erase
inline const QString kErasing = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ イレース中....."));
inline const QString kEraseFailed = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ イレース失敗"));

// Main window commands
inline const QString kReadCommandDone = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "プログラム・データメモリ、Ｆｕｓｅ・Ｌｏｃｋビットのリード終了しました。"));
inline const QString kVerifyCommandDone =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベリファイ終了しました。"));
inline const QString kEraseCommandDone = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ イレース完了。"));
inline const QString kSecondsSuffix = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "秒"));

// Lock/fuse read and write
inline const QString kResetDisableWarning = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "ＰＢ５またはＰＢ７リセット機能の無効「PB5:I/O」または「PB7:I/O」を選択しライトした場合、そのデバイスは、"
    "このプログラマ(Low-voltage Serial Programming mode)ではアクセスできなくなります。"
    "ＯＴＰデバイスと同じ扱いとなりますので注意してください。"));
inline const QString kFuseReadProgress =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Ｌｏｃｋ/Ｆｕｓｅビット 読出し中....."));
inline const QString kFuseWriteProgress =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse bit ライト中...."));
inline const QString kFuseReadMismatch =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "設定デバイスと、ソケット上のデバイスがミスマッチです。"));
inline const QString kFuseReadFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse bit リードに失敗しました。"));
inline const QString kFuseReadDone =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse bit リードが完了しました。"));
inline const QString kFuseWriteFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse bit ライトに失敗しました。"));
inline const QString kFuseWriteDone =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse bit ライトが完了しました。"));
inline const QString kFuseWriteCancelled =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse bit ライトを中止しました。"));
inline const QString kFuseDryRun =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse bit はライトしていません（確認のみ）。"));
// Followed by the fields.
inline const QString kLockOutRefused =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイスにアクセスできなくなる変更のためライトしません: "));
inline const QString kLockOutExplained = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "ライト後、このプログラマ(Low-voltage Serial Programming mode)ではデバイスにアクセスできなくなります。"));
inline const QString kReadProtectExplained =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "次のチップ消去まで、リードとベリファイができなくなります。"));
inline const QString kWriteProtectExplained =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "次のチップ消去まで、書込みができなくなります。"));

// The chip store and the production run of the windows (%1: a reason, place, device or number).
inline const QString kStoreRefusesStamp =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ記録が使えないため、シリアル番号を発行できません: %1"));
inline const QString kDryRunDone =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップには何も書き込んでいません（確認のみ）。"));
inline const QString kStoreRefusesRecord =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ記録が使えないため、実行しません: %1"));
inline const QString kSeriesUnknown =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリーズがありません。開始番号を指定してください: %1"));
inline const QString kStoreUnrecorded = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ記録が使えないため、記録せずに実行しました: %1"));
inline const QString kStoreWriteFailed = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ記録に書き込めません: %1"));
inline const QString kStampBeyondDevice = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号の位置がデバイスの外です: %1"));
inline const QString kCalibrationBeyondDevice = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "キャリブレーションのコピー先がデバイスの外です: %1"));
inline const QString kNoCalibrationByte = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "このデバイスにはキャリブレーションバイトがありません: %1"));
inline const QString kSeriesExhausted = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号が書式に入りきりません: %1"));
// %1: the series' next number as the store has it.
inline const QString kSeriesContradicts =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリーズの開始番号か増分が記録と違います。記録の次の番号: %1"));
// The number a chip already carries at the stamp's place. %1: the place; %2: the value read; %3: the series.
inline const QString kStampCellsBlank = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップのシリアル番号の位置 %1 は空です"));
inline const QString kStampCellsNotIssued = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "チップのシリアル番号の位置 %1 の値 %2 は、シリーズ %3 が発行した番号ではありません"));
inline const QString kStampCellsLocked =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ロックされたチップのシリアル番号の位置 %1 は読めません"));
// %1: one of the three above.
inline const QString kKeepTakesNext = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1。新しい番号を付けます。"));
inline const QString kKeepRefused =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1。番号を保持できないため、チップには書き込みません。"));

// A list's or a generator's series (%1: the list file or the program; %2, %3: a line, a value or a reason).
inline const QString kSeriesOtherKind =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリーズ %1 は別の種類のシリーズです（記録の種類: %2）"));
inline const QString kListUnreadable = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号リストを読めません: %1 (%2)"));
inline const QString kListBadLine =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号リストの %2 行目は値ではありません: %1"));
inline const QString kListRepeated =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号リストの %2 行目は %3 行目と同じ値です: %1"));
inline const QString kListExhausted =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号リストを使い切りました: %1（最後の行: %2）"));
inline const QString kListChanged =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号リストの発行済みの %2 行目が変更されています: %1"));
inline const QString kValueIssued = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "この値は発行済みです: %1 (%2)"));
inline const QString kGeneratorNotStarted =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号プログラムを起動できません: %1 (%2)"));
inline const QString kGeneratorFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号プログラムが失敗しました（終了コード %2）: %1"));
inline const QString kGeneratorTimedOut =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号プログラムが %2 秒以内に終わらないため停止しました: %1"));
inline const QString kGeneratorBadOutput = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "シリアル番号プログラムの出力が16進数のバイトの1行ではありません: %1 (%2)"));
inline const QString kGeneratorBeyond =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号プログラムの値がデバイスに入りきりません: %1 (%2)"));

}  // namespace zendra::operations::texts
