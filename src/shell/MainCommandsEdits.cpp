#include "shell/MainCommands.h"

#include <QAction>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <tuple>
#include <utility>

#include "core/BoundedFile.h"
#include "core/Language.h"
#include "devices/Catalogue.h"
#include "image/BufferEdit.h"
#include "image/Dumps.h"
#include "image/ImageTexts.h"
#include "image/IntelHex.h"
#include "operations/Flows.h"
#include "operations/OperationTexts.h"
#include "operations/UsedPart.h"
#include "operations/VerifyLog.h"
#include "production/BenchSetup.h"
#include "shell/DialogProduction.h"
#include "shell/FrmCom.h"
#include "shell/FrmDump.h"
#include "shell/FrmIndex.h"
#include "shell/FrmLog.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/LiveText.h"
#include "shell/MainCommandsParts.h"
#include "shell/OperationThread.h"
#include "shell/SettingsPanel.h"
#include "shell/ShellTexts.h"
#include "shell/WindowsUserInterface.h"

namespace zendra::shell {

using core::PanelControl;
using core::DumpWindow;
namespace keys = core::keys;

// One write of the buffer-edit panel on the undo stack.
class MainCommands::CellEdit final : public QUndoCommand {
public:
    CellEdit(MainCommands& owner, image::CellChange change) : m_owner(owner), m_change(std::move(change)) {}
    bool Program() const { return m_change.program; }
    void undo() override { Apply(true); }
    void redo() override {
        // The panel's write has put the bytes in already when the edit goes on the stack.
        if (!std::exchange(m_fresh, false)) Apply(false);
    }

private:
    void Apply(bool undo) {
        image::ApplyCellChange(m_owner.m_ui, m_owner.m_writer.state, m_owner.m_images, m_change, undo);
    }
    MainCommands& m_owner;
    image::CellChange m_change;
    bool m_fresh = true;
};

void MainCommands::ResetEdits(bool programReplaced, bool eepromReplaced) {
    const std::array<int, 2> savedAt{programReplaced || !Unsaved(true) ? 0 : -1,
                                     eepromReplaced || !Unsaved(false) ? 0 : -1};
    m_edits.clear();
    m_savedAt = savedAt;
}

bool MainCommands::Unsaved(bool program) const {
    const int saved = m_savedAt[program ? 0 : 1];
    if (saved < 0) return true;
    const int now = m_edits.index();
    for (int i = std::min(saved, now); i < std::max(saved, now); ++i)
        if (static_cast<const CellEdit*>(m_edits.command(i))->Program() == program) return true;
    return false;
}

// --- Buffer edit and clear -------------------------------------------------------------------------------

void MainCommands::ReadBufferCell(bool showData) {
    if (auto data = image::ReadBufferCell(m_ui, m_writer.state, m_images, m_panel.BufferInput(), showData))
        m_panel.SetBufferData(*data);
}

void MainCommands::WriteBufferCell() {
    std::optional<image::CellChange> change =
        image::WriteBufferCell(m_ui, m_writer.state, m_images, m_panel.BufferInput());
    if (!change) return;
    // The edits undone past a save point go for good, so no index matches that file any more.
    for (int& saved : m_savedAt)
        if (saved > m_edits.index()) saved = -1;
    m_edits.push(new CellEdit(*this, std::move(*change)));
}

void MainCommands::mnuPC_buffer_clear_Click() {
    image::ClearProgramImage(m_images);
    image::ClearEepromImage(m_images);
    ResetEdits(true, true);
    RedrawDumps();
    ApplyDeviceSelection();
    m_ui.Status(core::StatusField::Result, texts::kBufferCleared);
}

}  // namespace zendra::shell
