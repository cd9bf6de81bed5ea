#pragma once
// The lock/fuse panel as logic: device parameters and the panel's fillers, the reset-disable warning,
// and the lock/fuse read and write operations (single-byte programming cycles).

#include <QString>

#include "link/Link.h"

namespace zendra::devices {

// Texts of the lock/fuse operations.
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

// Reads the selector text and sets DeviceCode, the sizes and the panel profile (fillers in fixed order).
void SetDeviceParameters(core::UserInterface& ui, core::SharedState& state);

// Run whenever the selected entry of Combo_RSTDISABL changes (by the user, or by a read moving it).
void frmMain_Combo_RSTDISABL_Click(core::UserInterface& ui);

// Single-byte programming cycles: 'A', then, only while ErrorFlag is 0, 'P', the command, 'L'.
// Each returns true when its byte moved ('A', 'P' and the command itself succeeded), so a read
// never decodes a byte that this cycle did not bring.
bool CycleWriteFuse(link::LinkContext& ctx);
bool CycleWriteFuseLow(link::LinkContext& ctx);
bool CycleWriteFuseHigh(link::LinkContext& ctx);
bool CycleWriteLock(link::LinkContext& ctx);
bool CycleWriteLockTiny26(link::LinkContext& ctx);
bool CycleReadFuse(link::LinkContext& ctx);
bool CycleReadFuseHigh(link::LinkContext& ctx);
bool CycleReadCalibration(link::LinkContext& ctx);
bool CycleReadLock(link::LinkContext& ctx);
bool CycleReadLockFuse(link::LinkContext& ctx);

// The bodies of cmdFuseRead / cmdFuseWrite (without the operation guard).
void FuseRead(link::LinkContext& ctx);
void FuseWrite(link::LinkContext& ctx);

}  // namespace zendra::devices
