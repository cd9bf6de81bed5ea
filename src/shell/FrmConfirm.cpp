#include "shell/FrmConfirm.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Language.h"
#include "shell/ShellTexts.h"

namespace zendra::shell {

FrmConfirm::FrmConfirm(const QList<core::ChangeRow>& rows, QWidget* parent) : QDialog(parent) {
    using core::Translate;
    setObjectName(QStringLiteral("frmConfirmLockFuse"));
    setWindowTitle(Translate(texts::kConfirmLockFuseTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Translate(texts::kConfirmLockFuseIntro), this));
    Changes = new QTableWidget(int(rows.size()), 4, this);
    Changes->setObjectName(QStringLiteral("Changes"));
    Changes->setHorizontalHeaderLabels({Translate(texts::kConfirmField), Translate(texts::kConfirmBefore),
                                        Translate(texts::kConfirmAfter), Translate(texts::kConfirmNote)});
    Changes->verticalHeader()->hide();
    Changes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Changes->setWordWrap(true);
    for (int r = 0; r < rows.size(); ++r) {
        const core::ChangeRow& row = rows.at(r);
        // A marked row leads with a sign that needs no colour to be seen.
        const QString field = (row.marked ? QStringLiteral("⚠ ") : QString()) + row.field;
        const QStringList cells{field, Translate(row.before), Translate(row.after), Translate(row.explanation)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            if (row.marked) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            Changes->setItem(r, c, item);
        }
    }
    for (int c = 0; c < 3; ++c) Changes->resizeColumnToContents(c);
    // The explanation wraps in what is left, so it is read without scrolling sideways.
    Changes->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    Changes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Changes->setMinimumSize(720, 160);
    layout->addWidget(Changes);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    Command_write = new QPushButton(Translate(texts::kConfirmWrite), this);
    Command_write->setObjectName(QStringLiteral("Command_write"));
    Command_write->setAutoDefault(false);
    Command_cancel = new QPushButton(Translate(texts::kConfirmCancel), this);
    Command_cancel->setObjectName(QStringLiteral("Command_cancel"));
    Command_cancel->setDefault(true);
    Command_cancel->setFocus();
    buttons->addWidget(Command_write);
    buttons->addWidget(Command_cancel);
    layout->addLayout(buttons);
    connect(Command_write, &QPushButton::clicked, this, &QDialog::accept);
    connect(Command_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmConfirm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Changes->resizeRowsToContents();  // once the columns have their widths
}

}  // namespace zendra::shell
