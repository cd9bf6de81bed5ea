#pragma once
// The command line's own texts, each in Japanese and English, written once. The texts the operations
// produce come from their reports and go through the program's translation.

#include <QString>

namespace zendra::cli::texts {

struct Text {
    const char* ja;
    const char* en;
};

inline constexpr Text kUsage{"使い方", "Usage"};
inline constexpr Text kUnknownCommand{"不明なコマンドです: ", "unknown command: "};
inline constexpr Text kMissingFile{"ファイルを指定してください: ", "a file is needed: "};
inline constexpr Text kTooManyArguments{"余分な引数があります: ", "unexpected argument: "};
inline constexpr Text kUnknownDevice{"不明なデバイスです: ", "unknown device: "};
inline constexpr Text kDidYouMean{"もしかして ", "did you mean "};
inline constexpr Text kUnknownLanguage{"不明な言語です (ja または en): ", "unknown language (ja or en): "};
inline constexpr Text kUnknownFuse{"不明な Lock/Fuse 設定です: ", "unknown lock/fuse setting: "};
inline constexpr Text kFuseWriteNeedsDevice{"この設定はデバイスにありません: ",
                                            "the device has no such setting: "};
inline constexpr Text kNothingToRestore{"元に戻す Lock/Fuse バイトが記録されていません: ",
                                        "the report records no lock/fuse bytes to restore: "};
inline constexpr Text kRestoreOtherDevice{"レポートは別のデバイスのものです: ", "the report is for another device: "};
inline constexpr Text kChangeHeader{"Lock/Fuse の変更:", "lock/fuse changes:"};
inline constexpr Text kNoChange{"Lock/Fuse の変更はありません", "no lock/fuse change"};
inline constexpr Text kUnknownPort{"ポートが見つかりません: ", "no such port: "};
inline constexpr Text kPortDenied{"ポートを開く権限がありません: ", "permission denied: "};
inline constexpr Text kPortBusy{"ポートは別のプログラムが使用中です: ", "the port is in use by another program: "};
inline constexpr Text kPortNotSerial{"シリアルポートではありません: ", "not a serial port: "};
inline constexpr Text kPortOpenFailed{"ポートを開けません: ", "cannot open the port: "};
inline constexpr Text kComNotAssigned{"この COM 番号にはポートが割り当てられていません。",
                                      "this COM number has no port assigned."};
inline constexpr Text kDetectedPorts{"検出されたポート: ", "detected ports: "};
inline constexpr Text kNoPortsDetected{"シリアルポートは検出されませんでした。", "no serial port detected."};
inline constexpr Text kJoinGroup{
    "ポートは %1 グループのものです。sudo usermod -aG %1 $USER で参加し、ログインし直してください。",
    "the port belongs to the group %1: join it with sudo usermod -aG %1 $USER, then log out and in again."};
inline constexpr Text kHeldBy{"使用中のプログラム: ", "held by: "};
inline constexpr Text kEndOtherProgram{"そのプログラムを終了してから実行し直してください。",
                                       "end that program, then run the command again."};
inline constexpr Text kNoAnswer{"ライターが応答しません: ", "the writer does not answer on "};
inline constexpr Text kNoAnswerAdvice{
    "ケーブルとライターの電源を確かめてください。zendra-cli ports でポートの一覧を表示できます。",
    "check the cable and the writer's power; zendra-cli ports lists the serial ports."};
inline constexpr Text kWriterAnswers{"ライターが応答しました: ", "the writer answers on "};
inline constexpr Text kPortInUse{"ポートは別の zendra-cli が使用中です: ",
                                 "the port is in use by another zendra-cli: "};
inline constexpr Text kStaleLockTaken{"使われていないロックファイルを引き継ぎました: ",
                                      "took over a lock file that no running process holds: "};
inline constexpr Text kLockFailed{"ロックファイルを作成できません: ", "cannot create the lock file: "};
inline constexpr Text kWriterLost{"チップ待ちの間にライターとの通信が途絶えました: ",
                                  "the writer was lost while waiting for the chip: "};
inline constexpr Text kNotRegularFile{"通常のファイルではないため書き込みません: ",
                                      "not a regular file, so nothing is written to it: "};
inline constexpr Text kNoFolder{"フォルダーがありません: ", "no such folder: "};
inline constexpr Text kSameOutput{"フラッシュと EEPROM の出力先が同じファイルです: ",
                                  "the flash and the EEPROM output are the same file: "};
inline constexpr Text kNoData{"書き込むデータがありません (データレコードなし): ",
                              "nothing to program (no data record): "};
inline constexpr Text kNoEndRecord{"警告: エンドレコードがありません: ", "warning: no end record: "};
inline constexpr Text kFileUnreadable{"ファイルを読めません: ", "cannot read the file: "};
inline constexpr Text kFileRefused{"ファイルに誤りがあります: ", "the file is invalid: "};
inline constexpr Text kLine{"行", "line"};
inline constexpr Text kBeyondDevice{"デバイスの容量を超えるデータがあります (バイト): ",
                                    "data beyond the device's memory (bytes): "};
inline constexpr Text kFits{"デバイスに収まります: ", "fits the device: "};
inline constexpr Text kWatchProgramOnly{"--watch は program コマンドにだけ使えます (--repeat とは併用できません)",
                                        "--watch goes with the program command only (not with --repeat)"};
inline constexpr Text kWatching{"ファイルの変更を待っています (Ctrl-C で終了): ",
                                "waiting for the files to change (Ctrl-C ends): "};
inline constexpr Text kWatchChanged{"ファイルが変更されました: ", "file changed: "};
inline constexpr Text kWatchEnded{"監視を終了しました。プログラム回数: ", "watch ended; program runs: "};
inline constexpr Text kWatchLastCode{"、最後の終了コード: ", ", last exit code: "};
inline constexpr Text kRecords{"レコード", "records"};
inline constexpr Text kUsedFlash{"使用フラッシュ (ワード)", "flash in use (words)"};
inline constexpr Text kUsedEeprom{"使用 EEPROM (バイト)", "EEPROM in use (bytes)"};
inline constexpr Text kNoWriter{"ライターが見つかりません", "no writer found"};
inline constexpr Text kWaitingForWriter{"新しいポートでライターが応答するのを待っています (Ctrl-C で終了)...",
                                        "waiting for a writer on a new port (Ctrl-C ends)..."};
inline constexpr Text kNoPortMonitor{"デバイスの監視を使えないため、ポートの一覧を毎秒読み直します。",
                                     "no device monitor: the ports are listed again every second."};
inline constexpr Text kWaitOnlyDetect{"--wait は --port なしの detect にだけ使えます",
                                     "--wait goes with detect alone, without --port"};
inline constexpr Text kWaitCancelled{"待機を中止しました", "wait cancelled"};
inline constexpr Text kNoSignatureMatch{"署名に合うデバイスがありません: ", "no device has the signature "};
inline constexpr Text kSignatureAmbiguous{"署名に合うデバイスが複数あります。--device で選んでください: ",
                                          "several devices have this signature; choose one with --device: "};
inline constexpr Text kChose{"署名から選んだデバイス: ", "device chosen from the signature: "};
inline constexpr Text kFileFuses{"ファイルのロック/ヒューズ (未書き込み): ", "the file's lock/fuse choices (not written): "};
inline constexpr Text kFileFuseUnmatched{"どの選択肢にも合わないファイルのロック/ヒューズ: ",
                                         "lock/fuse bytes of the file that match no choice: "};
inline constexpr Text kFuseWriteNeedsElf{"--write-fuses には ELF ファイルのロック/ヒューズが必要です: ",
                                         "--write-fuses needs an ELF file with lock/fuse data: "};
inline constexpr Text kNoElfOutput{"ELF ファイルには書き出せません: ", "an ELF file cannot be written: "};
inline constexpr Text kSaved{"保存しました: ", "saved: "};
inline constexpr Text kDifference{"相違", "difference"};
inline constexpr Text kFileValue{"ファイル", "file"};
inline constexpr Text kChipValue{"チップ", "chip"};
inline constexpr Text kUpdateNoCancel{
    "ファームウエア更新中は中止できません。ライターが使えなくなります。",
    "the firmware update cannot be cancelled: the writer would be left unusable."};
inline constexpr Text kUpdateDone{"ファームウエアを更新しました", "firmware updated"};
inline constexpr Text kUpdateFailed{"ファームウエアの更新に失敗しました", "the firmware update failed"};
inline constexpr Text kWaitRemove{"チップを外してください...", "remove the chip..."};
inline constexpr Text kWaitInsert{"次のチップを入れてください...", "insert the next chip..."};
inline constexpr Text kPasses{"合格", "passed"};
inline constexpr Text kFailures{"不合格", "failed"};
inline constexpr Text kCannotWrite{"書き込めません: ", "cannot write: "};
inline constexpr Text kStoreCannotOpen{"チップ記録を開けません: ", "cannot open the chip store: "};
inline constexpr Text kStoreLocked{"チップ記録が別のプロセスにロックされたままです: ",
                                   "the chip store stays locked by another process: "};
inline constexpr Text kStoreNewer{"チップ記録は新しいバージョンのプログラムのものです: ",
                                  "the chip store was written by a newer program: "};
inline constexpr Text kStoreFailed{"チップ記録に書き込めません: ", "cannot write to the chip store: "};
inline constexpr Text kBadPlace{"場所は eeprom:ADDR か flash:ADDR で指定してください: ",
                                "a place is eeprom:ADDR or flash:ADDR: "};
inline constexpr Text kBadSerialFormat{"不明なシリアル番号の形式です (u8, le16, be16, le32, be32, decN): ",
                                       "unknown serial format (u8, le16, be16, le32, be32, decN): "};
inline constexpr Text kBadNumber{"数値が正しくありません: ", "not a valid number: "};
inline constexpr Text kNeedsSerialAt{"--serial-at と --serial-format を指定してください: ",
                                     "give --serial-at and --serial-format with "};
inline constexpr Text kNotForCommand{"このコマンドでは使えません: ", "not for this command: "};
inline constexpr Text kPlaceBeyond{"デバイスのメモリーの外です: ", "beyond the device's memory: "};
inline constexpr Text kPlacesOverlap{"シリアル番号と校正バイトの場所が重なっています",
                                     "the serial number and the calibration byte overlap"};
inline constexpr Text kNoCalibration{"このデバイスには校正バイトがありません: ", "the device has no calibration byte: "};
inline constexpr Text kSeriesUnknown{"シリーズがありません。--serial-start で作成してください: ",
                                     "no such series; create it with --serial-start: "};
inline constexpr Text kSeriesContradicts{"シリーズ %1 は別の開始値または増分で作成されています。次の番号: %2",
                                         "the series %1 was created with another start or step; its next number: %2"};
inline constexpr Text kSeriesExhausted{"シリーズの次の番号が形式に収まりません: ",
                                       "the series' next number does not fit the format: "};
inline constexpr Text kSerialNumber{"シリアル番号", "serial number"};
inline constexpr Text kCalibrationCopied{"校正バイト", "calibration byte"};
inline constexpr Text kStampSkipped{"チップごとに書き込む場所は比較しません: ",
                                   "the cells each chip gets its own value in are not compared: "};
inline constexpr Text kNotSetup{"セットアップファイルではありません: ", "not a setup file: "};
inline constexpr Text kSetupNewer{"新しいバージョンのプログラムのセットアップファイルです (format %1): ",
                                  "the setup file was written by a newer program (format %1): "};
inline constexpr Text kSetupFileChanged{
    "セットアップの保存後に変更されたファイルです (--accept-changed-files でそのまま使えます): ",
    "the file changed since the setup was saved (--accept-changed-files uses it as it is): "};
inline constexpr Text kSetupChangeAccepted{"変更されたファイルをそのまま使います: ", "using the changed file as it is: "};
inline constexpr Text kFuseNeedsDevice{"--fuse には --device が必要です", "--fuse needs --device"};

}  // namespace zendra::cli::texts
