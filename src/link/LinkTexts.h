#pragma once
// Every text the writer link shows: status-bar lines, message-window notices and the firmware advisory.
// Each text is written here once; the command tables and routines refer to these names.

#include <QString>

namespace zendra::link::texts {

// --- Programming mode and identification ---
inline const QString kFailEnterAvr =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : AVR Extend command A"));
inline const QString kFailEnterProgramming =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Enter programming Mode P"));
// The received byte follows as a character.
inline const QString kWrongEnterProgramming =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "返答ﾃﾞｰﾀﾐｽ : Enter programming Mode P "));
inline const QString kFailLeaveProgramming =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Leave programming Mode L"));
inline const QString kFailReadSignature =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Signature bytes s"));
inline const QString kFailChipErase =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Chip Erase e"));
inline const QString kSendingExitAvr =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾏﾝﾄﾞ送信 : Avr Extend command A"));
// %1 the device code in upper-case hexadecimal without leading zeros.
inline const QString kSendingSelectDevice =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾏﾝﾄﾞ送信 : Select device command T , 0x%1"));
inline const QString kFailSelectDevice =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T"));
inline const QString kRejectedSelectDevice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T \r\nプログラマは、選択したマイコンを認識できませんでした。"));
inline const QString kNoSignature = QStringLiteral("--:--:--");
inline const QString kChipProtectedOrNotSeated = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra",
                      "デバイスがソケットに正しくセットされていないか、プロテクトされています。"
                      "プロテクトのときは、チップイレース([イレース]ボタン)を押してください。"));
inline const QString kChipNotSeated =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイスがソケットに正しくセットされていません。"));
inline const QString kDeviceMismatch = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "デバイス選択と、ソケット上のデバイスが一致しません。\r\n"
    "購入直後のデバイスを使用する場合は、チップイレース(<イレース>ボタン)を実行してください。"));
// The line after the mismatch: the model the signature names, or the signature's bytes as status panel 2
// shows them.
inline const QString kSocketDeviceIs = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ソケット上のデバイス: "));
inline const QString kUnknownSignature = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "不明な署名: "));

// --- Memory access ---
inline const QString kFailSelectAddress =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Address Select A"));
inline const QString kFailWriteLow =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Low byte Write Program Memory c"));
inline const QString kWrongWriteLow =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Low byte Write Data Memory c"));
inline const QString kFailWriteHigh =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Hi byte Write Program Memory C"));
inline const QString kWrongWriteHigh =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Hi byte Write Data Memory C"));
inline const QString kFailWriteTiny26 =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Program Memory Tiny26 W"));
inline const QString kWrongWriteTiny26 =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Data Memory Tiny26"));
inline const QString kFailReadProgram =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Program Memory R"));
inline const QString kFailReadData =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Data Memory d"));
inline const QString kFailWriteData =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Data Memory D"));

// --- Fuse, lock and calibration ---
inline const QString kFailWriteFuse =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit f"));
inline const QString kFailWriteFuseLow =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit u"));
inline const QString kFailWriteFuseHigh =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse Hi bit ;"));
inline const QString kFailWriteLock =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l"));
inline const QString kFailWriteLockTiny26 =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit Tiny26 ;"));
inline const QString kWrongWriteLockTiny26 =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit Tiny26"));
inline const QString kFailReadLockFuse =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Lock & Fuse bit F"));
inline const QString kFailReadFuse =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Fuse bit r"));
inline const QString kFailReadFuseHigh =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Fuse Hi bit :"));
inline const QString kFailReadCalibration =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Calibration Byte o"));

// --- Writer detection and communication check ---
inline const QString kCommunicating = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ライタと通信中！"));
inline const QString kWriterOk = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ＺｅｎｄｒａＯＫ ！！"));
inline const QString kPortPanelPrefix = QStringLiteral("COM");
inline const QString kNoCommunicationNotice = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra",
                      "ライタと通信ができませんでした。\r\nPCとライタの接続を確認後、メニューバーの\r\n"
                      "[通信チェック] [COMポート選択]を実行して下さい。\r\n"));
