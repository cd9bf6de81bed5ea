#pragma once
// Facts about the program itself, written once.

#include <QString>

namespace zendra::core {

inline const QString kVersionText = QStringLiteral(ZENDRA_VERSION_TEXT);  // "6.0.60", from the CMake project
// The About box's version label; the main window's caption is "New Zendra " followed by it.
inline const QString kVersionLabel = QStringLiteral("Version ") + kVersionText;
inline const QString kMainCaption = QStringLiteral("New Zendra ") + kVersionLabel;
inline const QString kSupportPageAddress = QStringLiteral("https://www.example.com/kx-wrt540/support/");
// The writer's identification starts with this; the version follows.
inline const QString kWriterIdPrefix = QStringLiteral("KX-WRT540 V");
// The ports the user chooses from: "COM1" to "COM20".
inline constexpr int kComPortCount = 20;

}  // namespace zendra::core
