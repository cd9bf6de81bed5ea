#pragma once
// A small writer-with-chip behind a ScriptedPort: flash and EEPROM, the address register with its
// auto-increment, and faults placed on the n-th use of a command letter (silent from there on, or one
// wrong acknowledgment). Independent of the virtual writer, so the flows' tests pin the wire themselves.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QVector>

#include "ScriptedPort.h"

namespace zendra::test {

class FakeWriter {
public:
    // Silent: from this command on nothing answers. WrongReply: '?' instead of the reply, the command done.
    // Refused: '?' and nothing done.
    enum class FaultKind { Silent, WrongReply, Refused };
    struct Fault {
        char letter;
        int occurrence;  // 1 = the first use of the letter
        FaultKind kind;
    };

    FakeWriter(int flashWords, int eepromBytes, quint8 family, quint8 part);
    void Attach(ScriptedPort& port);

    QVector<quint16> flash;
    QByteArray eeprom;
    quint8 family;
    quint8 part;
    QList<Fault> faults;

    // Every command letter received, in order (also those the silent writer ignored).
    QByteArray letters;
    int Count(char letter) const { return static_cast<int>(letters.count(letter)); }
    // The letters between the n-th 'A' (1-based) and the next 'A'.
    QByteArray Phase(int n) const;

private:
    void Receive(ScriptedPort& port, quint8 byte);
    QByteArray Execute(char letter, const QByteArray& params);

    QByteArray m_frame;
    int m_needed = 0;
    quint16 m_address = 0;
    quint8 m_lowLatch = 0xFF;
    bool m_silent = false;
    QHash<char, int> m_seen;
};

}  // namespace zendra::test
