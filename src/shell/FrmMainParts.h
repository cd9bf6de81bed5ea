#pragma once

#include <QMdiSubWindow>

namespace zendra::shell {

// The main window's files share it: placing a child and tiling both bring it out of its icon first.
inline void ShowNormalIfNeeded(QMdiSubWindow* child) {
    if (child->isMinimized() || child->isMaximized()) child->showNormal();
}

}  // namespace zendra::shell
