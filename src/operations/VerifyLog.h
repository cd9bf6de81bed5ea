#pragma once
// The verify log "avrvfy.txt": its lines as pure functions of a verify's differences, and the file
// (UTF-8, CR LF, replaced by every verify that reached its comparison).

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "operations/Report.h"

namespace zendra::operations {

// "PROGRAM Addr(word) = 0012  Original = 940C   NG = FFFF"
QString ProgramDifferenceLine(qint32 word, quint16 original, quint16 read);
// "EEPROM  Addr(byte) = 0005  Original = 00   NG = 3A"
QString EepromDifferenceLine(qint32 address, quint8 original, quint8 read);

// A difference's line as the log shows it.
QString DifferenceLine(const Difference& difference);
// The difference that line `line` (from 0) of the log names; nullopt for a header or blank line.
std::optional<Difference> DifferenceAtLine(const QList<Difference>& differences, int line);

// The whole log: the flash header, its lines, the EEPROM header, its lines.
QByteArray VerifyLogText(const QList<Difference>& differences);
// Writes the log; a log that cannot be written loses its lines, never the verify's verdict.
bool SaveVerifyLog(const QString& path, const QList<Difference>& differences);

}  // namespace zendra::operations
