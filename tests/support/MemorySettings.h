#pragma once
// A settings store held in memory, for logic tests that need no file.

#include <QHash>

#include "core/Settings.h"

namespace zendra::test {

class MemorySettings final : public core::SettingsStore {
public:
    QHash<QString, QString> values;  // "Section/key" -> text
    QString Read(const QString& section, const QString& key, const QString& fallback) const override {
        return values.value(section + QLatin1Char('/') + key, fallback);
    }
    void Write(const QString& section, const QString& key, const QString& value) override {
        values.insert(section + QLatin1Char('/') + key, value);
    }
};

}  // namespace zendra::test
