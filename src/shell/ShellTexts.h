#pragma once
// Every text of the main window and its settings panel, written once. Captions are kept literally,
// access-key marks and the "(%T)" of the buffer-clear item included.

#include <QString>

#include "link/LinkTexts.h"
#include "operations/OperationTexts.h"

namespace zendra::shell::texts {

// Frame.
inline const QString kSettingWindowTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "設定ウインドウ"));

// Button bar (Picture1).
inline const QString kOpen = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "開く(&O)"));
inline const QString kSave = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "保存(&S)"));
inline const QString kReload = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "再ロード(&L)"));
inline const QString kReloadTip = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "HEXファイルの再ロード"));
inline const QString kComSelect = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "通信(&C)"));
inline const QString kErase = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "イレース(&E)"));
inline const QString kVerify = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ﾍﾞﾘﾌｧｲ(&V)"));
inline const QString kRead = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "リード(&R)"));
inline const QString kProgram = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ﾌﾟﾛｸﾞﾗﾑ(&P)"));

// Device frame.
inline const QString kDeviceFrame = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイス選択"));
inline const QString kLabel3Initial = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "PGMﾒﾓﾘ   :--- word"));
inline const QString kLabel4Initial = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "EEPROMﾒﾓﾘ:--- byte"));
// %1 the selected device's size.
inline const QString kProgramSize = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ﾌﾟﾛｸﾞﾗﾑﾒﾓﾘ   :%1 word"));
inline const QString kEepromSize = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "EEPROMﾃﾞｰﾀﾒﾓﾘ:%1 byte"));

// Buffer-edit frame.
inline const QString kModifyFrame = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "PCバッファメモリ修正"));
inline const QString kLabel1 = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アドレス:        (Hex)"));
inline const QString kLabel2 = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デ ー タ:        (Hex)"));
inline const QString kAddressInitial = QStringLiteral("0");
inline const QString kDataInitial = QStringLiteral("FF");
inline const QString kOptionProgram = QStringLiteral("PROGRAM");
inline const QString kOptionEeprom = QStringLiteral("EEPROM");
inline const QString kCmdRead = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "PCﾊﾞｯﾌｧリード"));
inline const QString kCmdWrite = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "PCﾊﾞｯﾌｧライト"));
inline const QString kLabel5 =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ﾊﾞｯﾌｧ修正のみ。ﾃﾞﾊﾞｲｽには書込みません。"));

// Lock/fuse frame.
inline const QString kLockFuseFrame =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse ビット ＆ Calib.データ"));
inline const QString kFuseFrame = QStringLiteral("Fuse");
inline const QString kLockFrame = QStringLiteral("Lock");
inline const QString kLockLabel = QStringLiteral("Lock bit");
inline const QString kCalibFrame = QStringLiteral("Calib.Data");
inline const QString kCalibTip =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "キャリブレーションリードデータ　表示のみ"));
inline const QString kFuseRead = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock＆Fuseリード"));
inline const QString kFuseWrite = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock＆Fuseライト"));

// Status bar: start-up texts and tool tips of panels 1..7 (the sixth, the images' checksums, and the
// seventh, the next serial number, are ours).
inline constexpr int kStatusPanelCount = 7;
inline constexpr int kChecksumPanelNumber = 6;
inline constexpr int kSerialPanelNumber = 7;
inline const QString kPanelStartText[kStatusPanelCount] = {QString(), link::texts::kNoSignature,
                                                           QStringLiteral("Firmware Version"),
                                                           QStringLiteral("COM?"), QString(), QString(), QString()};
inline const QString kPanelTip[kStatusPanelCount] = {
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "メッセージ")),
    QStringLiteral("Device Signeture Vender : Famiry : Part Number"),
    QStringLiteral("Firmware Version"),
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "通信ポート")),
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "処理時間")),
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "使用部分の CRC-32 (プログラムメモリ / EEPROM)")),
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "次のプログラムで書き込むシリアル番号"))};
// Panel 6: the CRC-32 of the used part of the flash and EEPROM images (%1, %2: eight hex digits).
inline const QString kChecksumPanel = QStringLiteral("CRC %1/%2");
// The longest texts panel 1 shows after an operation; a frame at its default size makes room for them.
inline const QString* const kLongestResults[] = {&operations::texts::kReadCommandDone,
                                                 &operations::texts::kVerdictAllOkStatus};
// A click on a panel whose text starts so opens the port dialog.
inline const QString kPortPanelPrefix = QStringLiteral("COM");

