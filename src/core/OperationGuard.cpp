#include "OperationGuard.h"

#include "UserInterface.h"

namespace zendra::core {

std::optional<OperationGuard::Hold> OperationGuard::TryEnterOrRefuse(Progress& progress) {
    auto hold = TryEnter();
    if (!hold) progress.Status(StatusField::Result, kBusyText);
    return hold;
}

}  // namespace zendra::core
