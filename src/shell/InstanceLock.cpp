#include "shell/InstanceLock.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

#include "core/Language.h"
#include "core/Settings.h"
#include "shell/ShellTexts.h"

namespace zendra::shell {

InstanceLockResult TakeInstanceLock(QLockFile& lock, const QString& lockPath) {
    if (lock.tryLock(0)) return {InstanceLockOutcome::Taken, {}};
    qint64 pid = 0;
    QString host, application;
    // A lock whose holder can be read is a running copy's (a dead holder's lock is stale and taken over).
    if (lock.error() == QLockFile::LockFailedError && lock.getLockInfo(&pid, &host, &application))
        return {InstanceLockOutcome::HeldByRunningCopy, {}};
    const QFileInfo info(lockPath);
    QString reason = texts::kLockUnknown;
    if (info.exists() && !info.isFile())
        reason = texts::kLockNotAFile;
    else if (lock.error() == QLockFile::PermissionError)
        reason = texts::kLockPermission;
    else if (lock.error() == QLockFile::LockFailedError)
        reason = texts::kLockUnreadable;
    return {InstanceLockOutcome::Failed, core::Translate(texts::kLockFailed).arg(lockPath, core::Translate(reason))};
}

void ReportInstanceLockFailure(const QString& failureText) {
    std::fprintf(stderr, "%s\n", failureText.toLocal8Bit().constData());
    std::fflush(stderr);
    // Platforms without a screen would keep a box open that nobody can answer.
    const QString platform = QGuiApplication::platformName();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr ||
        platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    QMessageBox::critical(nullptr, core::kApplicationTitle, failureText);
}

}  // namespace zendra::shell