// Results and notes of the main window's own commands.
inline const QString kBufferCleared =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "バッファーをクリアしました。"));
inline const QString kWaitingForOperation =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "処理の終了を待っています。"));
// The lock/fuse frame after a code file brought choices, until they are written or read (the file's name
// follows); and the notice for the file's bytes that match no choice (their names follow).
inline const QString kFileChoicesMark =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルの設定 (未書き込み): "));
inline const QString kFileChoicesUnmatched =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "どの選択肢にも合わないファイルのロック/ヒューズ: "));

// Message window: the cancel button of program, verify, read and erase, and the figures beside the bar
// (%1 the percentage; the remaining time in whole seconds, or minutes and seconds).
inline const QString kCancelCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "中止"));
inline const QString kProgressPercent = QStringLiteral("%1%");
inline const QString kRemainingSeconds = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "残り約 %1 秒"));
inline const QString kRemainingMinutes = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "残り約 %1 分 %2 秒"));

// Menus.
inline const QString kCloseCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "閉じる"));  // a dialog's close button
inline const QString kMenuFile = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイル(&F)"));
inline const QString kMenuFileOpen =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コード/データファイルを開く(&O)"));
inline const QString kMenuFileOpenCode = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コードファイルを開く"));
inline const QString kMenuFileOpenData = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "データファイルを開く"));
inline const QString kMenuFileSave = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "上書き保存(&S)"));
inline const QString kMenuFileSaveAs =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コード/データファイルを別名で保存(&A)"));
inline const QString kMenuFileSaveAsCode =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コードファイルを別名で保存"));
inline const QString kMenuFileSaveAsData =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "データファイルを別名で保存"));
inline const QString kMenuFileExit = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "終了(&X)"));
inline const QString kMenuOptions = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "オプション(&T)"));
inline const QString kMenuComPort = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "COMポート選択(&C)"));
inline const QString kMenuBufferClear = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "PCバッファのクリア(%T)"));
// The language item keeps "Language" in Japanese too, so it can be found from either; each choice is
// named in its own language.
inline const QString kMenuLanguage = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "言語(Language)"));
inline const QString kLanguageJapanese = QStringLiteral("日本語");
inline const QString kLanguageEnglish = QStringLiteral("English");
inline const QString kMenuWindow = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ウインドウ(&W)"));
inline const QString kMenuDeviceIndex =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイスインデックスウインドウを開く"));
inline const QString kMenuReArrange = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ウインドウの再整列"));
inline const QString kMenuOpenSetting = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "設定ウインドウを開く"));
inline const QString kMenuOpenProgram =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プログラムメモリウインドウを開く"));
inline const QString kMenuOpenEeprom =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "EEPROMデータメモリウインドウを開く"));
inline const QString kMenuCascade = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "重ねて表示(&C)"));
inline const QString kMenuTileHorizontal =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "上下に並べて表示(&H)"));
inline const QString kMenuTileVertical = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "左右に並べて表示(&V)"));
inline const QString kMenuArrangeIcons = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アイコンの整列(&A)"));
inline const QString kMenuHelp = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ヘルプ(&H)"));
inline const QString kMenuInsertPosition =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイスの挿入位置について(&8)"));
inline const QString kMenuFirmwareUpdate =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファームウエアのアップデート"));
inline const QString kMenuConnectionCheck = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "接続診断..."));
inline const QString kMenuHelpContents = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ヘルプ(&H)"));
inline const QString kMenuAbout = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "バージョン情報(&A)"));
inline const QString kMenuReload = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "【HEXファイルの再ロード】"));
// Items that carry the keyboard shortcuts of the reload and the writer commands (no access keys, so they
// take none from the menus' letters), and the recent files (%1 1..8, %2 the path).
inline const QString kMenuReloadItem = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "HEXファイルの再ロード"));
inline const QString kMenuProgram = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ﾌﾟﾛｸﾞﾗﾑ"));
inline const QString kMenuVerify = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ﾍﾞﾘﾌｧｲ"));
inline const QString kMenuRead = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "リード"));
inline const QString kMenuUndoLockFuse = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "元に戻す"));
// The Edit menu: the buffer edits taken back and done again.
inline const QString kMenuEdit = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "編集(&E)"));
inline const QString kMenuEditUndo = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "元に戻す(&U)"));
inline const QString kMenuEditRedo = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "やり直し(&R)"));
// The File menu's watch: program again each time the open files are rewritten.
inline const QString kMenuWatch = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "変更時に自動プログラム"));
inline const QString kWatchedFileGone = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "監視中のファイルがなくなりました: %1"));
inline const QString kWatchedFileBack = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "監視中のファイルが戻りました: %1"));
inline const QString kWatchReloadQuestion = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "ファイルが変更されました。バッファの修正は保存されていません。修正を破棄して読み直しますか？"));
// Asked on quitting while the images hold buffer edits no file has.
inline const QString kUnsavedQuitQuestion = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "バッファの修正が保存されていません。保存せずに終了しますか？"));

