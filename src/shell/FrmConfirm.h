#pragma once
// The confirmation before a lock/fuse write that locks the chip out or protects it: each changed field
// with the choice the chip holds and the one to write, the risky rows marked and explained. Cancel is
// the default, so Enter or Escape write nothing.

#include <QDialog>

#include "core/UserInterface.h"

class QPushButton;
class QTableWidget;

namespace zendra::shell {

class FrmConfirm final : public QDialog {
    Q_OBJECT
public:
    FrmConfirm(const QList<core::ChangeRow>& rows, QWidget* parent = nullptr);

    QTableWidget* Changes = nullptr;
    QPushButton* Command_write = nullptr;
    QPushButton* Command_cancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace zendra::shell
