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

// Validates the address; when showData, returns the text for txtData. Notices go to the message window.
std::optional<QString> ReadBufferCell(core::UserInterface& ui, core::SharedState& state, const MemoryImages& images,
                                      const BufferEditInput& input, bool showData);
// Stores txtData into the addressed cell and redraws the affected dump; false when refused.
bool WriteBufferCell(core::UserInterface& ui, core::SharedState& state, MemoryImages& images,
                     const BufferEditInput& input);

}  // namespace zendra::image
