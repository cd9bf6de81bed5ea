#include "cli/Outputs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "cli/Console.h"
#include "image/IntelHex.h"

namespace zendra::cli {

std::optional<QString> RefuseOutputTarget(const QString& path, bool standardOutput) {
    if (standardOutput && path == QLatin1String("-")) return std::nullopt;
    const QFileInfo info(path);
    // A link is followed to what it names: a link to a device is a device.
    if (info.exists() && !info.isFile()) return T(texts::kNotRegularFile).arg(path);
    if (!info.exists() && info.isSymLink()) return T(texts::kNotRegularFile).arg(path);
    if (info.exists()) return std::nullopt;
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir()) return T(texts::kNoFolder).arg(info.absolutePath());
    return std::nullopt;
}

std::optional<QString> WriteOutput(const QString& path, const QByteArray& bytes) {
    if (path == QLatin1String("-")) {
        if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
            std::fflush(stdout) != 0)
            return T(texts::kCannotWrite).arg(path);
        return std::nullopt;
    }
    if (const auto refused = RefuseOutputTarget(path)) return refused;
    QString reason;
    if (image::SaveFileContents(path, bytes, &reason) == image::SaveFailure::None) return std::nullopt;
    return T(texts::kCannotWrite).arg(path) + (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
}

std::optional<QString> AppendOutput(const QString& path, const QByteArray& header, const QByteArray& bytes) {
    if (const auto refused = RefuseOutputTarget(path)) return refused;
    QFile file(path);
    if (!file.open(QIODevice::Append))
        return T(texts::kCannotWrite).arg(path) + QStringLiteral(": ") + file.errorString();
    const QByteArray line = file.size() == 0 ? header + bytes : bytes;
    // A full disk or a device that refuses must not lose the chip's line without a word.
    if (file.write(line) != line.size() || !file.flush())
        return T(texts::kCannotWrite).arg(path) + QStringLiteral(": ") + file.errorString();
    return std::nullopt;
}

bool SameFile(const QString& a, const QString& b) {
    const QFileInfo x(a), y(b);
    const QString cx = x.canonicalFilePath(), cy = y.canonicalFilePath();
    if (!cx.isEmpty() && !cy.isEmpty()) return cx == cy;
    return QDir::cleanPath(x.absoluteFilePath()) == QDir::cleanPath(y.absoluteFilePath());
}

}  // namespace zendra::cli
