#pragma once
// Every text of the main window and its settings panel, written once. Captions are kept literally,
// access-key marks and the "(%T)" of the buffer-clear item included.

#include <QString>

#include "link/LinkTexts.h"
#include "operations/OperationTexts.h"

namespace zendra::shell::texts {

// Frame.
inline const QString kSettingWindowTitle = QStringLiteral("設定ウインドウ");

// Button bar (Picture1).
inline const QString kOpen = QStringLiteral("開く(&O)");
inline const QString kSave = QStringLiteral("保存(&S)");
inline const QString kReload = QStringLiteral("再ロード(&L)");
inline const QString kReloadTip = QStringLiteral("HEXファイルの再ロード");
inline const QString kComSelect = QStringLiteral("通信(&C)");
inline const QString kErase = QStringLiteral("イレース(&E)");
inline const QString kVerify = QStringLiteral("ﾍﾞﾘﾌｧｲ(&V)");
inline const QString kRead = QStringLiteral("リード(&R)");
inline const QString kProgram = QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ(&P)");

// Device frame.
inline const QString kDeviceFrame = QStringLiteral("デバイス選択");
inline const QString kLabel3Initial = QStringLiteral("PGMﾒﾓﾘ   :--- word");
inline const QString kLabel4Initial = QStringLiteral("EEPROMﾒﾓﾘ:--- byte");
inline const QString kProgramSizePrefix = QStringLiteral("ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :");
inline const QString kProgramSizeSuffix = QStringLiteral(" word");
inline const QString kEepromSizePrefix = QStringLiteral("EEPROMﾃﾞｰﾀﾒﾓﾘ:");
inline const QString kEepromSizeSuffix = QStringLiteral(" byte");

// Buffer-edit frame.
inline const QString kModifyFrame = QStringLiteral("PCバッファメモリ修正");
inline const QString kLabel1 = QStringLiteral("アドレス:        (Hex)");
inline const QString kLabel2 = QStringLiteral("デ ー タ:        (Hex)");
inline const QString kAddressInitial = QStringLiteral("0");
inline const QString kDataInitial = QStringLiteral("FF");
inline const QString kOptionProgram = QStringLiteral("PROGRAM");
inline const QString kOptionEeprom = QStringLiteral("EEPROM");
inline const QString kCmdRead = QStringLiteral("PCﾊﾞｯﾌｧリード");
inline const QString kCmdWrite = QStringLiteral("PCﾊﾞｯﾌｧライト");
inline const QString kLabel5 = QStringLiteral("ﾊﾞｯﾌｧ修正のみ。ﾃﾞﾊﾞｲｽには書込みません。");

// Lock/fuse frame.
inline const QString kLockFuseFrame = QStringLiteral("Lock/Fuse ビット ＆ Calib.データ");
inline const QString kFuseFrame = QStringLiteral("Fuse");
inline const QString kLockFrame = QStringLiteral("Lock");
inline const QString kLockLabel = QStringLiteral("Lock bit");
inline const QString kCalibFrame = QStringLiteral("Calib.Data");
inline const QString kCalibTip = QStringLiteral("キャリブレーションリードデータ　表示のみ");
inline const QString kFuseRead = QStringLiteral("Lock＆Fuseリード");
inline const QString kFuseWrite = QStringLiteral("Lock＆Fuseライト");

// Status bar: start-up texts and tool tips of panels 1..7 (the sixth, the images' checksums, and the
// seventh, the next serial number, are ours).
inline constexpr int kStatusPanelCount = 7;
inline constexpr int kChecksumPanelNumber = 6;
inline constexpr int kSerialPanelNumber = 7;
inline const QString kPanelStartText[kStatusPanelCount] = {QString(), link::texts::kNoSignature,
                                                           QStringLiteral("Firmware Version"),
                                                           QStringLiteral("COM?"), QString(), QString(), QString()};
inline const QString kPanelTip[kStatusPanelCount] = {
    QStringLiteral("メッセージ"), QStringLiteral("Device Signeture Vender : Famiry : Part Number"),
    QStringLiteral("Firmware Version"), QStringLiteral("通信ポート"), QStringLiteral("処理時間"),
    QStringLiteral("使用部分の CRC-32 (プログラムメモリ / EEPROM)"),
    QStringLiteral("次のプログラムで書き込むシリアル番号")};
// Panel 6: the CRC-32 of the used part of the flash and EEPROM images (%1, %2: eight hex digits).
inline const QString kChecksumPanel = QStringLiteral("CRC %1/%2");
// The longest texts panel 1 shows after an operation; a frame at its default size makes room for them.
inline const QString* const kLongestResults[] = {&operations::texts::kReadCommandDone,
                                                 &operations::texts::kVerdictAllOkStatus};
// A click on a panel whose text starts so opens the port dialog.
inline const QString kPortPanelPrefix = QStringLiteral("COM");

// Results and notes of the main window's own commands.
inline const QString kBufferCleared = QStringLiteral("バッファーをクリアしました。");
inline const QString kWaitingForOperation = QStringLiteral("処理の終了を待っています。");
// The lock/fuse frame after a code file brought choices, until they are written or read (the file's name
// follows); and the notice for the file's bytes that match no choice (their names follow).
inline const QString kFileChoicesMark = QStringLiteral("ファイルの設定 (未書き込み): ");
inline const QString kFileChoicesUnmatched = QStringLiteral("どの選択肢にも合わないファイルのロック/ヒューズ: ");

// Message window: the cancel button of program, verify, read and erase, and the figures beside the bar
// (%1 the percentage; the remaining time in whole seconds, or minutes and seconds).
inline const QString kCancelCaption = QStringLiteral("中止");
inline const QString kProgressPercent = QStringLiteral("%1%");
inline const QString kRemainingSeconds = QStringLiteral("残り約 %1 秒");
inline const QString kRemainingMinutes = QStringLiteral("残り約 %1 分 %2 秒");

// Menus.
inline const QString kMenuFile = QStringLiteral("ファイル(&F)");
inline const QString kMenuFileOpen = QStringLiteral("コード/データファイルを開く(&O)");
inline const QString kMenuFileOpenCode = QStringLiteral("コードファイルを開く");
inline const QString kMenuFileOpenData = QStringLiteral("データファイルを開く");
inline const QString kMenuFileSave = QStringLiteral("上書き保存(&S)");
inline const QString kMenuFileSaveAs = QStringLiteral("コード/データファイルを別名で保存(&A)");
inline const QString kMenuFileSaveAsCode = QStringLiteral("コードファイルを別名で保存");
inline const QString kMenuFileSaveAsData = QStringLiteral("データファイルを別名で保存");
inline const QString kMenuFileExit = QStringLiteral("終了(&X)");
inline const QString kMenuOptions = QStringLiteral("オプション(&T)");
inline const QString kMenuComPort = QStringLiteral("COMポート選択(&C)");
inline const QString kMenuBufferClear = QStringLiteral("PCバッファのクリア(%T)");
// The language item keeps "Language" in Japanese too, so it can be found from either; each choice is
// named in its own language.
inline const QString kMenuLanguage = QStringLiteral("言語(Language)");
inline const QString kLanguageJapanese = QStringLiteral("日本語");
inline const QString kLanguageEnglish = QStringLiteral("English");
inline const QString kMenuWindow = QStringLiteral("ウインドウ(&W)");
inline const QString kMenuDeviceIndex = QStringLiteral("デバイスインデックスウインドウを開く");
inline const QString kMenuReArrange = QStringLiteral("ウインドウの再整列");
inline const QString kMenuOpenSetting = QStringLiteral("設定ウインドウを開く");
inline const QString kMenuOpenProgram = QStringLiteral("プログラムメモリウインドウを開く");
inline const QString kMenuOpenEeprom = QStringLiteral("EEPROMデータメモリウインドウを開く");
inline const QString kMenuCascade = QStringLiteral("重ねて表示(&C)");
inline const QString kMenuTileHorizontal = QStringLiteral("上下に並べて表示(&H)");
inline const QString kMenuTileVertical = QStringLiteral("左右に並べて表示(&V)");
inline const QString kMenuArrangeIcons = QStringLiteral("アイコンの整列(&A)");
inline const QString kMenuHelp = QStringLiteral("ヘルプ(&H)");
inline const QString kMenuInsertPosition = QStringLiteral("デバイスの挿入位置について(&8)");
inline const QString kMenuFirmwareUpdate = QStringLiteral("ファームウエアのアップデート");
inline const QString kMenuHelpContents = QStringLiteral("ヘルプ(&H)");
inline const QString kMenuAbout = QStringLiteral("バージョン情報(&A)");
inline const QString kMenuReload = QStringLiteral("【HEXファイルの再ロード】");
// Items that carry the keyboard shortcuts of the reload and the writer commands (no access keys, so they
// take none from the menus' letters), and the recent files (%1 1..8, %2 the path).
inline const QString kMenuReloadItem = QStringLiteral("HEXファイルの再ロード");
inline const QString kMenuProgram = QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ");
inline const QString kMenuVerify = QStringLiteral("ﾍﾞﾘﾌｧｲ");
inline const QString kMenuRead = QStringLiteral("リード");
inline const QString kMenuUndoLockFuse = QStringLiteral("元に戻す");
// The Edit menu: the buffer edits taken back and done again.
inline const QString kMenuEdit = QStringLiteral("編集(&E)");
inline const QString kMenuEditUndo = QStringLiteral("元に戻す(&U)");
inline const QString kMenuEditRedo = QStringLiteral("やり直し(&R)");
// The File menu's watch: program again each time the open files are rewritten.
inline const QString kMenuWatch = QStringLiteral("変更時に自動プログラム");
inline const QString kWatchReloadQuestion =
    QStringLiteral("ファイルが変更されました。バッファの修正は保存されていません。修正を破棄して読み直しますか？");
// Asked on quitting while the images hold buffer edits no file has.
inline const QString kUnsavedQuitQuestion =
    QStringLiteral("バッファの修正が保存されていません。保存せずに終了しますか？");

// The confirmation of a risky lock/fuse write; its buttons carry no access key.
inline const QString kConfirmLockFuseTitle = QStringLiteral("Lock/Fuse ライトの確認");
inline const QString kConfirmLockFuseIntro = QStringLiteral("Lock/Fuse bit を次のように変更します。");
inline const QString kConfirmField = QStringLiteral("項目");
inline const QString kConfirmBefore = QStringLiteral("変更前");
inline const QString kConfirmAfter = QStringLiteral("変更後");
inline const QString kConfirmNote = QStringLiteral("注意");
inline const QString kConfirmWrite = QStringLiteral("ライト");
inline const QString kConfirmCancel = QStringLiteral("キャンセル");
inline const QString kMenuRecent = QStringLiteral("最近使ったファイル(&R)");
inline const QString kMenuRecentItem = QStringLiteral("&%1 %2");
inline const QString kMenuRecentNone = QStringLiteral("(なし)");

// The operations log and the listings' buttons (the log, the verify list).
inline const QString kLogWindowTitle = QStringLiteral("操作ログ");
inline const QString kMenuOpenLog = QStringLiteral("操作ログウインドウを開く");
inline const QString kSaveList = QStringLiteral("保存...");
inline const QString kCopyList = QStringLiteral("コピー");
inline const QString kSaveVerifyListTitle = QStringLiteral("ベリファイ結果の保存");
inline const QString kSaveLogTitle = QStringLiteral("操作ログの保存");
inline const QString kListFilter = QStringLiteral("Text File (*.txt);;All Files (*)");
inline const QString kListSuffix = QStringLiteral("txt");
inline const QString kVerifyListName = QStringLiteral("verify.txt");
inline const QString kLogName = QStringLiteral("zendra-log.txt");
// %1 the file, %2 the reason.
inline const QString kListSaveFailed = QStringLiteral("ファイル %1 を保存できませんでした: %2");

// Port dialogs: what tells the adapters apart, and the stable link a COM entry can be tied to.
inline const QString kUsbIdPrefix = QStringLiteral("USB ");
inline const QString kSerialPrefix = QStringLiteral("S/N ");
inline const QString kTieToById = QStringLiteral("このアダプターに固定する");
inline const QString kTieToByIdTip =
    QStringLiteral("/dev/serial/by-id のリンクを保存し、差し直しや他のアダプターの接続後も同じアダプターを使います。");

// The one-copy lock could not be taken: %1 the lock file, %2 one of the reasons below.
inline const QString kLockFailed = QStringLiteral("起動できません。ロックファイル %1 を作成できません: %2");
inline const QString kLockNotAFile = QStringLiteral("ファイルではないもの (フォルダなど) が置かれています。");
inline const QString kLockPermission = QStringLiteral("アクセス権がありません。");
inline const QString kLockUnreadable = QStringLiteral("読めないロックファイルがあります (他のユーザーのファイルなど)。");
inline const QString kLockUnknown = QStringLiteral("原因不明のエラーです。");

// The production menu: the production dialog (stamp, calibration copy, chip store) and the history window.
inline const QString kMenuProduction = QStringLiteral("生産(&M)");
inline const QString kMenuProductionSetup = QStringLiteral("生産設定(&S)...");
inline const QString kMenuHistory = QStringLiteral("チップ記録(&H)");
inline const QString kProductionTitle = QStringLiteral("生産設定");
inline const QString kStampGroup = QStringLiteral("シリアル番号を書き込む");
inline const QString kCalibrationGroup = QStringLiteral("キャリブレーションバイトをコピーする");
inline const QString kMemoryLabel = QStringLiteral("メモリ:");
inline const QString kAddressLabel = QStringLiteral("アドレス:");
inline const QString kFormatLabel = QStringLiteral("書式:");
inline const QString kSeriesLabel = QStringLiteral("シリーズ:");
inline const QString kStartLabel = QStringLiteral("開始番号:");
inline const QString kStepLabel = QStringLiteral("増分:");
inline const QString kStoreLabel = QStringLiteral("チップ記録 (ファイルまたは postgresql://...):");
inline const QString kStoreDefault = QStringLiteral("(空欄: ユーザーのデータフォルダの chips.sqlite)");
// Followed by what was typed.
inline const QString kBadAddress = QStringLiteral("アドレスが正しくありません: ");
inline const QString kBadNumber = QStringLiteral("数値が正しくありません: ");
inline const QString kPlacesOverlap = QStringLiteral("シリアル番号とキャリブレーションバイトの位置が重なっています。");
// Panel 7, shown while a stamp is set: the number the next stamped program run takes.
inline const QString kSerialPanel = QStringLiteral("次のシリアル番号 %1");
inline const QString kHistoryTitle = QStringLiteral("チップ記録");
inline const QString kHistoryFilter = QStringLiteral("絞り込み:");
inline const QString kHistoryColumns[] = {
    QStringLiteral("時刻"),   QStringLiteral("ベンチ"),     QStringLiteral("ポート"),
    QStringLiteral("デバイス"), QStringLiteral("コマンド"), QStringLiteral("シリアル番号"),
    QStringLiteral("判定"),   QStringLiteral("キャリブレーション"), QStringLiteral("ファイル")};
inline const QString kHistoryUnreadable = QStringLiteral("チップ記録を読めません: ");

}  // namespace zendra::shell::texts
