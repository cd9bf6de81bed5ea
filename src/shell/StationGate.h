#pragma once
// The windows' side of a station locked to its job: the engineer's password asked in a small dialog (set
// at the first lock), checked off the windows' thread, a wrong one answered only after the lock's growing
// wait; and the one refusal every way into the job shows while the lock holds.

#include <QDialog>
#include <QString>
#include <functional>

#include "production/StationLock.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace zendra::core {
class SettingsStore;
class Timing;
class UserInterface;
}  // namespace zendra::core

namespace zendra::shell {

namespace texts {
inline const QString kStationLocked = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ステーションはロックされています。変更にはエンジニアのパスワードでロックを解除してください。"));
inline const QString kPasswordTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "エンジニアのパスワード"));
inline const QString kPasswordAsk = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ロックを解除するパスワード:"));
inline const QString kPasswordNew =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "新しいパスワード (ロックの解除に使います):"));
inline const QString kPasswordAgain = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "もう一度:"));
inline const QString kPasswordOk = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "OK"));
inline const QString kPasswordCancel = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "キャンセル"));
inline const QString kPasswordWrong = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "パスワードが違います。"));
inline const QString kPasswordsDiffer =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "二つのパスワードが一致しません。ロックしませんでした。"));
inline const QString kPasswordNotKept =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "パスワードを保存できませんでした。ロックしませんでした。"));
// %1 the setup file.
inline const QString kStationLockedTo = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ステーションを %1 にロックしました。"));
inline const QString kStationUnlocked = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ステーションのロックを解除しました。"));
}  // namespace texts

// The password's dialog: one field to unlock, two to set a new password.
class DialogPassword final : public QDialog {
    Q_OBJECT
public:
    DialogPassword(bool setting, QWidget* parent);
    QLineEdit* txtPassword = nullptr;
    QLineEdit* txtAgain = nullptr;  // only when setting
    QPushButton* Command_ok = nullptr;
    QPushButton* Command_cancel = nullptr;
};

class StationGate {
public:
    StationGate(core::SettingsStore& settings, core::Timing& timing, core::UserInterface& ui, QWidget* parent,
                std::function<int(QDialog&)> runModal);

    bool Locked() const { return m_lock.Locked(); }
    // What each chip's record says of the lock.
    production::StationFacts Facts() const { return m_lock.Facts(); }
    // Locks the station to the setup at `setupPath`. The first lock asks for the engineer's new password
    // (twice); false when none was set.
    bool LockTo(const QString& setupPath);
    // Asks for the password; true when the lock opened (or held nothing). A wrong one keeps it locked.
    bool Unlock();
    // While locked: says so in status panel 1 and returns true, so the caller does nothing.
    bool Refuses();
    // Whether a window of the station may close: unlocked, the program ending, or the password right.
    bool MayClose() { return m_ending || Unlock(); }
    // The program ends (its close was let through, or the system stops it): the windows close unasked.
    void Release() { m_ending = true; }

private:
    std::optional<QString> AskPassword(bool setting);

    core::SettingsStore& m_settings;
    core::Timing& m_timing;
    core::UserInterface& m_ui;
    QWidget* m_parent;
    std::function<int(QDialog&)> m_runModal;
    production::StationLock m_lock;
    bool m_asking = false;
    bool m_ending = false;  // a password dialog or a wrong answer's wait is under way
};

}  // namespace zendra::shell
