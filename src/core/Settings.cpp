#include "Settings.h"

#include <QSettings>
#include <cmath>

namespace zendra::core {

IniSettingsStore::IniSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kApplicationTitle,
                                             kApplicationTitle)) {}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::Read(const QString& section, const QString& key, const QString& fallback) const {
    const QVariant value = m_settings->value(section + QLatin1Char('/') + key);
    return value.isValid() ? value.toString() : fallback;
}

void IniSettingsStore::Write(const QString& section, const QString& key, const QString& value) {
    m_settings->setValue(section + QLatin1Char('/') + key, value);
}

void IniSettingsStore::Sync() { m_settings->sync(); }

QString IniSettingsStore::FilePath() const { return m_settings->fileName(); }

int ReadInt(const SettingsStore& store, const IntKey& key) { return ReadInt(store, key, key.defaultValue); }

int ReadInt(const SettingsStore& store, const IntKey& key, int defaultOverride) {
    const QString text =
        store.Read(QString::fromLatin1(key.section), QString::fromLatin1(key.key), QString());
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < key.minimum || value > key.maximum) return defaultOverride;
    return value;
}

void WriteInt(SettingsStore& store, const IntKey& key, int value) {
    store.Write(QString::fromLatin1(key.section), QString::fromLatin1(key.key), QString::number(value));
}

double ReadReal(const SettingsStore& store, const RealKey& key) {
    const QString text =
        store.Read(QString::fromLatin1(key.section), QString::fromLatin1(key.key), QString());
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);  // C locale: the point is always '.'
    if (!ok || !std::isfinite(value) || std::fabs(value) > 1.0e7) return key.defaultValue;
    return value;
}

void WriteReal(SettingsStore& store, const RealKey& key, double value) {
    // Single precision, as the values were always kept; whole twips are written without a fraction.
    const float single = static_cast<float>(value);
    store.Write(QString::fromLatin1(key.section), QString::fromLatin1(key.key),
                QString::number(static_cast<double>(single), 'g', 7));
}

QString ReadText(const SettingsStore& store, const TextKey& key) {
    return store.Read(QString::fromLatin1(key.section), QString::fromLatin1(key.key),
                      QString::fromUtf8(key.defaultValue));
}

void WriteText(SettingsStore& store, const TextKey& key, const QString& value) {
    store.Write(QString::fromLatin1(key.section), QString::fromLatin1(key.key), value);
}

}  // namespace zendra::core
