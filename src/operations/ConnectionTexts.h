#pragma once
// The texts of the connection check and of the verify diagnosis, written once (%1, %2: values).

#include <QString>

namespace zendra::operations::texts {

// Verify diagnosis
inline const QString kDiagnosisLocked = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "チップはロックされています (読み出し禁止)。チップ消去でロックを解除してから書き込み直してください。"));
inline const QString kDiagnosisNotProgrammed = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "相違するセルはすべて消去状態 (FF) のままです: 書き込みがチップに届いていません。"
              "ソケットへの差し込み、VCC SEL ジャンパー、電源を確かめてください。"));
inline const QString kDiagnosisAddressLine = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "相違はアドレス線 A%1 の不良で説明できます (そのビットを反転した番地の値が読めます)。"
              "ソケットの接触とチップの向きを確かめてください。"));
inline const QString kDiagnosisDataLine = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ファイルでビット %1 が 1 のセルはすべてそのビットが誤って読め、ほかのビットは一致します: "
              "データ線の不良です。ソケットの接触を確かめてください。"));
inline const QString kDiagnosisScattered = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "相違は %1 セルだけで、規則性がありません: ノイズか電源の不安定です。"
              "もう一度実行するか、短いケーブルを使ってください。"));
inline const QString kDiagnosisNotErased = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "相違するビットはすべて、ファイルが 1 のところ 0 と読めます: チップ消去が効いていません。"
              "消去し直してから書き込んでください。"));
inline const QString kDiagnosisBitsNotProgrammed = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "相違するビットはすべて、ファイルが 0 のところ 1 と読めます: 書き込みが足りません。"
              "電源とソケットの接触を確かめてください。"));
inline const QString kDiagnosisUnexplained =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "相違の原因は特定できません。"));

// Connection check: what each step found
inline const QString kCheckPortMissing = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートがありません: %1"));
inline const QString kCheckPortMissingAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ライターの USB ケーブルを差し直し、検出されたポートの一覧から選び直してください。"));
inline const QString kCheckPortFound = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートがあります: %1"));
inline const QString kCheckPortNotSerial =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "シリアルポートではありません: %1"));
inline const QString kCheckPortUnusable = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートを開けません: %1"));
inline const QString kCheckPermissionDenied =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートを開く権限がありません: %1"));
inline const QString kCheckPermissionAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ポートは %1 グループのものです。sudo usermod -aG %1 $USER で参加し、ログインし直してください。"));
inline const QString kCheckPermissionOk = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートを開けます"));
inline const QString kCheckInUse =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートは別のプログラムが使用中です: %1"));
inline const QString kCheckInUseUnknown =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートは別のプログラムが使用中です"));
inline const QString kCheckInUseAdvice =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "そのプログラムを終了してから診断し直してください。"));
inline const QString kCheckNotInUse =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ほかのプログラムは使用していません"));
inline const QString kCheckLatencyNone =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "応答待ち時間の設定がないポートです (USB シリアル変換器ではありません)"));
inline const QString kCheckLatency = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "応答待ち時間 (latency_timer) %1 ms"));
inline const QString kCheckWriterSilent =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ライターが応答しません"));
inline const QString kCheckWriterSilentAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ライターの電源、ケーブル、ポートの選択を確かめてください。"));
inline const QString kCheckWriterStrange =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "KX-WRT540 ではない応答です: %1"));
inline const QString kCheckWriterAnswers = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ライターが応答しました: %1"));
inline const QString kCheckFirmwareRefused =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファームウエアが古すぎて使えません: %1"));
inline const QString kCheckFirmwareOld =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファームウエアが古い版です: %1"));
inline const QString kCheckFirmwareAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ファームウエアを %1 以上に更新してください (ヘルプ メニューの「ファームウエアのアップデート」、または zendra-cli update)。"));
// %1 round trips, %2 failed, %3 mean ms, %4 longest ms
inline const QString kCheckLine = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "識別の往復 %1 回: 失敗 %2 回、平均 %3 ms、最長 %4 ms"));
inline const QString kCheckLineErrorsAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "通信が不安定です。短いケーブルを使い、USB ハブを通さずに接続してください。"));
inline const QString kCheckLineSlowAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "応答が遅く、書き込みに時間がかかります。USB シリアル変換器の応答待ち時間を確かめてください。"));
inline const QString kCheckProgrammingFailed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プログラミングモードに入れません: %1"));
inline const QString kCheckProgrammingOk =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プログラミングモードに入りました"));
inline const QString kCheckEmptySocket =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップが応答しません (署名 %1): ソケットが空か、差し込みが不完全です"));
inline const QString kCheckEmptySocketAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "チップの向きと差し込み位置、ソケットのレバー、VCC SEL と XTAL1 SEL のジャンパーを確かめてください。"));
inline const QString kCheckLocked =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップはロックされています (署名 %1)"));
inline const QString kCheckLockedAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "チップ消去でロックが解除されます (内容も消えます)。診断は消去も書き込みもしません。"));
inline const QString kCheckUnknownSignature =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "未知の署名です: %1"));
inline const QString kCheckUnknownAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "対応していないチップか、接触不良か、壊れたチップです。ソケットとジャンパーを確かめてください。"));
inline const QString kCheckChipFound = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1 (署名 %2)"));
// %1 the chosen device, %2 the chip found, %3 its signature
inline const QString kCheckOtherChip = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "選択したデバイスは %1 ですが、ソケットのチップは %2 です (署名 %3)"));
// %1 a device, %2 its socket's label ("20pin"), %3 the socket's place from the left in the device index
inline const QString kCheckSocketAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "%1 は %2 のソケット (デバイスインデックスの左から %3 番目) に差してください。"));
inline const QString kCheckJumperAdvice = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ソケットで書き込むときは VCC SEL と XTAL1 SEL のジャンパーを付けたままにします (ターゲットボードから供給するときだけ外します)。"));
inline const QString kCheckChooseDevice =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "デバイスの選択を %1 に変えるか、%2 を差してください。"));

}  // namespace zendra::operations::texts
