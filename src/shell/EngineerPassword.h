#pragma once
// The engineer's password that opens a locked station. Only a salted Argon2id hash of it is kept (in the
// settings); the password itself is never stored or shown. Checking it costs tens of milliseconds of
// work and 64 MiB by design, so callers run it off the windows' thread.

#include <QString>

namespace zendra::core {
class SettingsStore;
}

namespace zendra::shell {

bool EngineerPasswordSet(const core::SettingsStore& settings);
// Stores the hash of `password` (not empty); false when no hash could be made.
bool SetEngineerPassword(core::SettingsStore& settings, const QString& password);
// Whether `password` is the one whose hash is stored; false when none is.
bool CheckEngineerPassword(const core::SettingsStore& settings, const QString& password);

}  // namespace zendra::shell
