#pragma once
// The writer's commands. Each routine performs one exchange (or the short sequence its name says) and
// returns how it ended, with the command's own failure text and the bytes it read; it shows nothing and
// sets no flag, so the operation that called it decides what the user sees.

#include <QtGlobal>

#include "devices/Catalogue.h"
#include "link/Link.h"

namespace zendra::link {

// The responsive wait: window events run, the CPU idles.
void Wait(Session& session, double seconds);

// --- Programming mode and identification ----------------------------------------------------------
CommandResult EnterAvrCommandSet(Session& session);
// ESC: back to the writer's base command set; no reply. Skipped on a port that cannot take it.
void ExitAvrCommandSet(Session& session);
CommandResult EnterProgrammingMode(Session& session);
// 'L', then the writer's settling wait (not after a writer that stopped answering).
CommandResult LeaveProgrammingMode(Session& session);
CommandResult SelectDevice(Session& session, quint8 code);
// 's' until the family byte names a known flash size, at most five times; data: part, family, vendor.
CommandResult ReadSignature(Session& session);
CommandResult ChipErase(Session& session);

// --- Memory access ---------------------------------------------------------------------------------
CommandResult SelectAddress(Session& session, qint32 address);
// 'c' then 'C' (the high byte never goes out after a silent writer), or one 'W'.
CommandResult WriteProgramWord(Session& session, devices::WordWrite kind, quint8 high, quint8 low);
CommandResult ReadProgramWord(Session& session);  // data: high, low
CommandResult ReadDataByte(Session& session);
CommandResult WriteDataByte(Session& session, quint8 data);

// --- Fuse, lock and calibration ----------------------------------------------------------------------
CommandResult WriteFuse(Session& session, quint8 value);
CommandResult WriteFuseLow(Session& session, quint8 value);
CommandResult WriteFuseHigh(Session& session, quint8 value);
CommandResult WriteLock(Session& session, quint8 value);
CommandResult WriteLockTiny26(Session& session, quint8 value);
CommandResult ReadLockFuse(Session& session);
CommandResult ReadFuse(Session& session);
CommandResult ReadFuseHigh(Session& session);
CommandResult ReadCalibration(Session& session);

// --- Writer detection ----------------------------------------------------------------------------------
// ESC, then '?' twice with the writer's pauses; data: the first 15 bytes of the 17-byte identification.
CommandResult ReadIdentification(Session& session);
// One '?' and its 17-byte identification, without the pauses of the detection: the round trip the
// connection check repeats to judge the line. data: the whole reply.
CommandResult QueryIdentification(Session& session);
// 'A' sent on its own after the identification, its CR taken off the line before anything else is sent.
void EnterAvrCommandSetQuietly(Session& session);

// Sets the writer's line settings, no handshaking and RTS on the port (RTS fails on a pseudo-terminal).
void ConfigureWriterPort(SerialPort& port);
// Closes the port if open, configures it and opens `path`; false when it cannot be opened.
bool OpenWriterPort(SerialPort& port, const QString& path);

}  // namespace zendra::link
