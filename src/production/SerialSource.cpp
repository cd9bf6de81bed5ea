#include "production/SerialSource.h"

#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QHash>
#include <algorithm>

#include "core/BoundedFile.h"
#include "core/UserInterface.h"

namespace zendra::production {

namespace {

// A generator prints a few bytes; more than this is not a value.
constexpr qint64 kGeneratorOutputCap = 4096;

std::optional<QByteArray> HexBytes(const QString& digits) {
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})+$"));
    if (!hex.match(digits).hasMatch()) return std::nullopt;
    return QByteArray::fromHex(digits.toLatin1());
}

// The start of what a program printed, fit to be shown: a control character could rewrite the terminal.
QString ShownOutput(const QByteArray& output) {
    QString shown = QString::fromUtf8(output.left(40)).trimmed();
    for (QChar& c : shown)
        if (!c.isPrint()) c = QLatin1Char('?');
    return shown;
}

}  // namespace

QString SeriesKindName(SeriesKind kind) {
    switch (kind) {
        case SeriesKind::List:
            return QStringLiteral("list");
        case SeriesKind::Command:
            return QStringLiteral("command");
        case SeriesKind::Counter:
            break;
    }
    return QStringLiteral("counter");
}

int SerialList::Widest() const {
    int widest = 0;
    for (const ListEntry& e : entries) widest = std::max(widest, int(e.bytes.size()));
    return widest;
}

SerialList ParseSerialList(const QByteArray& text, const SerialLayout& layout) {
    SerialList list;
    QHash<QByteArray, int> seen;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const int number = int(i + 1);
        std::optional<QByteArray> bytes;
        if (line.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
            bytes = HexBytes(line.mid(4).trimmed());
        } else if (const auto value = ParseNumber(line, 0); value && quint64(*value) <= Largest(layout)) {
            bytes = Encode(layout, quint64(*value));
        }
        if (!bytes) {
            list.problem = ListProblem::BadLine;
            list.line = number;
            return list;
        }
        if (const auto first = seen.constFind(*bytes); first != seen.cend()) {
            list.problem = ListProblem::Repeated;
            list.line = number;
            list.firstLine = *first;
            return list;
        }
        seen.insert(*bytes, number);
        list.entries.append({number, *bytes});
        list.lastLine = number;
    }
    return list;
}

SerialList ReadSerialList(const QString& path, const SerialLayout& layout) {
    const core::BoundedRead read = core::ReadBoundedFile(path);
    if (!read.Ok()) {
        SerialList list;
        list.problem = ListProblem::Unreadable;
        list.reason = !read.systemReason.isEmpty()                    ? read.systemReason
                      : read.refusal == core::FileRefusal::Missing    ? QStringLiteral("no such file")
                      : read.refusal == core::FileRefusal::NotRegular ? QStringLiteral("not a regular file")
                                                                      : QStringLiteral("too large");
        return list;
    }
    return ParseSerialList(read.bytes, layout);
}

namespace {

QString ApprovalsPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/approved-programs");
}

// One approval a line: the folder, a tab, the command as the setup has it.
QByteArray ApprovalLine(const QString& command, const QString& folder) {
    return (QDir::cleanPath(folder) + QLatin1Char('\t') + command).toUtf8();
}

}  // namespace

bool GeneratorApproved(const QString& command, const QString& folder) {
    const core::BoundedRead read = core::ReadBoundedFile(ApprovalsPath());
    return read.Ok() && read.bytes.split('\n').contains(ApprovalLine(command, folder));
}

bool ApproveGenerator(const QString& command, const QString& folder) {
    // A line break would let one approval read as two.
    if (command.contains(QLatin1Char('\n')) || folder.contains(QLatin1Char('\n'))) return false;
    if (GeneratorApproved(command, folder)) return true;
    const core::BoundedRead read = core::ReadBoundedFile(ApprovalsPath());
    QByteArray bytes = read.Ok() ? read.bytes : QByteArray();
    if (!bytes.isEmpty() && !bytes.endsWith('\n')) bytes += '\n';
    bytes += ApprovalLine(command, folder) + '\n';
    if (!QDir().mkpath(QFileInfo(ApprovalsPath()).absolutePath())) return false;
    QSaveFile file(ApprovalsPath());
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QString HexOf(const QByteArray& bytes) { return QString::fromLatin1(bytes.toHex().toUpper()); }

QStringList SplitCommand(const QString& command) { return QProcess::splitCommand(command); }

QByteArray ParseGeneratorOutput(const QByteArray& output) {
    QByteArray text = output;
    if (text.endsWith('\n')) text.chop(1);
    if (text.endsWith('\r')) text.chop(1);
    if (text.contains('\n')) return {};
    const QString digits = QString::fromLatin1(text).trimmed();
    static const QRegularExpression spaced(QStringLiteral("^[0-9A-Fa-f]{2}( [0-9A-Fa-f]{2})*$"));
    if (digits.contains(QLatin1Char(' ')) && !spaced.match(digits).hasMatch()) return {};
    return HexBytes(QString(digits).remove(QLatin1Char(' '))).value_or(QByteArray());
}

GeneratorResult RunGenerator(const QString& command, const QString& folder, const QProcessEnvironment& environment,
                             const core::CancelToken* cancel, int timeoutMs) {
    GeneratorResult result;
    QStringList words = SplitCommand(command);
    if (words.isEmpty()) {
        result.problem = GeneratorProblem::NotStarted;
        result.detail = QStringLiteral("no program named");
        return result;
    }
    QProcess process;
    process.setProgram(words.takeFirst());
    process.setArguments(words);
    if (!folder.isEmpty()) process.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(environment);
    process.setProcessEnvironment(env);
    // Its messages reach the user's terminal; only the value is read.
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(timeoutMs)) {
        result.problem = GeneratorProblem::NotStarted;
        result.detail = process.errorString();
        return result;
    }
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    // In short slices, so a cancel is seen and a flood of output is cut off.
    while (process.state() != QProcess::NotRunning) {
        if (clock.elapsed() >= timeoutMs || (cancel && cancel->IsCancelled()) || output.size() > kGeneratorOutputCap) {
            process.kill();
            process.waitForFinished(1000);
            result.problem = cancel && cancel->IsCancelled()      ? GeneratorProblem::Cancelled
                             : output.size() > kGeneratorOutputCap ? GeneratorProblem::BadOutput
                                                                   : GeneratorProblem::TimedOut;
            result.detail = ShownOutput(output);
            return result;
        }
        process.waitForFinished(100);
        output += process.readAllStandardOutput();
    }
    output += process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        result.problem = GeneratorProblem::Failed;
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return result;
    }
    result.bytes = ParseGeneratorOutput(output);
    if (result.bytes.isEmpty()) {
        result.problem = GeneratorProblem::BadOutput;
        result.detail = ShownOutput(output);
    }
    return result;
}

}  // namespace zendra::production