// The confirmation of a risky lock/fuse write; its buttons carry no access key.
inline const QString kConfirmLockFuseTitle =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse ライトの確認"));
inline const QString kConfirmLockFuseIntro =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "Lock/Fuse bit を次のように変更します。"));
inline const QString kConfirmField = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "項目"));
inline const QString kConfirmBefore = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "変更前"));
inline const QString kConfirmAfter = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "変更後"));
inline const QString kConfirmNote = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "注意"));
inline const QString kConfirmWrite = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ライト"));
inline const QString kConfirmCancel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "キャンセル"));
inline const QString kMenuRecent = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "最近使ったファイル(&R)"));
inline const QString kMenuRecentItem = QStringLiteral("&%1 %2");
inline const QString kMenuRecentNone = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "(なし)"));

// Bench setups: the job (files, device, lock/fuse choices, ports) as one file the command line runs too.
inline const QString kMenuOpenSetup = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セットアップを開く..."));
inline const QString kMenuSaveSetup = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セットアップを保存..."));
inline const QString kOpenSetupTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セットアップを開く"));
inline const QString kSaveSetupTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セットアップの保存"));
inline const QString kSetupFilter = QStringLiteral("Setup File (*.zendra);;All Files (*)");
inline const QString kSetupSuffix = QStringLiteral("zendra");
inline const QString kSetupNeedsCode =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コードファイルを開いてからセットアップを保存してください。"));
// %1 the setup file.
inline const QString kSetupUnreadable =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セットアップファイル %1 を読めません。"));
inline const QString kSetupNewer = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "セットアップファイル %1 は新しいバージョンのプログラムのものです。"));
// %1 the changed files, one a line.
inline const QString kSetupFilesChanged = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "セットアップの保存後に変更されたファイルがあります:\r\n%1\r\nこのまま開きますか？"));
// %1 the choices, comma-separated.
inline const QString kSetupBufferEdited = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "セットアップを開いた後にバッファが修正されています。セットアップなしで、バッファの内容をプログラムしますか？"));
inline const QString kSetupBadValue =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "セットアップファイルの値の型か範囲が正しくありません: %1 (%2)"));
// After a setup's device the catalogue does not hold: the nearest catalogue name.
inline const QString kDidYouMean = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "もしかして %1?"));
inline const QString kSetupChoiceUnknown =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイスにないセットアップの Lock/Fuse 設定: %1"));

// The operations log and the listings' buttons (the log, the verify list).
inline const QString kLogWindowTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "操作ログ"));
inline const QString kMenuOpenLog = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "操作ログウインドウを開く"));
inline const QString kSaveList = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "保存..."));
inline const QString kCopyList = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コピー"));
inline const QString kSaveVerifyListTitle =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベリファイ結果の保存"));
inline const QString kSaveLogTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "操作ログの保存"));
inline const QString kListFilter = QStringLiteral("Text File (*.txt);;All Files (*)");
inline const QString kListSuffix = QStringLiteral("txt");
inline const QString kVerifyListName = QStringLiteral("verify.txt");
inline const QString kLogName = QStringLiteral("zendra-log.txt");
// %1 the file, %2 the reason.
inline const QString kListSaveFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイル %1 を保存できませんでした: %2"));

// Port dialogs: what tells the adapters apart, and the stable link a COM entry can be tied to.
inline const QString kUsbIdPrefix = QStringLiteral("USB ");
inline const QString kSerialPrefix = QStringLiteral("S/N ");
inline const QString kTieToById = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "このアダプターに固定する"));
inline const QString kTieToByIdTip = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "/dev/serial/by-id のリンクを保存し、差し直しや他のアダプターの接続後も同じアダプターを使います。"));

