#pragma once
// A writer with a chip in its socket, as the far end of a ScriptedPort: it frames the bytes the host
// sends into commands, answers them, keeps the chip's fuse, lock and calibration bytes, and can fall
// silent after a given 'L' or never answer chosen letters.

#include <QSet>
#include <QStringList>

#include "ScriptedPort.h"

namespace zendra::test {

struct FakeWriter {
    // Chip in the socket.
    quint8 family = 0x90, part = 0x05;
    quint8 fuseLow = 0xFF, fuseHigh = 0xFF, lock = 0xFF, calibration = 0x00;

    int silentAfterLeave = -1;  // no answer at all once this many 'L' frames have been answered
    QSet<char> unanswered;      // letters that never get an answer

    // Every command as one line: "A", "ESC", "T 55 00", "u D2", "; AC A8 00 F7".
    QStringList frames;

    void Attach(ScriptedPort& port);

private:
    void OnWrite(ScriptedPort& port, const QByteArray& bytes);
    void Finish(ScriptedPort& port);
    QByteArray Answer(char letter, const QByteArray& parameters);

    char m_letter = 0;
    QByteArray m_parameters;
    int m_remaining = 0;
    int m_leaves = 0;
};

}  // namespace zendra::test
