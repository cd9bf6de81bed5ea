#include "shell/EngineerPassword.h"

#include <sodium.h>

#include "core/Settings.h"

namespace zendra::shell {

namespace {

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

}  // namespace

bool EngineerPasswordSet(const core::SettingsStore& settings) {
    return !core::ReadText(settings, core::keys::EngineerPassword).isEmpty();
}

bool SetEngineerPassword(core::SettingsStore& settings, const QString& password) {
    if (password.isEmpty() || !SodiumReady()) return false;
    const QByteArray bytes = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    // The interactive costs: an answer at the bench within a fraction of a second, each guess as dear.
    if (crypto_pwhash_str_alg(hash, bytes.constData(), quint64(bytes.size()), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return false;
    core::WriteText(settings, core::keys::EngineerPassword, QString::fromLatin1(hash));
    settings.Sync();
    return true;
}

bool CheckEngineerPassword(const core::SettingsStore& settings, const QString& password) {
    const QByteArray stored = core::ReadText(settings, core::keys::EngineerPassword).toLatin1();
    // Only an Argon2id string is taken: a hand-edited value of another kind opens nothing.
    if (!stored.startsWith("$argon2id$") || stored.size() >= crypto_pwhash_STRBYTES || !SodiumReady())
        return false;
    const QByteArray bytes = password.toUtf8();
    return crypto_pwhash_str_verify(stored.constData(), bytes.constData(), quint64(bytes.size())) == 0;
}

}  // namespace zendra::shell
