#pragma once
// The process-wide values that the logic shares on the one user-interface thread.
// One object is owned by the application and handed to every layer by reference; nothing here is global.

#include <QString>
#include <QtGlobal>

namespace zendra::core {

struct SharedState {
    // Failure flag of the writer link: 0 = no failure, 1 = a step failed, 2 = firmware refused.
    // Routines only ever set it; a caller clears it before the steps whose outcome it wants to see.
    qint16 ErrorFlag = 0;
    bool DeviceMismatch = false;
    bool VerifyWholeMemory = false;
    qint16 DetectedFlashWords = 512;

    // The selected device (all 0 when the selector text matches no catalogue name).
    quint8 DeviceCode = 0;
    qint32 ProgramMemoryWords = 0;
    qint32 EepromBytes = 0;

    // Bytes moved by the lock/fuse cycles; they keep their last value between operations.
    quint8 FuseByte = 0;
    quint8 LockByte = 0;
    quint8 LockFuseByte = 0;
    quint8 CalibrationByte = 0;

    // Writer detection.
    double FirmwareVersion = 0.0;
    QString FirmwareVersionText;
    QString StatusText;
    QString MessageText;

    // Counts of the program and verify flows.
    qint32 ProgramWordCount = 0;
    qint32 EepromByteCount = 0;

    // Files: the pair opened last, and the targets of the next write.
    QString CodeFileName;
    QString EepFileName;
    QString SaveCodeFileName;
    QString SaveEepFileName;
    bool ReloadRequested = false;

    // The program's directory, ending with exactly one separator (the help file lives there).
    QString AppDir;
    // Where the scratch files "avrhex.txt", "avreep.txt", "avrvfy.txt" and "LOG.txt" go: AppDir, or the
    // per-user data folder when AppDir is not writable. Ends with one separator.
    QString ScratchDir;
};

}  // namespace zendra::core
