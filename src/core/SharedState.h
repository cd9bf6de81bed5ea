#pragma once
// The process-wide values that the logic shares on the one user-interface thread.
// One object is owned by the application and handed to every layer by reference; nothing here is global.

#include <QString>
#include <QtGlobal>

namespace zendra::core {

struct SharedState {
    // Failure flag: 0 = no failure, 1 = a step failed, 2 = firmware refused. The operations report it;
    // the windows store it from their reports through TakeErrorFlag, and so does the buffer edit from its
    // hex conversions.
    qint16 ErrorFlag = 0;

    // The selected device: its selector position (-1 when none) and its code and sizes (all 0 when the
    // selection names no catalogue device).
    int SelectedDevice = -1;
    quint8 DeviceCode = 0;
    qint32 ProgramMemoryWords = 0;
    qint32 EepromBytes = 0;

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

// The one place outside the operations where the error flag changes: it takes what a result reported (an
// operation's report, the port dialog's outcome, the buffer edit's hex conversion).
inline void TakeErrorFlag(SharedState& state, qint16 reported) { state.ErrorFlag = reported; }

}  // namespace zendra::core
