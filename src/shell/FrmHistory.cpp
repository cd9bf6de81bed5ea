#include "shell/FrmHistory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "core/Language.h"
#include "devices/Encodings.h"
#include "operations/Job.h"
#include "production/StoreLocation.h"
#include "shell/OperationThread.h"
#include "shell/ShellTexts.h"
#include "shell/YieldView.h"

namespace zendra::shell {

// --- History -------------------------------------------------------------------------------------------

namespace {
// Where a row keeps its record's series and time, for the summary's choice.
constexpr int kSeriesRole = Qt::UserRole;
constexpr int kTimeRole = Qt::UserRole + 1;
}  // namespace

FrmHistory::FrmHistory(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmHistory"));
    ShowText(this, texts::kHistoryTitle, TextSlot::WindowTitle);
    auto* filterLabel = WithText(new QLabel(this), texts::kHistoryFilter);
    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setClearButtonEnabled(true);
    lstHistory = new QTreeWidget(this);
    lstHistory->setObjectName(QStringLiteral("lstHistory"));
    lstHistory->setRootIsDecorated(false);
    lstHistory->setUniformRowHeights(true);
    lstHistory->setColumnCount(int(std::size(texts::kHistoryColumns)));
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setWordWrap(true);
    lblProblem->hide();
    yield = new YieldView(this);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(txtFilter, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(filterRow);
    layout->addWidget(lblProblem);
    layout->addWidget(yield);
    layout->addWidget(lstHistory, 1);
    connect(txtFilter, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
    connect(yield, &YieldView::queryChanged, this, [this] { ApplyFilter(); });
    ShowInCurrentLanguage();
}

void FrmHistory::ShowInCurrentLanguage() {
    QStringList headers;
    for (const QString& column : texts::kHistoryColumns) headers << core::Translate(column);
    lstHistory->setHeaderLabels(headers);
    yield->ShowInCurrentLanguage();
}

void FrmHistory::Reload(const QString& store) {
    struct Reading {
        production::StoreResult result;
        QList<production::ChipRecord> records;
    };
    const int ticket = ++m_ticket;
    ReadOffWindowsThread<Reading>(
        this,
        [store] {
            Reading reading;
            reading.result = operations::ReadHistory(store, reading.records);
            return reading;
        },
        [this, store, ticket](const Reading& reading) {
            if (ticket == m_ticket) Present(store, reading.result, reading.records);
        });
}

void FrmHistory::Present(const QString& store, const production::StoreResult& read,
                         const QList<production::ChipRecord>& records) {
    lblProblem->setVisible(!read.Ok());
    if (!read.Ok()) ShowText(lblProblem, core::Compose(texts::kHistoryUnreadable, {read.detail}));
    lstHistory->clear();
    QList<QTreeWidgetItem*> rows;
    QSet<QString> series;
    for (const production::ChipRecord& r : records) {
        QStringList files;
        for (const production::FileDigest& file : r.files) files << file.path;
        if (!r.series.isEmpty()) series.insert(r.series);
        const QString device = r.lockState == QLatin1String("locked")       ? core::Translate(texts::kHistoryLocked)
                               : r.lockState == QLatin1String("was-locked") ? core::Translate(core::Compose(
                                                                                  texts::kHistoryWasLocked, {r.device}))
                                                                            : core::Translate(r.device);
        const QString serial = !r.serial        ? QString()
                               : r.firstRecord ? core::Translate(core::Compose(texts::kHistoryKeptSerial,
                                                                               {QString::number(*r.serial),
                                                                                QString::number(*r.firstRecord)}))
                                               : QString::number(*r.serial);
        rows << new QTreeWidgetItem(QStringList{
            r.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), r.bench, r.port,
            device, r.command, serial,
            production::ShownVerdict(r), r.calibration ? devices::CalibrationText(*r.calibration) : QString(),
            files.join(QStringLiteral(", "))});
        rows.last()->setData(0, kSeriesRole, r.series);
        rows.last()->setData(0, kTimeRole, r.time);
    }
    lstHistory->addTopLevelItems(rows);
    QStringList names = series.values();
    names.sort();
    yield->Show(store, names);
    for (int c = 0; c < lstHistory->columnCount() - 1; ++c) lstHistory->resizeColumnToContents(c);
    ApplyFilter();
}

void FrmHistory::ApplyFilter() {
    const QString wanted = txtFilter->text().trimmed();
    const production::YieldQuery chosen = yield->Query();
    for (int i = 0; i < lstHistory->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lstHistory->topLevelItem(i);
        const QDateTime time = row->data(0, kTimeRole).toDateTime();
        if ((!chosen.series.isEmpty() && row->data(0, kSeriesRole).toString() != chosen.series) ||
            (chosen.since.isValid() && time < chosen.since) || (chosen.until.isValid() && time >= chosen.until)) {
            row->setHidden(true);
            continue;
        }
        bool shown = wanted.isEmpty();
        for (int c = 0; c < row->columnCount() && !shown; ++c)
            shown = row->text(c).contains(wanted, Qt::CaseInsensitive);
        row->setHidden(!shown);
    }
}

}  // namespace zendra::shell
