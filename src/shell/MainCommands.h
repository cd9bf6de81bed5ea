#pragma once
// The main window's commands: the file commands, the writer operations (run with the operation guard,
// their reports rendered into the windows and the program's state), the port dialog, the device
// selection, the lock/fuse choices and the buffer edit.

#include <QDialog>
#include <QTimer>
#include <QUndoStack>
#include <array>
#include <functional>

#include "core/FileWatcher.h"
#include "core/OperationGuard.h"
#include "devices/Encodings.h"
#include "image/BufferEdit.h"
#include "image/FileCommands.h"
#include "image/MemoryImages.h"
#include "operations/Job.h"
#include "production/ChipStore.h"
#include "production/BenchSetup.h"
#include "shell/WriterContext.h"

namespace zendra::shell {

class FrmIndex;
class SettingsPanel;
class WindowsUserInterface;
struct WriterCommand;
enum class PanelCommand;
class FrmMain;

class MainCommands {
public:
    // `guarded` runs a body holding the operation guard (refused while busy); `runModal` runs a dialog;
    // `indexWindow` gives the device index window when it is open.
    MainCommands(FrmMain& main, WindowsUserInterface& ui, WriterContext& writer, image::MemoryImages& images,
                 image::FileDialogMemory& fileDialog, core::OperationGuard& guard,
                 std::function<void(const std::function<void()>&)> guarded,
                 std::function<int(QDialog&)> runModal, std::function<FrmIndex*()> indexWindow);

    // Connects the panel's controls and the menu items that these handlers serve.
    void Wire();

    // The device selection (start-up, the buffer clear and the erase use it too).
    void FillDeviceSelector();
    void ApplyDeviceSelection();
    void frmMain_Combo_device_Click();

    void ShowPortDialog();
    // Opens `path` (and its .eep) as "開く" does with that file chosen, refusals included.
    void OpenFile(const QString& path);
    // A bench setup: its files opened, its device selected, its lock/fuse choices on the panel (`path`
    // empty: the chooser asks); a file changed since it was saved is opened only when the user agrees.
    void OpenSetup(const QString& path = QString());
    // What the windows hold (files, device, panel, port) saved as a setup the command line runs too.
    void SaveSetup();
    // The job the windows hold as a setup: the opened files (absolute, pinned), the device, the lock/fuse
    // panel's choices and the port; no production settings.
    production::BenchSetup HeldSetup() const;
    // The recent code files and setups as stored, newest first, at most kRecentFileCount.
    QStringList RecentFiles() const;
    static constexpr int kRecentFileCount = 8;
    // Applies an operation's report: the error flag, the images and dumps, the verify log, the panel.
    void ApplyReport(const operations::Report& report);
    // The images hold buffer edits that no file has: the dumps' titles say so and quitting asks.
    bool HasUnsavedEdits() const { return Unsaved(true) || Unsaved(false); }
    QUndoStack& Edits() { return m_edits; }
    // A locked station: true (and said so) when the device, a lock/fuse choice or a setup may not change.
    std::function<bool()> stationRefuses;

private:
    // Status panel 1's colour and the notice's icon for the verdict.
    void ShowOutcome(operations::Verdict verdict);

private:
    // Runs on an operation thread of its own while the windows stay live; returns when it has ended. A
    // cancelled run then takes the writer back to its base command set.
    void RunWriterCommand(const WriterCommand& command);
    // The job a command runs, read from the windows; nullopt when the user called it off.
    std::optional<operations::Job> JobOf(const WriterCommand& command, const operations::Target& target);
    // The buffers' SHA-256, for a record of a program run that no file stands for.
    production::FileDigest BufferDigest() const;
    // The open code and EEPROM files as the chip store names them, each with its SHA-256.
    QList<production::FileDigest> FileDigests() const;
    // Status panel 7: the number the next stamped program run takes; hidden without one.
    void ShowNextSerial(std::optional<qint64> next);
    // The series' next number read off the windows' thread, then shown (unless a newer one came meanwhile).
    void ReadNextSerial();
    void ShowProductionDialog();

    // Nullopt when refused because another operation runs.
    std::optional<image::FileOutcome> RunFileCommand(image::FileOutcome (*command)(image::FileContext&));
    // "変更時に自動プログラム": the open files followed; a settled change reloads them and programs.
    void FollowOpenFiles();
    void OnOpenFilesSettled();
    // After a file command: the code file it leaves open (or the setup) heads the recent files.
    void RememberRecentFile(const QString& path);
    // The setup's name after the dump windows' titles; empty: none.
    void ShowSetupName(const QString& name);
    // An opened code file's lock/fuse bytes onto the panel, marked as the file's; a byte that stands for
    // no choice is named in a notice and its field left as it was.
    void ShowFileChoices(const image::FileFuses& fuses);
    // A listing into a file the user chooses (UTF-8, CR LF), or onto the clipboard.
    void SaveListing(const QString& text, const QString& title, const QString& presetName);
    static void CopyListing(const QString& text);
    void OnPanelCommand(PanelCommand command);
    void OnDeviceActivated();
    void OnChoiceActivated(core::PanelControl control);
    void frmMain_Combo_RSTDISABL_Click();
    void RedrawDumps();
    // After the images changed wholesale (a file, a read, a clear): the edits so far can no longer be
    // taken back. An image not replaced keeps its unsaved state.
    void ResetEdits(bool programReplaced, bool eepromReplaced);
    // After any change of the images: the unsaved markers and the checksum panel.
    void ShowImageState();
    bool Unsaved(bool program) const;
    // The verify's differences marked in the dumps; the jump from a line of the verify window to its cell.
    void MarkDifferences(const QList<operations::Difference>& differences);
    void JumpToDifference(int line);
    void ReadBufferCell(bool showData);
    void WriteBufferCell();
    void mnuPC_buffer_clear_Click();
    // The last lock/fuse write's bytes before it, as read, for "元に戻す"; and its operations log line.
    void UndoLockFuse();
    void NoteLockFuseWrite(const operations::Report& report, const devices::Device* device);

    FrmMain& m_main;
    SettingsPanel& m_panel;
    WindowsUserInterface& m_ui;
    WriterContext& m_writer;
    image::MemoryImages& m_images;
    image::FileDialogMemory& m_fileDialog;
    core::OperationGuard& m_guard;
    std::function<void(const std::function<void()>&)> m_guarded;
    std::function<int(QDialog&)> m_runModal;
    std::function<FrmIndex*()> m_indexWindow;
    core::CancelToken m_cancel;
    struct LockFuseUndo {
        const devices::Device* device;
        operations::LockFuseBytes bytes;
    };
    std::optional<LockFuseUndo> m_undo;
    // The setup whose files the buffers hold: its lock/fuse choices, and the edit it was opened at.
    struct OpenedSetup {
        QList<operations::ChoiceChange> choices;
        int editIndex = 0;
    };
    std::optional<OpenedSetup> m_setup;
    class CellEdit;
    QUndoStack m_edits;
    // Per image (program, EEPROM): the stack index at which it matched its file, or -1 when none does.
    std::array<int, 2> m_savedAt{0, 0};
    core::FileWatcher m_watcher;
    QStringList m_followed;  // the open files the watcher was last given
    // The last verify's differences, in the order its window lists them.
    QList<operations::Difference> m_differences;
    int m_serialTicket = 0;   // only the newest next number is shown
    QObject m_storeReadings;  // the readings' way back; gone with the commands
};

}  // namespace zendra::shell
