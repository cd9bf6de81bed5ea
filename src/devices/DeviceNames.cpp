#include "devices/DeviceNames.h"

#include <QStringList>
#include <algorithm>

#include "core/Language.h"

namespace zendra::devices {

namespace {

// The catalogue name and, in English, its translation.
QStringList SpellingsOf(const Device& device) {
    QStringList names{device.Name()};
    if (const QString shown = core::Translate(names.first()); shown != names.first()) names << shown;
    return names;
}

// Letters to change, add or remove to turn one text into the other.
int LetterDistance(const QString& a, const QString& b) {
    QList<int> row(b.size() + 1);
    for (int j = 0; j <= b.size(); ++j) row[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

const Device* DeviceNamed(const QString& text) {
    for (const Device& device : DeviceTable())
        for (const QString& name : SpellingsOf(device))
            if (name.compare(text, Qt::CaseInsensitive) == 0) return &device;
    return nullptr;
}

const Device* NearestDevice(const QString& text) {
    // Farther than half the name is no longer a slip of the keyboard.
    int best = int(text.size() / 2) + 1;
    const Device* nearest = nullptr;
    for (const Device& device : DeviceTable()) {
        for (const QString& name : SpellingsOf(device)) {
            const int distance = LetterDistance(name.toCaseFolded(), text.toCaseFolded());
            if (distance < best) {
                best = distance;
                nearest = &device;
            }
        }
    }
    return nearest;
}

}  // namespace zendra::devices
