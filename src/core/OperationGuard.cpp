#include "OperationGuard.h"

#include "UserInterface.h"

namespace zendra::core {

std::optional<OperationGuard::Hold> OperationGuard::TryEnterOrRefuse(UserInterface& ui) {
    auto hold = TryEnter();
    if (!hold) ui.SetStatusPanel(1, kBusyText);
    return hold;
}

}  // namespace zendra::core
