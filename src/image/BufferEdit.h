#pragma once
// The buffer-edit panel (frmModify): read or change one program word or one EEPROM byte of the images.
// The panel's widgets stay in the shell; these routines take the texts and report what to show.

#include <QString>
#include <optional>

#include "core/SharedState.h"
#include "core/UserInterface.h"
#include "image/MemoryImages.h"

namespace zendra::image {

inline constexpr int kBufferEditMaxChars = 4;  // both boxes: longer input would be silently cut

struct BufferEditInput {
    QString address;   // txtAddress
    QString data;      // txtData
    bool program = true;  // OptionProgram (else OptionEeprom)
};

// One cell as a write through the panel changed it, so the change can be taken back and done again.
struct CellChange {
    bool program = true;
    int offset = 0;             // of the cell's first byte in its image
    QByteArray before, after;   // a word's two bytes (high first) or an EEPROM byte
};

// Validates the address; when showData, returns the text for txtData. Notices go to the message window.
std::optional<QString> ReadBufferCell(core::UserInterface& ui, core::SharedState& state, const MemoryImages& images,
                                      const BufferEditInput& input, bool showData);
// Stores txtData into the addressed cell and redraws the affected dump; nullopt when refused.
std::optional<CellChange> WriteBufferCell(core::UserInterface& ui, core::SharedState& state, MemoryImages& images,
                     const BufferEditInput& input);
// Puts the cell's bytes before (undo) or after the change back into its image and redraws its dump.
void ApplyCellChange(core::UserInterface& ui, const core::SharedState& state, MemoryImages& images,
                     const CellChange& change, bool undo);

}  // namespace zendra::image
