#pragma once
// The one-copy-per-user lock: tells a running copy that holds it (the second copy then ends silently)
// from a lock that cannot be taken at all (a folder in its place, no permission), which must be said.

#include <QLockFile>
#include <QString>

namespace zendra::shell {

enum class InstanceLockOutcome { Taken, HeldByRunningCopy, Failed };

struct InstanceLockResult {
    InstanceLockOutcome outcome = InstanceLockOutcome::Failed;
    QString failureText;  // one line naming the lock file and the reason, when Failed
};

// Tries `lock` once, without waiting.
InstanceLockResult TakeInstanceLock(QLockFile& lock, const QString& lockPath);

// Prints `failureText` on stderr and shows it in a box where a display can show one.
void ReportInstanceLockFailure(const QString& failureText);

}  // namespace zendra::shell
