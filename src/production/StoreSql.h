#pragma once
// What the chip store's files share inside the library: a failed statement as a store result.

#include "production/ChipStore.h"

class QSqlError;

namespace zendra::production {

StoreResult FromError(const QSqlError& error);

}  // namespace zendra::production
