#pragma once
// Panel choices as the device tests write them: "CKSEL=2 LockBit=0".

#include <QtTest>
#include "RecordingUi.h"
#include "devices/Encodings.h"

namespace zendra::test {
inline QList<QPair<core::PanelControl, int>> Indexes(const QString& text) {
    QList<QPair<core::PanelControl, int>> pairs;
    for (const QString& item : text.split(u' ', Qt::SkipEmptyParts)) {
        const auto c = devices::ControlByName(item.section(u'=', 0, 0));
        if (!c) qFatal("unknown control in %s", qPrintable(item));
        pairs.append({*c, item.section(u'=', 1).toInt()});
    }
    return pairs;
}
}  // namespace zendra::test
