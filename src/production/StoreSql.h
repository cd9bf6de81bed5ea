#pragma once
// What the chip store's files share inside the library: a failed statement as a store result.

#include "production/ChipStore.h"

#include <optional>

class QSqlDatabase;
class QSqlError;

namespace zendra::production {

StoreResult FromError(const QSqlError& error);
// Inside a transaction: the lowest number of the series whose every run ended before its bytes were sent.
StoreResult ReusableNumber(const QSqlDatabase& db, const QString& series, std::optional<qint64>& number);

}  // namespace zendra::production
