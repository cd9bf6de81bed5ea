#pragma once
// Every text the writer link shows: status-bar lines, message-window notices and the firmware advisory.
// Each text is written here once; the command tables and routines refer to these names.

#include <QString>

namespace zendra::link::texts {

// --- Programming mode and identification ---
inline const QString kFailEnterAvr = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : AVR Extend command A");
inline const QString kFailEnterProgramming = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Enter programming Mode P");
// The received byte follows as a character.
inline const QString kWrongEnterProgramming = QStringLiteral("返答ﾃﾞｰﾀﾐｽ : Enter programming Mode P ");
inline const QString kFailLeaveProgramming = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Leave programming Mode L");
inline const QString kFailReadSignature = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Signature bytes s");
inline const QString kFailChipErase = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Chip Erase e");
inline const QString kSendingExitAvr = QStringLiteral("ｺﾏﾝﾄﾞ送信 : Avr Extend command A");
// The device code follows in upper-case hexadecimal without leading zeros.
inline const QString kSendingSelectDevice = QStringLiteral("ｺﾏﾝﾄﾞ送信 : Select device command T , 0x");
inline const QString kFailSelectDevice = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T");
inline const QString kRejectedSelectDevice = QStringLiteral(
    "ｺﾐﾆｭｹｰｼｮﾝ失敗 : Select device command T \r\nプログラマは、選択したマイコンを認識できませんでした。");
inline const QString kNoSignature = QStringLiteral("--:--:--");
inline const QString kChipProtectedOrNotSeated = QStringLiteral(
    "デバイスがソケットに正しくセットされていないか、プロテクトされています。"
    "プロテクトのときは、チップイレース([イレース]ボタン)を押してください。");
inline const QString kChipNotSeated = QStringLiteral("デバイスがソケットに正しくセットされていません。");
inline const QString kDeviceMismatch = QStringLiteral(
    "デバイス選択と、ソケット上のデバイスが一致しません。\r\n"
    "購入直後のデバイスを使用する場合は、チップイレース(<イレース>ボタン)を実行してください。");
// The line after the mismatch: the model the signature names, or the signature's bytes as status panel 2
// shows them.
inline const QString kSocketDeviceIs = QStringLiteral("ソケット上のデバイス: ");
inline const QString kUnknownSignature = QStringLiteral("不明な署名: ");

// --- Memory access ---
inline const QString kFailSelectAddress = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Address Select A");
inline const QString kFailWriteLow = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Low byte Write Program Memory c");
inline const QString kWrongWriteLow = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Low byte Write Data Memory c");
inline const QString kFailWriteHigh = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Hi byte Write Program Memory C");
inline const QString kWrongWriteHigh = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Hi byte Write Data Memory C");
inline const QString kFailWriteTiny26 = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Program Memory Tiny26 W");
inline const QString kWrongWriteTiny26 = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Data Memory Tiny26");
inline const QString kFailReadProgram = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Program Memory R");
inline const QString kFailReadData = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Data Memory d");
inline const QString kFailWriteData = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Data Memory D");

// --- Fuse, lock and calibration ---
inline const QString kFailWriteFuse = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit f");
inline const QString kFailWriteFuseLow = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse bit u");
inline const QString kFailWriteFuseHigh = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Fuse Hi bit ;");
inline const QString kFailWriteLock = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit l");
inline const QString kFailWriteLockTiny26 = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit Tiny26 ;");
inline const QString kWrongWriteLockTiny26 = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Write Lock bit Tiny26");
inline const QString kFailReadLockFuse = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Lock & Fuse bit F");
inline const QString kFailReadFuse = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Fuse bit r");
inline const QString kFailReadFuseHigh = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Fuse Hi bit :");
inline const QString kFailReadCalibration = QStringLiteral("ｺﾐﾆｭｹｰｼｮﾝ失敗 : Read Calibration Byte o");

// --- Writer detection and communication check ---
inline const QString kCommunicating = QStringLiteral("ライタと通信中！");
inline const QString kWriterOk = QStringLiteral("ＺｅｎｄｒａＯＫ ！！");
inline const QString kPortPanelPrefix = QStringLiteral("COM");
inline const QString kNoCommunicationNotice = QStringLiteral(
    "ライタと通信ができませんでした。\r\nPCとライタの接続を確認後、メニューバーの\r\n"
    "[通信チェック] [COMポート選択]を実行して下さい。\r\n");
inline const QString kNoCommunicationStatus =
    QStringLiteral("ライタと通信ができませんでした。(レジストリリード)");
inline const QString kWriterNotFound =
    QStringLiteral("ライターを検出できませんでした。使用可能な通信ポートを設定してください。");
// "ライターを COM" + port number + "に検出しました。"
inline const QString kWriterFoundBefore = QStringLiteral("ライターを COM");
inline const QString kWriterFoundAfter = QStringLiteral("に検出しました。");
// "ライターを " + the port as the command line named it + "に検出しました。"
inline const QString kWriterFoundOn = QStringLiteral("ライターを ");
inline const QString kFirmwareRefused = QStringLiteral(
    "ファームウエアバージョン６．３０以降にアップデートしてください。\r\nこのソフトは使用できません。");
inline const QString kVersionUnreadable = QStringLiteral("ファームウエアバージョンを読み出せませんでした。");
inline const QString kCommunicationError = QStringLiteral("通信エラーが発生しました。");

// The firmware advisory, line by line; the support page and the versions are inserted by the routine.
inline const QString kAdvisoryOld =
    QStringLiteral("ファームウエアバージョンが古いのでアップデートを行なってください。　　　　");
inline const QString kAdvisoryBlank = QStringLiteral("　");
inline const QString kAdvisoryCdRom =
    QStringLiteral("新しいファームウエアは、ご購入されたキットに添付されていたＣＤ－ＲＯＭ内、　　　　");
inline const QString kAdvisoryObtainBefore = QStringLiteral("または、");
inline const QString kAdvisoryObtainAfter = QStringLiteral("より入手できます。　　　");
inline const QString kAdvisoryHowToBefore = QStringLiteral("アップデート方法は、");
inline const QString kAdvisoryHowToAfter = QStringLiteral("をご覧ください。　　");
inline const QString kAdvisoryCurrent = QStringLiteral("現在のファームウエアバージョン　 ： KX-WRT540 V");
inline const QString kAdvisoryRecommended = QStringLiteral("推奨するファームウエアバージョン ： KX-WRT540 V");
inline const QString kAdvisoryRecommendedVersion = QStringLiteral("6.35");
inline const QString kAdvisoryOrLater = QStringLiteral(" 、または、それ以降。　");
inline const QString kAdvisoryWhereShown =
    QStringLiteral("（現在使用中のファームウエアバージョンは、メイン画面の右下に表示されます。）");

// An operation stopped by the user between two exchanges.
inline const QString kCancelled = QStringLiteral("操作を中止しました。");

// --- Why a port did not open (after the system's own words) ---
inline const QString kPortSystemReason = QStringLiteral("システムの理由: %1");
inline const QString kPortNoSuchDevice = QStringLiteral("そのデバイスはありません。接続と設定したパスを確かめてください。");
inline const QString kPortNoPermission = QStringLiteral(
    "このポートを開く権限がありません。シリアルポートは dialout グループのユーザーが使えます。"
    "sudo usermod -aG dialout $USER で参加し、ログインし直してください。");
inline const QString kPortInUse = QStringLiteral("このポートは別のプログラムが使用中です。そのプログラムを終了してください。");

// --- Port map ---
inline const QString kPortNotConnected = QStringLiteral("未接続");

// A USB serial adapter that holds every reply back: four lines, the port's path, the udev rule and the
// command at the ends, where they stay as they are in either language.
inline const QString kSlowAdapterPort =
    QStringLiteral("USB シリアル変換器の応答待ち時間 (latency_timer) が長すぎます: ");
inline const QString kSlowAdapterCost = QStringLiteral(
    "現在 %1 ms です。ライターの返事のたびにこの時間を待つため、書き込みと照合が大幅に遅くなります"
    "（AT90S8515 全体で約 10 秒のところが数分）。");
inline const QString kSlowAdapterRule =
    QStringLiteral("接続のたびに 1 ms にする udev 規則（zendra パッケージに含まれます）: ");
inline const QString kSlowAdapterCommand =
    QStringLiteral("規則を入れた後、いま接続している変換器には次のコマンドで適用されます: ");

// The row of both port dialogs that shows where a "COMn" entry leads and points it elsewhere.
inline const QString kPortDeviceCaption = QStringLiteral("接続先: ");
// A USB serial adapter's latency timer beside its other details.
inline const QString kLatencyTimerCaption = QStringLiteral("応答待ち時間 (latency_timer) %1 ms");
inline const QString kAssignPortCaption = QStringLiteral("割り当て");
inline const QString kAssignPortTip = QStringLiteral(
    "選んだCOM番号に、このデバイス（検出されたポート、または入力したパス）を割り当てます。"
    "空にすると割り当てを解除します。");

}  // namespace zendra::link::texts
