#pragma once
// The windows as a recorder: every call is kept in order as a line of text, and the visible state
// (panels, message window, lock/fuse panel, dump windows) is kept as the shell would show it.
// Answers for modal boxes and file choosers are queued by the test beforehand.

#include <QHash>
#include <QList>
#include <QQueue>
#include <QStringList>
#include <array>

#include "core/UserInterface.h"

namespace zendra::test {

class RecordingUi final : public core::UserInterface {
public:
    struct Control {
        QStringList entries;
        int index = -1;
        bool enabled = true;
    };
    struct Box {
        core::MessageIcon icon;
        QString title;
        QString text;
        core::MessageButtons buttons;
    };

    // Every call as one line, e.g. "status 1 ｺﾐﾆｭｹｰｼｮﾝ失敗 : Chip Erase e", "message 1 text",
    // "progress ON 0 5 10", "close", "text ...", "ok 1", "bar 0", "box ...", "pump", "dump Program path".
    QStringList calls;
    QStringList CallsStartingWith(const QString& prefix) const;

    std::array<QString, 6> panels{};  // index 1..5
    // Message window as shown.
    bool messageOpen = false;
    QString messageText;
    bool messageOkVisible = false;
    bool messageBarVisible = false;
    int pumps = 0;

    QString deviceText;
    QHash<core::PanelControl, Control> controls;
    bool lockVisible = true, readEnabled = true, writeEnabled = true;
    QString calibrationText;
    bool fuseFrameVisible = true;
    QHash<core::DumpWindow, QString> dumpTitles;
    QHash<core::DumpWindow, QString> dumpFiles;     // the path last loaded
    QHash<core::DumpWindow, QString> dumpContents;  // the text it held when loaded
    int verifyWindowShows = 0;

    QList<Box> boxes;
    QQueue<core::MessageAnswer> boxAnswers;             // empty: Ok
    QQueue<std::optional<QString>> fileAnswers;         // empty: cancelled
    QList<core::FileDialogRequest> fileRequests;
    std::function<void()> onPump;                        // runs inside every PumpEvents

    void SetStatusPanel(int panel, const QString& text) override;
    void ShowMessage(int kind, const QString& text) override;
    void ReportProgress(const QString& state, int minimum, int value, int maximum) override;
    void CloseMessage() override;
    void SetMessageText(const QString& text) override;
    void SetMessageOkVisible(bool visible) override;
    void SetMessageBarVisible(bool visible) override;
    core::MessageAnswer ShowMessageBox(core::MessageIcon icon, const QString& title, const QString& text,
                                       core::MessageButtons buttons) override;
    void PumpEvents() override;
    std::optional<QString> ChooseOpenFile(const core::FileDialogRequest& request) override;
    std::optional<QString> ChooseSaveFile(const core::FileDialogRequest& request) override;
    QString DeviceSelectorText() const override { return deviceText; }
    void FillPanelControl(core::PanelControl control, const QStringList& entries, int index, bool enabled) override;
    int PanelIndex(core::PanelControl control) const override;
    void SetPanelIndex(core::PanelControl control, int index) override;
    void SetLockChoiceState(bool visible, bool readEnabled, bool writeEnabled) override;
    void SetCalibrationText(const QString& text) override;
    void SetFuseFrameVisible(bool visible) override;
    void LoadDumpView(core::DumpWindow window, const QString& filePath) override;
    void SetDumpWindowTitle(core::DumpWindow window, const QString& title) override;
    void ShowVerifyWindow() override;
};

QString PanelControlName(core::PanelControl control);

}  // namespace zendra::test
