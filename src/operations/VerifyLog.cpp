#include "operations/VerifyLog.h"

#include "operations/Texts.h"

namespace zendra::operations {

namespace {

QString Hex(quint32 value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

QString ProgramDifferenceLine(qint32 word, quint16 original, quint16 read) {
    return QStringLiteral("PROGRAM Addr(word) = %1  Original = %2   NG = %3")
        .arg(Hex(static_cast<quint32>(word), 4), Hex(original, 4), Hex(read, 4));
}

QString EepromDifferenceLine(qint32 address, quint8 original, quint8 read) {
    return QStringLiteral("EEPROM  Addr(byte) = %1  Original = %2   NG = %3")
        .arg(Hex(static_cast<quint32>(address), 4), Hex(original, 2), Hex(read, 2));
}

QString NgVerdictText(bool flashNg, bool eepromNg) {
    if (flashNg && eepromNg) return text::kVerdictBothNg;
    if (flashNg) return text::kVerdictFlashNg;
    if (eepromNg) return text::kVerdictEepromNg;
    return {};
}

VerifyLog::VerifyLog(const QString& path) : m_file(path) {
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    AddLine(text::kLogFlashHeader);
    AddLine(QString());
}

void VerifyLog::AddLine(const QString& line) {
    if (!m_file.isOpen()) return;
    m_file.write(line.toUtf8());
    m_file.write("\r\n", 2);
}

void VerifyLog::StartEepromSection() {
    AddLine(QString());
    AddLine(text::kLogEepromHeader);
    AddLine(QString());
}

void VerifyLog::Close() {
    if (m_file.isOpen()) m_file.close();
}

}  // namespace zendra::operations
