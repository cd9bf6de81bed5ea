#pragma once
// The files zendra-cli writes (the report, the chip log, a read's images) are files it owns: a regular
// file or a new one in an existing folder. A device node, a FIFO, a folder or a link to one is refused
// before the writer is touched, and every write is checked, so no output is lost without a word.

#include <QByteArray>
#include <QString>
#include <optional>

namespace zendra::cli {

// Why `path` cannot take an output (in the chosen language); nullopt when it can. "-" is standard output
// where `standardOutput` allows it.
std::optional<QString> RefuseOutputTarget(const QString& path, bool standardOutput = false);

// Replaces `path` with `bytes` in one step ("-": standard output); the reason when it failed.
std::optional<QString> WriteOutput(const QString& path, const QByteArray& bytes);
// Appends `bytes` to the log at `path`, starting a new one with `header`; the reason when it failed.
std::optional<QString> AppendOutput(const QString& path, const QByteArray& header, const QByteArray& bytes);

// Whether two output paths name the same file (also through links).
bool SameFile(const QString& a, const QString& b);

}  // namespace zendra::cli
