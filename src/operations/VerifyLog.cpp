#include "operations/VerifyLog.h"

#include <QFile>

#include "operations/OperationTexts.h"

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

QString DifferenceLine(const Difference& d) {
    return d.memory == Memory::Flash ? ProgramDifferenceLine(d.address, d.expected, d.actual)
                                     : EepromDifferenceLine(d.address, quint8(d.expected), quint8(d.actual));
}

namespace {

struct LogLine {
    QString text;
    std::optional<Difference> difference;
};

QList<LogLine> LogLines(const QList<Difference>& differences) {
    QList<LogLine> lines{{texts::kLogFlashHeader, {}}, {}};
    const auto add = [&](Memory memory) {
        for (const Difference& d : differences)
            if (d.memory == memory) lines.append({DifferenceLine(d), d});
    };
    add(Memory::Flash);
    lines << LogLine{} << LogLine{texts::kLogEepromHeader, {}} << LogLine{};
    add(Memory::Eeprom);
    return lines;
}

}  // namespace

std::optional<Difference> DifferenceAtLine(const QList<Difference>& differences, int line) {
    const QList<LogLine> lines = LogLines(differences);
    return line >= 0 && line < lines.size() ? lines.at(line).difference : std::nullopt;
}

QByteArray VerifyLogText(const QList<Difference>& differences) {
    QByteArray out;
    for (const LogLine& line : LogLines(differences)) out += line.text.toUtf8() + "\r\n";
    return out;
}

bool SaveVerifyLog(const QString& path, const QList<Difference>& differences) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray text = VerifyLogText(differences);
    return file.write(text) == text.size();
}

}  // namespace zendra::operations
