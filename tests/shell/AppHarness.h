#pragma once
// One program instance for a test: the real windows (offscreen), the writer's port scripted on a fake
// clock, and every modal dialog, box and file chooser answered by the test instead of a person.

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <functional>
#include <memory>

#include "FakeTiming.h"
#include "ScriptedPort.h"
#include "core/Settings.h"
#include "shell/Application.h"
#include "shell/FrmCom.h"
#include "shell/WidgetUi.h"

namespace zendra::test {

// The settings file of the program, as QSettings sees it in this process.
inline QSettings ProgramSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, core::kApplicationTitle,
                     core::kApplicationTitle);
}

inline void ClearProgramSettings() {
    QSettings settings = ProgramSettings();
    settings.clear();
    settings.sync();
}

inline void WriteProgramSetting(const QString& key, const QString& value) {
    QSettings settings = ProgramSettings();
    settings.setValue(QStringLiteral("Settings/") + key, value);
    settings.sync();
}

inline QString ProgramSetting(const QString& key) {
    QSettings settings = ProgramSettings();
    settings.sync();
    return settings.value(QStringLiteral("Settings/") + key, QStringLiteral("<absent>")).toString();
}

// A user's pick in a list: the entry becomes current and the list reports the activation.
inline void Pick(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

struct AppHarness {
    FakeTiming timing;
    ScriptedPort port{timing};
    QString appDir;
    // The object name of every modal dialog as it was run, in order.
    QStringList modals;
    // Answers a modal dialog; the default cancels the port dialog and rejects anything else.
    std::function<void(QDialog&)> answerModal;
    QStringList boxes;  // "title|text"
    QList<core::FileDialogRequest> fileRequests;
    int ended = 0;
    // The program's own QSerialPort adapter and clock instead of the scripted port and the fake clock.
    bool realPort = false;
    std::unique_ptr<shell::Application> app;

    explicit AppHarness(QString programDir) : appDir(std::move(programDir)) {}

    shell::Application::StartResult Start() {
        shell::ApplicationSetup setup;
        setup.appDir = appDir;
        if (!realPort) {
            setup.port = &port;
            setup.timing = &timing;
        }
        setup.detectPorts = [] {
            return QList<link::DetectedPort>{{QStringLiteral("/dev/ttyFAKE0"), QString()}};
        };
        setup.makeUpdatePort = [this] { return std::make_unique<ScriptedPort>(timing); };
        setup.runModal = [this](QDialog& dialog) {
            modals << dialog.objectName();
            if (answerModal) {
                answerModal(dialog);
            } else if (auto* com = qobject_cast<shell::FrmCom*>(&dialog)) {
                com->Command_cancel->click();
            } else {
                dialog.reject();
            }
            return dialog.result();
        };
        setup.prepareUi = [this](shell::WidgetUi& ui) {
            ui.boxHook = [this](core::MessageIcon, const QString& title, const QString& text,
                                core::MessageButtons) {
                boxes << title + QLatin1Char('|') + text;
                return core::MessageAnswer::Ok;
            };
            ui.fileHook = [this](const core::FileDialogRequest& request, bool) -> std::optional<QString> {
                fileRequests << request;
                return std::nullopt;
            };
        };
        setup.onEnded = [this] { ++ended; };
        app = std::make_unique<shell::Application>(std::move(setup));
        return app->Start();
    }

    QString ScratchFile(const QString& name) const { return app->State().ScratchDir + name; }
};

}  // namespace zendra::test
