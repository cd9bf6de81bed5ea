#include "shell/StationFilesPanel.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/Language.h"
#include "shell/LiveText.h"
#include "shell/StationGate.h"

namespace zendra::shell {

namespace {
// Often enough that a rebuilt file is noticed before the next chip; a file is hashed only when its time
// or size moved.
constexpr int kFileLookMs = 1000;
}  // namespace

StationFilesPanel::StationFilesPanel(production::StationFiles files, StationGate* gate, const QString& setupPath,
                                     std::function<std::optional<QList<production::FileDigest>>()> reload,
                                     QWidget* parent)
    : QWidget(parent), m_files(std::move(files)), m_gate(gate), m_setupPath(setupPath), m_reload(std::move(reload)) {
    setObjectName(QStringLiteral("pnlStationFiles"));
    tblFiles = new QTableWidget(0, 6, this);
    tblFiles->setObjectName(QStringLiteral("tblFiles"));
    tblFiles->verticalHeader()->hide();
    tblFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    // The start keys belong to the tiles: the table never takes the focus from them.
    tblFiles->setFocusPolicy(Qt::NoFocus);
    tblFiles->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    tblFiles->setMaximumHeight(110);
    lblFilesNotice = new QLabel(this);
    lblFilesNotice->setObjectName(QStringLiteral("lblFilesNotice"));
    lblFilesNotice->setWordWrap(true);
    lblLockState = new QLabel(this);
    lblLockState->setObjectName(QStringLiteral("lblLockState"));
    const auto button = [this](const char* name, const QString& caption) {
        auto* b = WithText(new QPushButton(this), caption);
        b->setObjectName(QString::fromLatin1(name));
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    btnAccept = button("btnAccept", texts::kFilesAccept);
    btnReload = button("btnReload", texts::kFilesReload);
    btnLock = button("btnLock", texts::kStationLock);
    btnUnlock = button("btnUnlock", texts::kStationUnlock);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAccept);
    buttons->addWidget(btnReload);
    buttons->addStretch();
    buttons->addWidget(lblLockState);
    buttons->addWidget(btnLock);
    buttons->addWidget(btnUnlock);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tblFiles);
    layout->addWidget(lblFilesNotice);
    layout->addLayout(buttons);

    // Accepting and reloading change what the chips get: an engineer's, so refused while locked.
    connect(btnAccept, &QPushButton::clicked, this, [this] {
        if (m_gate && m_gate->Refuses()) return;
        for (const QString& path : m_files.Unaccepted()) m_files.Accept(path);
        Show();
    });
    connect(btnReload, &QPushButton::clicked, this, [this] {
        if (m_gate && m_gate->Refuses()) return;
        if (const auto loaded = m_reload()) m_files.Reloaded(*loaded);
        Show();
    });
    connect(btnLock, &QPushButton::clicked, this, [this] {
        if (m_gate) m_gate->LockTo(m_setupPath);
        Show();
    });
    connect(btnUnlock, &QPushButton::clicked, this, [this] {
        if (m_gate) m_gate->Unlock();
        Show();
    });
    m_look.setInterval(kFileLookMs);
    connect(&m_look, &QTimer::timeout, this, &StationFilesPanel::Refresh);
    m_look.start();
    Show();
}

void StationFilesPanel::Refresh() {
    if (m_files.Refresh()) Show();
}

void StationFilesPanel::Show() {
    const QList<production::StationFile>& files = m_files.Files();
    tblFiles->setRowCount(int(files.size()));
    tblFiles->setHorizontalHeaderLabels({core::Translate(texts::kFilesRole), core::Translate(texts::kFilesPath),
                                         core::Translate(texts::kFilesPinned), core::Translate(texts::kFilesLoaded),
                                         core::Translate(texts::kFilesTime), core::Translate(texts::kFilesState)});
    QStringList stopped, changed;
    for (int row = 0; row < files.size(); ++row) {
        const production::StationFile& f = files.at(row);
        const QString& state = f.ChangedSinceLoaded()  ? texts::kFileChangedOnDisk
                               : !f.DiffersFromSetup() ? texts::kFileAsSetup
                               : f.accepted            ? texts::kFileAccepted
                                                       : texts::kFileUnaccepted;
        if (f.DiffersFromSetup() && !f.accepted) stopped << QFileInfo(f.path).fileName();
        if (f.ChangedSinceLoaded()) changed << QFileInfo(f.path).fileName();
        const QStringList cells{f.role, f.path, production::ShortSha256(f.pinned), production::ShortSha256(f.loaded),
                                QLocale().toString(f.modified.toLocalTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                core::Translate(state)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells.at(column));
            if (column == 1) item->setToolTip(f.path);
            if (column == 5 && (f.ChangedSinceLoaded() || (f.DiffersFromSetup() && !f.accepted)))
                item->setForeground(QColor(0xc6, 0x28, 0x28));
            tblFiles->setItem(row, column, item);
        }
    }
    tblFiles->resizeColumnsToContents();
    QStringList notices;
    if (!stopped.isEmpty()) notices << core::Compose(texts::kFilesStopped, {stopped.join(QStringLiteral(", "))});
    if (!changed.isEmpty()) notices << core::Compose(texts::kFilesChangedOnDisk, {changed.join(QStringLiteral(", "))});
    ShowText(lblFilesNotice, notices.isEmpty() ? QString() : core::JoinTexts(notices, QStringLiteral("\n")));
    lblFilesNotice->setStyleSheet(notices.isEmpty() ? QString() : QStringLiteral("color:#c62828;"));
    btnAccept->setEnabled(!stopped.isEmpty());
    const bool locked = m_gate && m_gate->Locked();
    const QString by = m_gate ? m_gate->Facts().unlockedBy : QString();
    ShowText(lblLockState, locked ? core::Compose(texts::kLockStateLocked, {by.isEmpty() ? QStringLiteral("-") : by})
                                  : texts::kLockStateOpen);
    btnLock->setEnabled(m_gate && !locked);
    btnUnlock->setEnabled(locked);
}

}  // namespace zendra::shell
