#include "cli/PortLock.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace zendra::cli {

namespace {

// Whether the lock file names a process that is still running. A file being written by a process that
// has just created it is empty for a moment, so an unreadable one is read once more after a pause.
bool HeldByLiveProcess(QLockFile& lock) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        qint64 pid = 0;
        QString host, app;
        if (lock.getLockInfo(&pid, &host, &app)) {
            if (pid <= 0) return false;
            // Another machine's process cannot be asked; its lock stands.
            if (!host.isEmpty() && host != QSysInfo::machineHostName()) return true;
            return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
        }
        QThread::msleep(100);
    }
    return false;
}

// The user's runtime folder as the session sets it. Cron and sudo leave none, or another user's: then a
// folder of this user's own in the temporary folder (Qt's own lookup would warn about it on every run).
QString RuntimeFolder() {
    const QByteArray given = qgetenv("XDG_RUNTIME_DIR");
    struct stat info {};
    if (!given.isEmpty() && ::stat(given.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::geteuid())
        return QFile::decodeName(given);
    const QString own = QDir::tempPath() + QStringLiteral("/zendra-cli-") + QString::number(::geteuid());
    const QByteArray name = QFile::encodeName(own);
    ::mkdir(name.constData(), 0700);
    // A folder of someone else's, or a link put there under this name, is not used.
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return {};
    return own;
}

}  // namespace

PortLock::Outcome PortLock::Acquire(const QString& devicePath) {
    const QString canonical = QFileInfo(devicePath).canonicalFilePath();
    const QString device = canonical.isEmpty() ? devicePath : canonical;
    const QString runtime = RuntimeFolder();
    m_fileName = runtime + QStringLiteral("/zendra-cli-") + QString(device).replace(QLatin1Char('/'), QLatin1Char('_')) +
                 QStringLiteral(".lock");
    if (runtime.isEmpty()) return Outcome::Failed;
    m_lock = std::make_unique<QLockFile>(m_fileName);
    m_lock->setStaleLockTime(0);  // age alone never makes a lock stale: a long production run holds it for hours
    // Qt removes the lock of an ended process by itself, without a word; the note says it happened.
    const bool stale = QFileInfo::exists(m_fileName) && !HeldByLiveProcess(*m_lock);
    if (m_lock->tryLock(0)) return stale ? Outcome::TakenOver : Outcome::Taken;
    if (m_lock->error() != QLockFile::LockFailedError) return Outcome::Failed;
    if (!stale) return Outcome::Held;  // a live owner, or one that took it since we looked
    // Two processes that both found the lock stale must not both remove it: the second one to hold the
    // removal lock looks again and finds the first one's lock alive.
    QLockFile removal(m_fileName + QStringLiteral(".rmlock"));
    if (!removal.tryLock(1000) || HeldByLiveProcess(*m_lock)) return Outcome::Held;
    if (!m_lock->removeStaleLockFile() || !m_lock->tryLock(0))
        return m_lock->error() == QLockFile::LockFailedError ? Outcome::Held : Outcome::Failed;
    return Outcome::TakenOver;
}

}  // namespace zendra::cli
