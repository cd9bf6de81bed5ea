#pragma once
// Builds Intel HEX records for the tests, with a checksum computed here independently of the program.

#include <QByteArray>
#include <QList>

namespace zendra::test {

inline QByteArray Record(int type, int address, const QList<int>& data, int checksumDelta = 0) {
    QList<int> bytes{static_cast<int>(data.size()), (address >> 8) & 0xFF, address & 0xFF, type};
    bytes += data;
    int sum = 0;
    for (int b : bytes) sum += b;
    bytes << ((0x100 - (sum & 0xFF) + checksumDelta) & 0xFF);
    QByteArray out(":");
    for (int b : bytes) out += QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
    return out;
}

inline QByteArray Data(int address, const QList<int>& data) { return Record(0x00, address, data); }
inline const QByteArray kEnd = QByteArrayLiteral(":00000001FF");

}  // namespace zendra::test
