#pragma once
// The one door from the logic to the windows. The shell implements it with widgets;
// tests implement it with a recorder that keeps every call in order.

#include <QString>
#include <QStringList>
#include <optional>

namespace zendra::core {

// The drop-down choices of the lock/fuse panel.
enum class PanelControl { CKSEL, SUT, BODEN, BODLEVEL, RSTDISABL, EESAVE, CKOPT, PLLCK, FSTRT, RCEN, LockBit };
inline constexpr int kPanelControlCount = 11;

enum class DumpWindow { Program, Eeprom, Verify };

enum class MessageIcon { Critical, Information };
enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

// ShowMessage kinds.
inline constexpr int kMessageProgress = 0;  // text, no button
inline constexpr int kMessageNotice = 1;    // text with OK, bar hidden, focus on OK

struct FileDialogRequest {
    QString title;
    QString filter;          // Qt form: "Hex File (*.hex *.rom);;All Files (*)"
    QString defaultSuffix;   // "hex", or empty
    QString presetName;      // file name shown in the name box, or empty
    QString startDirectory;  // empty: the chooser's own default
};

class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Status bar panels 1..5 of the main window.
    virtual void SetStatusPanel(int panel, const QString& text) = 0;

    // Message window (frmMsg). Every call creates and shows the window when it is closed.
    virtual void ShowMessage(int kind, const QString& text) = 0;
    virtual void ReportProgress(const QString& state, int minimum, int value, int maximum) = 0;
    virtual void CloseMessage() = 0;
    virtual void SetMessageText(const QString& text) = 0;  // direct change; opens the window
    virtual void SetMessageOkVisible(bool visible) = 0;    // Cmd_okm
    virtual void SetMessageBarVisible(bool visible) = 0;   // ProgBar

    // A modal box; returns Ok for a box without Cancel.
    virtual MessageAnswer ShowMessageBox(MessageIcon icon, const QString& title, const QString& text,
                                         MessageButtons buttons) = 0;

    // Processes pending window events once.
    virtual void PumpEvents() = 0;

    // File choosers; nullopt when the user cancelled.
    virtual std::optional<QString> ChooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> ChooseSaveFile(const FileDialogRequest& request) = 0;

    // Device selector (Combo_device).
    virtual QString DeviceSelectorText() const = 0;

    // Lock/fuse panel. Fill and set run with signals blocked: they never run a handler.
    virtual void FillPanelControl(PanelControl control, const QStringList& entries, int index,
                                  bool enabled) = 0;
    virtual int PanelIndex(PanelControl control) const = 0;
    virtual void SetPanelIndex(PanelControl control, int index) = 0;
    virtual void SetLockChoiceState(bool visible, bool readEnabled, bool writeEnabled) = 0;
    virtual void SetCalibrationText(const QString& text) = 0;  // Lbl_READCALIB
    virtual void SetFuseFrameVisible(bool visible) = 0;        // Frame2

    // Dump windows: load a text file as plain text, retitle, show the verify window (5600 twips wide).
    virtual void LoadDumpView(DumpWindow window, const QString& filePath) = 0;
    virtual void SetDumpWindowTitle(DumpWindow window, const QString& title) = 0;
    virtual void ShowVerifyWindow() = 0;
};

}  // namespace zendra::core
