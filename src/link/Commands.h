#pragma once
// The writer's commands. Each routine performs one exchange (or the short sequence its name says),
// sets `error` to 1 on failure and never to 0, writes its failure text to status panel 1, and returns
// how the exchange ended so that loops can stop at the first time-out.
// Callers pass ctx.state.ErrorFlag as `error`.

#include <QtGlobal>

#include "link/Link.h"

namespace zendra::link {

// --- Delays --------------------------------------------------------------------------------------
// The responsive wait: window events run, the CPU idles.
void Wait(LinkContext& ctx, double seconds);

// --- Programming mode and identification ----------------------------------------------------------
Outcome EnterAvrCommandSet(LinkContext& ctx, qint16& error);
void ExitAvrCommandSet(LinkContext& ctx);
Outcome EnterProgrammingMode(LinkContext& ctx, qint16& error);
Outcome LeaveProgrammingMode(LinkContext& ctx, qint16& error);
Outcome SelectDevice(LinkContext& ctx, quint8 code, qint16& error);
// Up to five tries, then the device-match rules; flashWords is DetectedFlashWords.
Outcome ReadSignature(LinkContext& ctx, qint16& flashWords, qint16& error);
Outcome ChipErase(LinkContext& ctx, qint16& error);
// 'A', 'P', 50 ms, signature, 'L'; sets ctx.state.DeviceMismatch.
void CheckDevice(LinkContext& ctx);

// --- Memory access ---------------------------------------------------------------------------------
Outcome SelectAddress(LinkContext& ctx, qint32 address, qint16& error);
Outcome WriteProgramWord(LinkContext& ctx, quint8 high, quint8 low, qint16& error);
Outcome WriteProgramWordTiny26(LinkContext& ctx, quint8 high, quint8 low, qint16& error);
Outcome ReadProgramWord(LinkContext& ctx, quint8& high, quint8& low, qint16& error);
Outcome ReadDataByte(LinkContext& ctx, quint8& data, qint16& error);
Outcome WriteDataByte(LinkContext& ctx, quint8 data, qint16& error);

// --- Fuse, lock and calibration ----------------------------------------------------------------------
Outcome WriteFuse(LinkContext& ctx, quint8 value, qint16& error);
Outcome WriteFuseLow(LinkContext& ctx, quint8 value, qint16& error);
Outcome WriteFuseHigh(LinkContext& ctx, quint8 value, qint16& error);
Outcome WriteLock(LinkContext& ctx, quint8 value, qint16& error);
Outcome WriteLockTiny26(LinkContext& ctx, quint8 value, qint16& error);
Outcome ReadLockFuse(LinkContext& ctx, quint8& value, qint16& error);
Outcome ReadFuse(LinkContext& ctx, quint8& value, qint16& error);
Outcome ReadFuseHigh(LinkContext& ctx, quint8& value, qint16& error);
Outcome ReadCalibration(LinkContext& ctx, quint8& value, qint16& error);

// --- Writer detection and communication check -----------------------------------------------------
// Opens the saved port, identifies the writer, refuses old firmware, selects the device.
bool CheckCommunication(LinkContext& ctx);
void DetectWriter(LinkContext& ctx, double& version, qint16& error);
void ShowFirmwareAdvisory(LinkContext& ctx);
// Turns the message window into the communication-error notice.
void ReportCommError(LinkContext& ctx);

// Configures the port with the writer's line settings and opens COM `number` through the port map.
// False when it cannot be opened (no such port, in use). The mapping is not stored here: a dialog that
// confirms a port stores what it resolved to with ctx.ports.Assign.
bool OpenWriterPort(LinkContext& ctx, int number);

}  // namespace zendra::link
