#pragma once
// One program instance: the real windows (offscreen), the writer's port scripted on a fake clock, and
// every modal dialog, box and file chooser answered by the test.

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include "FakeTiming.h"
#include "ScriptedPort.h"
#include "TestEnvironment.h"
#include "VirtualWriterPort.h"
#include "shell/Application.h"
#include "shell/FrmCom.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/SettingsPanel.h"
#include "shell/WindowsUserInterface.h"

namespace zendra::test {

inline QSettings ProgramSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, core::kApplicationTitle,
                     core::kApplicationTitle);
}

inline void SetSettings(std::initializer_list<std::pair<QString, QString>> values, bool clear = true) {
    QSettings settings = ProgramSettings();
    if (clear) settings.clear();
    for (const auto& [key, value] : values) settings.setValue("Settings/" + key, value);
}

inline QString ProgramSetting(const QString& key) {
    return ProgramSettings().value("Settings/" + key, "<absent>").toString();
}

// A user's pick in a list: the entry becomes current and the list reports the activation.
inline void Pick(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

inline bool Erased(const image::MemoryImages& images) {
    const auto ff = [](quint8 b) { return b == 0xFF; };
    return std::ranges::all_of(images.ProgramImage, ff) && std::ranges::all_of(images.EepromImage, ff);
}

struct AppHarness {
    FakeTiming timing;
    ScriptedPort port{timing};
    bool realPort = false;  // the program's own serial adapter and clock instead
    link::SerialPort* writerPort = nullptr;  // instead of the scripted port, on the same fake clock
    // The in-process virtual writer and its port, once UseVirtualWriter() chose them; declared before the
    // program, so the program goes first.
    virtualwriter::WriterModel model;
    std::unique_ptr<virtualwriter::VirtualWriterPort> virtualPort;
    void UseVirtualWriter() {
        virtualPort = std::make_unique<virtualwriter::VirtualWriterPort>(model, timing);
        writerPort = virtualPort.get();
    }
    QStringList modals;     // object names of the modal dialogs run, in order
    // Answers a modal dialog; by default the port dialog is cancelled and anything else rejected.
    std::function<void(QDialog&)> answerModal = [](QDialog& dialog) {
        if (auto* com = qobject_cast<shell::FrmCom*>(&dialog)) return com->Command_cancel->click();
        dialog.reject();
    };
    // The locale the language follows while none is stored: Japanese unless a test says otherwise.
    QString locale = QStringLiteral("ja_JP");
    QStringList boxes;
    int fileRequests = 0, ended = 0;
    std::unique_ptr<shell::Application> app;
    shell::Application::StartResult started = shell::Application::StartResult::Started;

    bool Start(const QString& appDir) {
        shell::StartupOptions setup;
        setup.appDir = appDir;
        if (!realPort) setup.port = writerPort ? writerPort : &port, setup.timing = &timing;
        setup.detectPorts = [] { return QList<link::DetectedPort>{{"/dev/ttyFAKE0", {}}}; };
        setup.makeUpdatePort = [this] { return std::make_unique<ScriptedPort>(timing); };
        setup.probePort = [](const QString&) { return link::PortProbe{}; };  // the fake port always opens
        setup.runModal = [this](QDialog& dialog) {
            modals << dialog.objectName();
            answerModal(dialog);
            return dialog.result();
        };
        setup.prepareUi = [this](shell::WindowsUserInterface& ui) {
            ui.SetStepInterval(core::Duration(0));  // every step reaches the window, so a test can act on one
            ui.boxHook = [this](auto, const QString& title, const QString& text, auto) {
                return boxes << title + '|' + text, core::MessageAnswer::Ok;
            };
            ui.fileHook = [this](auto&, bool) { return ++fileRequests, std::optional<QString>(); };
        };
        setup.onEnded = [this] { ++ended; };
        setup.localeName = [this] { return locale; };
        app = std::make_unique<shell::Application>(std::move(setup));
        started = app->Start();
        return started == shell::Application::StartResult::Started;
    }

    shell::FrmMain& Main() { return app->MainWindow(); }
    shell::SettingsPanel& Panel() { return *Main().Panel(); }
    QString Result() { return Main().StatusPanel(1)->text(); }
    QString ScratchFile(const QString& name) const { return app->State().ScratchDir + name; }
    QString Message() {
        shell::FrmMsg* window = app->Ui().Messages().Window();
        return window && window->isVisible() ? window->txtMsg->text() : "<closed>";
    }
};

}  // namespace zendra::test
