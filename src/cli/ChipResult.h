#pragma once
// One chip's outcome on one writer, as the command line renders it.

#include <QDateTime>
#include <QStringList>
#include <optional>

#include "cli/Cli.h"
#include "operations/Report.h"

namespace zendra::cli {

struct ChipResult {
    QString port, path;
    int exitCode = kExitLink;
    QString firmware, device, signature;
    QString deviceName;  // the catalogue's own name, as a restore matches it
    QString message;      // the result line's text
    QStringList data;     // what a data command prints on stdout: lock/fuse lines, the writer found
    QStringList details;  // on stderr: verify differences, saved files, advice
    std::optional<operations::Report> report;
    QDateTime started, finished;
    std::optional<qint64> serial;  // the number the chip took from its series
    QByteArray stamp;              // or the value it took from a list or a generator
    std::optional<qint64> line;    // and the list's line
    qint64 recordId = 0;           // the chip store's record begun before the chip was touched
    bool outputFailed = false;  // the operation went well, but an output of it could not be written
};

// An output of the run could not be written: the run fails with the link's code unless it failed already.
inline void MarkOutputFailed(ChipResult& result, const QString& why) {
    result.outputFailed = true;
    if (result.exitCode == kExitSuccess) result.exitCode = kExitLink;
    result.message = result.message.isEmpty() ? why : result.message + QStringLiteral("; ") + why;
}

}  // namespace zendra::cli
