#pragma once
// Serial values that do not come from a counter: a list a workshop was issued (one value a line, taken in
// order, each once) and a program of the workshop's own that prints each chip's bytes.

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "production/Stamp.h"

namespace zendra::core {
class CancelToken;
}

namespace zendra::production {

enum class SeriesKind { Counter, List, Command };
// "counter", "list", "command": as the store and a setup name the kind.
QString SeriesKindName(SeriesKind kind);

struct ListEntry {
    int line = 0;      // 1-based, as an editor counts
    QByteArray bytes;  // as they are stamped
};

enum class ListProblem { None, Unreadable, BadLine, Repeated };

struct SerialList {
    QList<ListEntry> entries;
    ListProblem problem = ListProblem::None;
    int line = 0;        // BadLine, Repeated: the line at fault
    int firstLine = 0;   // Repeated: the line that held the value first
    QString reason;      // Unreadable: the system's reason
    int lastLine = 0;    // the last line that holds a value (0: none)
    int Widest() const;  // the most bytes one value stamps
    bool Ok() const { return problem == ListProblem::None; }
};

// One value a line: a number (decimal, or hexadecimal after "0x") in the layout's encoding, or raw bytes
// "hex:AABBCC". Blank lines and lines that start with '#' are skipped. Two lines with the same bytes
// refuse the whole list, as a chip would otherwise take a value another already holds.
SerialList ParseSerialList(const QByteArray& text, const SerialLayout& layout);
SerialList ReadSerialList(const QString& path, const SerialLayout& layout);

// The bytes as the store keeps and a person reads them: upper-case hex, no spaces.
QString HexOf(const QByteArray& bytes);

// A generator's program and its words: split at blanks, a word with blanks in double quotes, a double
// quote inside one written as three (Qt's rule; there is no shell, so no variables, globs or pipes).
QStringList SplitCommand(const QString& command);

// The generator's output as bytes: one line of hex bytes ("B2A1" or "B2 A1"), nothing else; empty when
// it is anything else.
QByteArray ParseGeneratorOutput(const QByteArray& output);

enum class GeneratorProblem { None, NotStarted, Failed, TimedOut, BadOutput, Cancelled };

struct GeneratorResult {
    QByteArray bytes;
    GeneratorProblem problem = GeneratorProblem::None;
    int exitCode = 0;  // Failed: the program's exit code (-1: it crashed)
    QString detail;    // NotStarted: the system's reason; BadOutput: the start of what it printed
};

// A generator is given this long; then it is killed.
inline constexpr int kGeneratorTimeoutMs = 5000;

// Runs the command without a shell in `folder` (empty: the current one) with `environment` added to the
// process's own, and reads its one line.
GeneratorResult RunGenerator(const QString& command, const QString& folder, const QProcessEnvironment& environment,
                             const core::CancelToken* cancel, int timeoutMs = kGeneratorTimeoutMs);

// Whether this user let the program run for setups in `folder` on this machine before, and remembering
// that they did: a setup copied from elsewhere never runs a program unasked.
bool GeneratorApproved(const QString& command, const QString& folder);
bool ApproveGenerator(const QString& command, const QString& folder);

}  // namespace zendra::production
