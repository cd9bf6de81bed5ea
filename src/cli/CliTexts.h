#pragma once
// The command line's own texts, written once in Japanese and marked for lupdate in the context "cli";
// their English is in translations/zendra_en.ts. Show them with T(), which fills in the %1 arguments
// after the text is translated. The texts the operations produce come from their reports.

#include <QtGlobal>

namespace zendra::cli::texts {

inline constexpr const char* kUsage = QT_TRANSLATE_NOOP("cli", "使い方");
inline constexpr const char* kUnknownCommand = QT_TRANSLATE_NOOP("cli", "不明なコマンドです: %1");
inline constexpr const char* kMissingFile = QT_TRANSLATE_NOOP("cli", "ファイルを指定してください: %1");
inline constexpr const char* kTooManyArguments = QT_TRANSLATE_NOOP("cli", "余分な引数があります: %1");
inline constexpr const char* kUnknownDevice = QT_TRANSLATE_NOOP("cli", "不明なデバイスです: %1");
inline constexpr const char* kDidYouMean = QT_TRANSLATE_NOOP("cli", "もしかして %1?");
inline constexpr const char* kUnknownLanguage = QT_TRANSLATE_NOOP("cli", "不明な言語です (ja または en): %1");
inline constexpr const char* kUnknownFuse = QT_TRANSLATE_NOOP("cli", "不明な Lock/Fuse 設定です: %1");
inline constexpr const char* kFuseWriteNeedsDevice =
    QT_TRANSLATE_NOOP("cli", "この設定はデバイスにありません: %1");
inline constexpr const char* kNothingToRestore =
    QT_TRANSLATE_NOOP("cli", "元に戻す Lock/Fuse バイトが記録されていません: %1");
inline constexpr const char* kBadReportValue =
    QT_TRANSLATE_NOOP("cli", "レポートの値が正しくありません (%1): %2");
inline constexpr const char* kRestoreOtherDevice =
    QT_TRANSLATE_NOOP("cli", "レポートは別のデバイスのものです: %1");
inline constexpr const char* kChangeHeader = QT_TRANSLATE_NOOP("cli", "Lock/Fuse の変更:");
inline constexpr const char* kNoChange = QT_TRANSLATE_NOOP("cli", "Lock/Fuse の変更はありません");
inline constexpr const char* kUnknownPort = QT_TRANSLATE_NOOP("cli", "ポートが見つかりません: %1");
inline constexpr const char* kPortDenied = QT_TRANSLATE_NOOP("cli", "ポートを開く権限がありません: %1");
inline constexpr const char* kPortBusy = QT_TRANSLATE_NOOP("cli", "ポートは別のプログラムが使用中です: %1");
inline constexpr const char* kPortNotSerial = QT_TRANSLATE_NOOP("cli", "シリアルポートではありません: %1");
inline constexpr const char* kPortOpenFailed = QT_TRANSLATE_NOOP("cli", "ポートを開けません: %1");
inline constexpr const char* kComNotAssigned =
    QT_TRANSLATE_NOOP("cli", "この COM 番号にはポートが割り当てられていません。");
inline constexpr const char* kDetectedPorts = QT_TRANSLATE_NOOP("cli", "検出されたポート: %1");
inline constexpr const char* kNoPortsDetected =
    QT_TRANSLATE_NOOP("cli", "シリアルポートは検出されませんでした。");
inline constexpr const char* kJoinGroup = QT_TRANSLATE_NOOP(
    "cli", "ポートは %1 グループのものです。sudo usermod -aG %1 $USER で参加し、ログインし直してください。");
inline constexpr const char* kHeldBy = QT_TRANSLATE_NOOP("cli", "使用中のプログラム: %1");
inline constexpr const char* kEndOtherProgram =
    QT_TRANSLATE_NOOP("cli", "そのプログラムを終了してから実行し直してください。");
inline constexpr const char* kNoAnswer = QT_TRANSLATE_NOOP("cli", "ライターが応答しません: %1");
inline constexpr const char* kNoAnswerAdvice = QT_TRANSLATE_NOOP(
    "cli", "ケーブルとライターの電源を確かめてください。zendra-cli ports でポートの一覧を表示できます。");
inline constexpr const char* kWriterAnswers = QT_TRANSLATE_NOOP("cli", "ライターが応答しました: %1");
inline constexpr const char* kPortInUse =
    QT_TRANSLATE_NOOP("cli", "ポートは別の zendra-cli が使用中です: %1");
inline constexpr const char* kStaleLockTaken =
    QT_TRANSLATE_NOOP("cli", "使われていないロックファイルを引き継ぎました: %1");
inline constexpr const char* kLockFailed = QT_TRANSLATE_NOOP("cli", "ロックファイルを作成できません: %1");
inline constexpr const char* kWriterLost =
    QT_TRANSLATE_NOOP("cli", "チップ待ちの間にライターとの通信が途絶えました: %1");
inline constexpr const char* kNotRegularFile =
    QT_TRANSLATE_NOOP("cli", "通常のファイルではないため書き込みません: %1");
inline constexpr const char* kNoFolder = QT_TRANSLATE_NOOP("cli", "フォルダーがありません: %1");
inline constexpr const char* kSameOutput =
    QT_TRANSLATE_NOOP("cli", "フラッシュと EEPROM の出力先が同じファイルです: %1");
inline constexpr const char* kNoData =
    QT_TRANSLATE_NOOP("cli", "書き込むデータがありません (データレコードなし): %1");
inline constexpr const char* kNoEndRecord = QT_TRANSLATE_NOOP("cli", "警告: エンドレコードがありません: %1");
inline constexpr const char* kFileUnreadable = QT_TRANSLATE_NOOP("cli", "ファイルを読めません: %1: %2");
inline constexpr const char* kFileRefused = QT_TRANSLATE_NOOP("cli", "ファイルに誤りがあります: %1: %2");

inline constexpr const char* kBeyondDevice =
    QT_TRANSLATE_NOOP("cli", "デバイスの容量を超えるデータがあります (バイト): %1");
inline constexpr const char* kFits = QT_TRANSLATE_NOOP("cli", "デバイスに収まります: %1");
inline constexpr const char* kWatchProgramOnly =
    QT_TRANSLATE_NOOP("cli", "--watch は program コマンドにだけ使えます (--repeat とは併用できません)");
inline constexpr const char* kWatching =
    QT_TRANSLATE_NOOP("cli", "ファイルの変更を待っています (Ctrl-C で終了): %1");
inline constexpr const char* kWatchChanged = QT_TRANSLATE_NOOP("cli", "ファイルが変更されました: %1");
inline constexpr const char* kWatchGone = QT_TRANSLATE_NOOP("cli", "監視中のファイルがなくなりました: %1");
inline constexpr const char* kWatchBack = QT_TRANSLATE_NOOP("cli", "監視中のファイルが戻りました: %1");
inline constexpr const char* kWatchEnded =
    QT_TRANSLATE_NOOP("cli", "監視を終了しました。プログラム回数: %1、最後の終了コード: %2");

inline constexpr const char* kRecords = QT_TRANSLATE_NOOP("cli", "レコード");
inline constexpr const char* kUsedFlash = QT_TRANSLATE_NOOP("cli", "使用フラッシュ (ワード)");
inline constexpr const char* kUsedEeprom = QT_TRANSLATE_NOOP("cli", "使用 EEPROM (バイト)");
inline constexpr const char* kStreamLost =
    QT_TRANSLATE_NOOP("cli", "標準出力に書き込めなくなりました: イベントの一部が失われました");
inline constexpr const char* kJsonReportStdout =
    QT_TRANSLATE_NOOP("cli", "--json では標準出力はイベント専用です: --report - は使えません");
inline constexpr const char* kTriggerBusy = QT_TRANSLATE_NOOP("cli", "ライターは作業中です: %1");
inline constexpr const char* kTriggerUnknown = QT_TRANSLATE_NOOP("cli", "不明な指示です: %1");
inline constexpr const char* kTriggerNeedsRepeat =
    QT_TRANSLATE_NOOP("cli", "--trigger は --repeat と共に使います (--trigger stdin)");
inline constexpr const char* kNoWriter = QT_TRANSLATE_NOOP("cli", "ライターが見つかりません");
inline constexpr const char* kWaitingForWriter =
    QT_TRANSLATE_NOOP("cli", "新しいポートでライターが応答するのを待っています (Ctrl-C で終了)...");
inline constexpr const char* kNoPortMonitor =
    QT_TRANSLATE_NOOP("cli", "デバイスの監視を使えないため、ポートの一覧を毎秒読み直します。");
inline constexpr const char* kWaitOnlyDetect =
    QT_TRANSLATE_NOOP("cli", "--wait は --port なしの detect にだけ使えます");
inline constexpr const char* kWaitCancelled = QT_TRANSLATE_NOOP("cli", "待機を中止しました");
inline constexpr const char* kNoSignatureMatch =
    QT_TRANSLATE_NOOP("cli", "署名に合うデバイスがありません: %1");
inline constexpr const char* kSignatureAmbiguous =
    QT_TRANSLATE_NOOP("cli", "署名に合うデバイスが複数あります。--device で選んでください: %1");
inline constexpr const char* kChose = QT_TRANSLATE_NOOP("cli", "署名から選んだデバイス: %1");
inline constexpr const char* kFileFuses =
    QT_TRANSLATE_NOOP("cli", "ファイルのロック/ヒューズ (未書き込み): %1");
inline constexpr const char* kFileFuseUnmatched =
    QT_TRANSLATE_NOOP("cli", "どの選択肢にも合わないファイルのロック/ヒューズ: %1");
inline constexpr const char* kFuseWriteNeedsElf =
    QT_TRANSLATE_NOOP("cli", "--write-fuses には ELF ファイルのロック/ヒューズが必要です: %1");
inline constexpr const char* kNoElfOutput = QT_TRANSLATE_NOOP("cli", "ELF ファイルには書き出せません: %1");
inline constexpr const char* kSaved = QT_TRANSLATE_NOOP("cli", "保存しました: %1");
inline constexpr const char* kDifference = QT_TRANSLATE_NOOP("cli", "相違");
inline constexpr const char* kDiagnosis = QT_TRANSLATE_NOOP("cli", "診断 (%1): %2");
inline constexpr const char* kFileValue = QT_TRANSLATE_NOOP("cli", "ファイル");
inline constexpr const char* kChipValue = QT_TRANSLATE_NOOP("cli", "チップ");
inline constexpr const char* kUpdateNoCancel =
    QT_TRANSLATE_NOOP("cli", "ファームウエア更新中は中止できません。ライターが使えなくなります。");
inline constexpr const char* kUpdateDone = QT_TRANSLATE_NOOP("cli", "ファームウエアを更新しました");
inline constexpr const char* kUpdateFailed = QT_TRANSLATE_NOOP("cli", "ファームウエアの更新に失敗しました");
inline constexpr const char* kWaitRemove = QT_TRANSLATE_NOOP("cli", "チップを外してください...");
inline constexpr const char* kWaitInsert = QT_TRANSLATE_NOOP("cli", "次のチップを入れてください...");
inline constexpr const char* kPasses = QT_TRANSLATE_NOOP("cli", "合格");
inline constexpr const char* kFailures = QT_TRANSLATE_NOOP("cli", "不合格");
inline constexpr const char* kCannotWrite = QT_TRANSLATE_NOOP("cli", "書き込めません: %1");
inline constexpr const char* kOutputLost =
    QT_TRANSLATE_NOOP("cli", "標準出力に書き込めませんでした。出力は失われています: %1");
inline constexpr const char* kStoreCannotOpen = QT_TRANSLATE_NOOP("cli", "チップ記録を開けません: %1");
inline constexpr const char* kPasswordNotStored = QT_TRANSLATE_NOOP(
    "cli", "パスワードを含む URL は保存しません。パスワードは ~/.pgpass (または PGPASSFILE、PGPASSWORD、PGSERVICE のサービスファイル) に置いてください: %1");
inline constexpr const char* kNoStore = QT_TRANSLATE_NOOP("cli", "チップ記録がありません: %1");
inline constexpr const char* kStoreLocked =
    QT_TRANSLATE_NOOP("cli", "チップ記録が別のプロセスにロックされたままです: %1");
inline constexpr const char* kStoreNewer =
    QT_TRANSLATE_NOOP("cli", "チップ記録は新しいバージョンのプログラムのものです: %1");
inline constexpr const char* kStoreFailed = QT_TRANSLATE_NOOP("cli", "チップ記録に書き込めません: %1");
inline constexpr const char* kStoreNoAnswer = QT_TRANSLATE_NOOP("cli", "チップ記録が%1秒以内に応答しませんでした");
inline constexpr const char* kStoreLoopEnded =
    QT_TRANSLATE_NOOP("cli", "チップ記録が使えないため、連続書き込みを終了します: %1");
inline constexpr const char* kBadPlace =
    QT_TRANSLATE_NOOP("cli", "場所は eeprom:ADDR か flash:ADDR で指定してください: %1");
inline constexpr const char* kBadSerialFormat =
    QT_TRANSLATE_NOOP("cli", "不明なシリアル番号の形式です (u8, le16, be16, le32, be32, decN): %1");
inline constexpr const char* kBadNumber = QT_TRANSLATE_NOOP("cli", "数値が正しくありません: %1");
inline constexpr const char* kNeedsSerialAt =
    QT_TRANSLATE_NOOP("cli", "--serial-at と --serial-format を指定してください: %1");
inline constexpr const char* kSerialSourceNoCounter =
    QT_TRANSLATE_NOOP("cli", "リストやプログラムのシリーズには --serial-start と --serial-step は使えません");
inline constexpr const char* kSerialOneSource =
    QT_TRANSLATE_NOOP("cli", "--serial-list と --serial-command は同時に使えません");
inline constexpr const char* kCommandNoFormat =
    QT_TRANSLATE_NOOP("cli", "--serial-command の値はそのまま書き込むため、--serial-format は使えません");
inline constexpr const char* kSerialValue = QT_TRANSLATE_NOOP("cli", "シリアル値");
inline constexpr const char* kListLine = QT_TRANSLATE_NOOP("cli", "リストの行");
inline constexpr const char* kGeneratorAsk =
    QT_TRANSLATE_NOOP("cli", "このセットアップはチップごとに次のプログラムを実行します: %1");
inline constexpr const char* kGeneratorQuestion = QT_TRANSLATE_NOOP("cli", "実行してよろしいですか？ [y/N] ");
inline constexpr const char* kGeneratorNotApproved =
    QT_TRANSLATE_NOOP("cli", "プログラムの実行が承認されていません。確認して --yes を付けてください: %1");
inline constexpr const char* kNotForCommand = QT_TRANSLATE_NOOP("cli", "このコマンドでは使えません: %1");
inline constexpr const char* kKeepOptionsExclusive =
    QT_TRANSLATE_NOOP("cli", "--serial-keep と --serial-keep-strict は一緒に使えません");
inline constexpr const char* kKeepNeedsCounter = QT_TRANSLATE_NOOP(
    "cli", "--serial-keep と --serial-reuse-failed は、番号を数えるシリーズにだけ使えます（リストやプログラムは不可）");
inline constexpr const char* kPlaceBeyond = QT_TRANSLATE_NOOP("cli", "デバイスのメモリーの外です: %1");
inline constexpr const char* kPlacesOverlap =
    QT_TRANSLATE_NOOP("cli", "シリアル番号と校正バイトの場所が重なっています");
inline constexpr const char* kNoCalibration =
    QT_TRANSLATE_NOOP("cli", "このデバイスには校正バイトがありません: %1");
inline constexpr const char* kSeriesUnknown =
    QT_TRANSLATE_NOOP("cli", "シリーズがありません。--serial-start で作成してください: %1");
inline constexpr const char* kSeriesContradicts =
    QT_TRANSLATE_NOOP("cli", "シリーズ %1 は別の開始値または増分で作成されています。次の番号: %2");
inline constexpr const char* kSeriesExhausted =
    QT_TRANSLATE_NOOP("cli", "シリーズの次の番号が形式に収まりません: %1");
inline constexpr const char* kSerialNumber = QT_TRANSLATE_NOOP("cli", "シリアル番号");
inline constexpr const char* kCalibrationCopied = QT_TRANSLATE_NOOP("cli", "校正バイト");
inline constexpr const char* kStampSkipped =
    QT_TRANSLATE_NOOP("cli", "チップごとに書き込む場所は比較しません: %1");
inline constexpr const char* kNotSetup = QT_TRANSLATE_NOOP("cli", "セットアップファイルではありません: %1");
inline constexpr const char* kSetupBadValue =
    QT_TRANSLATE_NOOP("cli", "セットアップファイルの値の型か範囲が正しくありません: %1 (%2)");
inline constexpr const char* kSetupNewer =
    QT_TRANSLATE_NOOP("cli", "新しいバージョンのプログラムのセットアップファイルです (format %1): %2");
inline constexpr const char* kSetupFileChanged = QT_TRANSLATE_NOOP(
    "cli", "セットアップの保存後に変更されたファイルです (--accept-changed-files でそのまま使えます): %1");
inline constexpr const char* kSetupChangeAccepted =
    QT_TRANSLATE_NOOP("cli", "変更されたファイルをそのまま使います: %1");
inline constexpr const char* kFuseNeedsDevice = QT_TRANSLATE_NOOP("cli", "--fuse には --device が必要です");

// history --stats: the options' refusals and the table's headings.
inline constexpr const char* kNeedsStats = QT_TRANSLATE_NOOP("cli", "history --stats でのみ使えます: %1");
inline constexpr const char* kBadTime = QT_TRANSLATE_NOOP("cli", "日時が正しくありません (ISO 8601): %1");
inline constexpr const char* kBadGrouping =
    QT_TRANSLATE_NOOP("cli", "集計の単位が正しくありません (day, port, bench, file): %1");
inline constexpr const char* kStatsDay = QT_TRANSLATE_NOOP("cli", "日付");
inline constexpr const char* kStatsPort = QT_TRANSLATE_NOOP("cli", "ポート");
inline constexpr const char* kStatsBench = QT_TRANSLATE_NOOP("cli", "ベンチ");
inline constexpr const char* kStatsFile = QT_TRANSLATE_NOOP("cli", "ファイル");
inline constexpr const char* kStatsAll = QT_TRANSLATE_NOOP("cli", "全体");
inline constexpr const char* kStatsTotal = QT_TRANSLATE_NOOP("cli", "合計");
inline constexpr const char* kStatsFirstPassYield = QT_TRANSLATE_NOOP("cli", "初回合格率");
inline constexpr const char* kStatsFailures = QT_TRANSLATE_NOOP("cli", "不合格の内訳");

}  // namespace zendra::cli::texts
