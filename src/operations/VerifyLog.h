#pragma once
// The verify log "avrvfy.txt": its lines as pure functions, the verdict for a pair of results, and the
// file itself (UTF-8, CR LF, truncated by every run).

#include <QFile>
#include <QString>
#include <QtGlobal>

namespace zendra::operations {

// "PROGRAM Addr(word) = 0012  Original = 940C   NG = FFFF"
QString ProgramDifferenceLine(qint32 word, quint16 original, quint16 read);
// "EEPROM  Addr(byte) = 0005  Original = 00   NG = 3A"
QString EepromDifferenceLine(qint32 address, quint8 original, quint8 read);

// The text of the NG verdicts (status panel and notice); empty when both memories matched.
QString NgVerdictText(bool flashNg, bool eepromNg);

class VerifyLog {
public:
    // Creates or truncates the log at `path`. A log that cannot be written leaves the verify running;
    // the lines are then lost, not the comparison.
    explicit VerifyLog(const QString& path);
    void AddLine(const QString& line);
    void StartEepromSection();
    void Close();
    bool IsWritable() const { return m_file.isOpen(); }

private:
    QFile m_file;
};

}  // namespace zendra::operations
