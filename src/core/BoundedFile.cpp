#include "core/BoundedFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#endif

namespace zendra::core {

namespace {

BoundedRead Refused(FileRefusal why, const QString& systemReason = {}) {
    BoundedRead result;
    result.refusal = why;
    result.systemReason = systemReason;
    return result;
}

#ifdef Q_OS_UNIX
QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

BoundedRead ReadPosix(const QByteArray& name, qint64 cap) {
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Refused(FileRefusal::Missing)
                                                   : Refused(FileRefusal::Unreadable, SystemText(errno));
    if (!S_ISREG(info.st_mode)) return Refused(FileRefusal::NotRegular);
    if (info.st_size > cap) return Refused(FileRefusal::TooLarge);
    // Non-blocking, so a FIFO swapped in after the check cannot hold the open; checked again on the
    // descriptor.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Refused(FileRefusal::Unreadable, SystemText(errno));
    BoundedRead result;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Refused(FileRefusal::NotRegular);
    }
    // One byte more than the cap tells a file that grew past it from one that fits exactly.
    result.bytes.resize(static_cast<qsizetype>(std::min<qint64>(info.st_size, cap) + 1));
    qint64 total = 0;
    while (total <= cap) {
        if (total == result.bytes.size())
            result.bytes.resize(static_cast<qsizetype>(std::min<qint64>(2 * total, cap + 1)));
        const ssize_t got =
            ::read(fd, result.bytes.data() + total, static_cast<size_t>(result.bytes.size() - total));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            return Refused(FileRefusal::Unreadable, SystemText(error));
        }
        if (got == 0) break;
        total += got;
    }
    ::close(fd);
    if (total > cap) return Refused(FileRefusal::TooLarge);
    result.bytes.truncate(static_cast<qsizetype>(total));
    return result;
}
#endif

}  // namespace

BoundedRead ReadBoundedFile(const QString& path, qint64 cap) {
    if (path.isEmpty()) return Refused(FileRefusal::Missing);
#ifdef Q_OS_UNIX
    return ReadPosix(QFile::encodeName(path), cap);
#else
    const QFileInfo info(path);
    if (!info.exists()) return Refused(FileRefusal::Missing);
    if (!info.isFile()) return Refused(FileRefusal::NotRegular);
    if (info.size() > cap) return Refused(FileRefusal::TooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Refused(FileRefusal::Unreadable, file.errorString());
    BoundedRead result;
    result.bytes = file.read(cap + 1);
    if (file.error() != QFileDevice::NoError) return Refused(FileRefusal::Unreadable, file.errorString());
    if (result.bytes.size() > cap) return Refused(FileRefusal::TooLarge);
    return result;
#endif
}

QString Sha256Hex(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString FileSha256(const QString& path) {
    const BoundedRead read = ReadBoundedFile(path);
    return read.Ok() ? Sha256Hex(read.bytes) : QString();
}

}  // namespace zendra::core