inline const QString kNoCommunicationStatus =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ライタと通信ができませんでした。(レジストリリード)"));
inline const QString kWriterNotFound = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "ライターを検出できませんでした。使用可能な通信ポートを設定してください。"));
// %1 the port's number.
inline const QString kWriterFoundOnCom =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ライターを COM%1に検出しました。"));
// %1 the port as the command line named it.
inline const QString kWriterFoundOn =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ライターを %1に検出しました。"));
inline const QString kFirmwareRefused = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "ファームウエアバージョン６．３０以降にアップデートしてください。\r\nこのソフトは使用できません。"));
inline const QString kVersionUnreadable =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファームウエアバージョンを読み出せませんでした。"));
inline const QString kCommunicationError =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "通信エラーが発生しました。"));

// The firmware advisory, line by line; %1 the support page, or the version the writer has or should have.
inline const QString kAdvisoryOld = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ファームウエアバージョンが古いのでアップデートを行なってください。　　　　"));
inline const QString kAdvisoryBlank = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "　"));
inline const QString kAdvisoryCdRom = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "新しいファームウエアは、ご購入されたキットに添付されていたＣＤ－ＲＯＭ内、　　　　"));
inline const QString kAdvisoryObtain =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "または、%1より入手できます。　　　"));
inline const QString kAdvisoryHowTo =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アップデート方法は、%1をご覧ください。　　"));
inline const QString kAdvisoryCurrent =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "現在のファームウエアバージョン　 ： KX-WRT540 V%1 "));
inline const QString kAdvisoryRecommended = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "推奨するファームウエアバージョン ： KX-WRT540 V%1 、または、それ以降。　"));
inline const QString kAdvisoryRecommendedVersion = QStringLiteral("6.35");
inline const QString kAdvisoryWhereShown = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "（現在使用中のファームウエアバージョンは、メイン画面の右下に表示されます。）"));

// An operation stopped by the user between two exchanges.
inline const QString kCancelled = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "操作を中止しました。"));

// --- Why a port did not open (after the system's own words) ---
inline const QString kPortSystemReason = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "システムの理由: %1"));
inline const QString kPortNoSuchDevice = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "そのデバイスはありません。接続と設定したパスを確かめてください。"));
inline const QString kPortNoPermission = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "このポートを開く権限がありません。シリアルポートは dialout グループのユーザーが使えます。"
    "sudo usermod -aG dialout $USER で参加し、ログインし直してください。"));
inline const QString kPortInUse = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "このポートは別のプログラムが使用中です。そのプログラムを終了してください。"));

// --- Port map ---
inline const QString kPortNotConnected = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "未接続"));

// A USB serial adapter that holds every reply back: four lines, the port's path, the udev rule and the
// command at the ends, where they stay as they are in either language.
inline const QString kSlowAdapterPort = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "USB シリアル変換器の応答待ち時間 (latency_timer) が長すぎます: "));
inline const QString kSlowAdapterCost = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra",
    "現在 %1 ms です。ライターの返事のたびにこの時間を待つため、書き込みと照合が大幅に遅くなります"
    "（AT90S8515 全体で約 10 秒のところが数分）。"));
inline const QString kSlowAdapterRule = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "接続のたびに 1 ms にする udev 規則（zendra パッケージに含まれます）: "));
inline const QString kSlowAdapterCommand = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra", "規則を入れた後、いま接続している変換器には次のコマンドで適用されます: "));

// The row of both port dialogs that shows where a "COMn" entry leads and points it elsewhere.
inline const QString kPortDeviceCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "接続先: "));
// A USB serial adapter's latency timer beside its other details.
inline const QString kLatencyTimerCaption =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "応答待ち時間 (latency_timer) %1 ms"));
inline const QString kAssignPortCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "割り当て"));
inline const QString kAssignPortTip = QStringLiteral(
    QT_TRANSLATE_NOOP("zendra",
                      "選んだCOM番号に、このデバイス（検出されたポート、または入力したパス）を割り当てます。"
                      "空にすると割り当てを解除します。"));

}  // namespace zendra::link::texts
