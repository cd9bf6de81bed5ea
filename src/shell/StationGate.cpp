#include "shell/StationGate.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include "core/Language.h"
#include "core/Settings.h"
#include "core/Timing.h"
#include "core/UserInterface.h"
#include "shell/EngineerPassword.h"
#include "shell/LiveText.h"
#include "shell/OperationThread.h"

namespace zendra::shell {

DialogPassword::DialogPassword(bool setting, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgEngineerPassword"));
    ShowText(this, texts::kPasswordTitle, TextSlot::WindowTitle);
    auto* form = new QFormLayout;
    const auto field = [this, form](const char* name, const QString& label) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setEchoMode(QLineEdit::Password);
        edit->setMinimumWidth(240);
        form->addRow(WithText(new QLabel(this), label), edit);
        return edit;
    };
    txtPassword = field("txtPassword", setting ? texts::kPasswordNew : texts::kPasswordAsk);
    if (setting) txtAgain = field("txtAgain", texts::kPasswordAgain);
    Command_ok = WithText(new QPushButton(this), texts::kPasswordOk);
    Command_ok->setObjectName(QStringLiteral("Command_ok"));
    Command_ok->setDefault(true);
    Command_cancel = WithText(new QPushButton(this), texts::kPasswordCancel);
    Command_cancel->setObjectName(QStringLiteral("Command_cancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command_ok);
    buttons->addWidget(Command_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(Command_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Command_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

StationGate::StationGate(core::SettingsStore& settings, core::Timing& timing, core::UserInterface& ui,
                         QWidget* parent, std::function<int(QDialog&)> runModal)
    : m_settings(settings), m_timing(timing), m_ui(ui), m_parent(parent), m_runModal(std::move(runModal)) {}

std::optional<QString> StationGate::AskPassword(bool setting) {
    DialogPassword dialog(setting, m_parent);
    if (m_runModal(dialog) != QDialog::Accepted) return std::nullopt;
    if (setting && dialog.txtPassword->text() != dialog.txtAgain->text()) {
        m_ui.Status(core::StatusField::Result, texts::kPasswordsDiffer);
        return std::nullopt;
    }
    return dialog.txtPassword->text();
}

bool StationGate::LockTo(const QString& setupPath) {
    if (m_lock.Locked()) return true;
    if (m_asking) return false;
    if (!EngineerPasswordSet(m_settings)) {
        m_asking = true;
        const std::optional<QString> password = AskPassword(true);
        bool kept = false;
        // Hashing takes tens of milliseconds and 64 MiB: the windows keep painting meanwhile.
        if (password && !password->isEmpty())
            RunOffWindowsThread([&] { kept = SetEngineerPassword(m_settings, *password); });
        m_asking = false;
        if (password && !kept) m_ui.Status(core::StatusField::Result, texts::kPasswordNotKept);
        if (!kept) return false;
    }
    m_lock.Lock(setupPath);
    m_ui.Status(core::StatusField::Result, core::Compose(texts::kStationLockedTo, {QFileInfo(setupPath).fileName()}));
    return true;
}

bool StationGate::Unlock() {
    if (!m_lock.Locked()) return true;
    // A second request while one is answered (a close clicked during the wait) is the same request.
    if (m_asking) return false;
    m_asking = true;
    if (const auto left = m_lock.WaitLeft(m_timing.Now()); left.count() > 0) m_timing.RunEventsFor(left);
    const std::optional<QString> password = AskPassword(false);
    bool right = false;
    if (password) RunOffWindowsThread([&] { right = CheckEngineerPassword(m_settings, *password); });
    if (password && !right) {
        // The answer comes only after the wait, which grows with every wrong password in a row.
        m_timing.RunEventsFor(m_lock.Refused(m_timing.Now()));
        m_ui.Status(core::StatusField::Result, texts::kPasswordWrong);
    }
    m_asking = false;
    if (!right) return false;
    m_lock.Opened(QSysInfo::machineHostName());
    m_ui.Status(core::StatusField::Result, texts::kStationUnlocked);
    return true;
}

bool StationGate::Refuses() {
    if (!m_lock.Locked()) return false;
    m_ui.Status(core::StatusField::Result, texts::kStationLocked);
    return true;
}

}  // namespace zendra::shell