// The one-copy lock could not be taken: %1 the lock file, %2 one of the reasons below.
inline const QString kLockFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "起動できません。ロックファイル %1 を作成できません: %2"));
inline const QString kLockNotAFile =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルではないもの (フォルダなど) が置かれています。"));
inline const QString kLockPermission =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アクセス権がありません。"));
inline const QString kLockUnreadable = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "読めないロックファイルがあります (他のユーザーのファイルなど)。"));
inline const QString kLockUnknown = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "原因不明のエラーです。"));

// The production menu: the production dialog (stamp, calibration copy, chip store) and the history window.
inline const QString kMenuProduction = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "生産(&M)"));
inline const QString kMenuProductionSetup = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "生産設定(&S)..."));
inline const QString kMenuHistory = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ記録(&H)"));
inline const QString kProductionTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "生産設定"));
inline const QString kStampGroup = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号を書き込む"));
inline const QString kCalibrationGroup = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "キャリブレーションバイトをコピーする"));
inline const QString kMemoryLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "メモリ:"));
inline const QString kAddressLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アドレス:"));
inline const QString kFormatLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "書式:"));
inline const QString kSeriesLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリーズ:"));
inline const QString kStartLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "開始番号:"));
inline const QString kStepLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "増分:"));
inline const QString kKeepLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "書き直すチップの番号:"));
// The choices of kKeepLabel, in the order of operations::SerialKeep.
inline const QString kKeepChoices[] = {
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "次の番号を付ける")),
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップの番号を保持する (なければ次の番号)")),
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップの番号を保持する (なければ書き込まない)"))};
inline const QString kReuseFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "書き込まれなかった番号を再発行する"));
inline const QString kSourceLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "値の出所:"));
inline const QString kSourceCounter = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "カウンター"));
inline const QString kSourceList = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "リストファイル"));
inline const QString kSourceCommand = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プログラム"));
inline const QString kListLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "リストファイル:"));
inline const QString kCommandLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プログラムと引数:"));
// Followed by the program and its words, before its first run on this bench.
inline const QString kGeneratorQuestion = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "シリアル番号のために、チップごとに次のプログラムを実行します。よろしいですか？\r\n%1"));
inline const QString kStoreLabel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ記録 (ファイルまたは postgresql://...):"));
inline const QString kStorePassword = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "パスワードを含む URL は保存しません。パスワードは ~/.pgpass (または PGPASSFILE、PGPASSWORD、PGSERVICE のサービスファイル) に置いてください: %1"));
inline const QString kStoreDefault = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "(空欄: ユーザーのデータフォルダの chips.sqlite)"));
inline const QString kCommandLineLabel =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "同じことをするコマンド (zendra-cli):"));
// Followed by what was typed.
inline const QString kBadAddress = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アドレスが正しくありません: %1"));
inline const QString kBadNumber = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "数値が正しくありません: %1"));
inline const QString kPlacesOverlap = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号とキャリブレーションバイトの位置が重なっています。"));
// Panel 7, shown while a stamp is set: the number the next stamped program run takes.
inline const QString kSerialPanel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "次のシリアル番号 %1"));
inline const QString kHistoryTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ記録"));
inline const QString kHistoryFilter = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "絞り込み:"));
inline const QString kHistoryColumns[] = {
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "時刻")),   QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ベンチ")),     QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポート")),
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイス")), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "コマンド")), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアル番号")),
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "判定")),   QStringLiteral(QT_TRANSLATE_NOOP("zendra", "キャリブレーション")), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイル"))};
// The device column of a locked chip's record, and of one this erase unlocked (%1: the device found).
inline const QString kHistoryLocked = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "(ロック)"));
inline const QString kHistoryWasLocked = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1 (ロックされていた)"));
// The serial column of a number the chip kept: %1 the number, %2 the record of the chip's first run.
inline const QString kHistoryKeptSerial = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1 (最初の記録 #%2)"));
inline const QString kHistoryUnreadable = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ記録を読めません: %1"));

// The history window's summary of the chosen series and range, and its chart.
inline const QString kYieldAllSeries = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "(すべて)"));
inline const QString kYieldRange = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "期間:"));
inline const QString kYieldSummary =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップ %1　合格 %2　不合格 %3　初回合格率 %4"));
inline const QString kYieldFailures = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "不合格の内訳: %1"));
inline const QString kYieldPassSeries = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "合格"));
inline const QString kYieldFailSeries = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "不合格"));
inline const QString kYieldLine = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "初回合格率"));

}  // namespace zendra::shell::texts
