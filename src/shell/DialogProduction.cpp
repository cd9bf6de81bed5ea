#include "shell/DialogProduction.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <iterator>

#include "core/Language.h"
#include "devices/Encodings.h"
#include "shell/ShellTexts.h"

namespace zendra::shell {

namespace keys = core::keys;

namespace {

const QStringList kMemories{QStringLiteral("eeprom"), QStringLiteral("flash")};
const QStringList kFormats{QStringLiteral("u8"),   QStringLiteral("le16"), QStringLiteral("be16"),
                           QStringLiteral("le32"), QStringLiteral("be32"), QStringLiteral("dec4"),
                           QStringLiteral("dec5"), QStringLiteral("dec6"), QStringLiteral("dec8"),
                           QStringLiteral("dec10")};

std::optional<qint64> Number(const QString& text, qint64 least) {
    bool ok = false;
    const QString t = text.trimmed();
    const bool hex = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    const qint64 value = hex ? t.mid(2).toLongLong(&ok, 16) : t.toLongLong(&ok, 10);
    return ok && value >= least ? std::optional<qint64>(value) : std::nullopt;
}

// A place's memory into its combo and its address into its box.
void ShowPlace(const QString& stored, QComboBox* memory, QLineEdit* address) {
    const auto place = production::ParsePlace(stored);
    memory->setCurrentIndex(place && place->area == production::Area::Flash ? 1 : 0);
    address->setText(place ? production::PlaceText(*place).section(QLatin1Char(':'), 1) : QStringLiteral("0x0"));
}

QString PlaceOf(const QComboBox* memory, const QLineEdit* address) {
    return kMemories.value(memory->currentIndex()) + QLatin1Char(':') + address->text().trimmed();
}

}  // namespace

operations::ProductionSetup ReadProductionSetup(const core::SettingsStore& settings) {
    operations::ProductionSetup setup;
    const auto layout = production::ParseSerialLayout(core::ReadText(settings, keys::StampFormat));
    const auto start = Number(core::ReadText(settings, keys::StampStart), 0);
    const auto step = Number(core::ReadText(settings, keys::StampStep), 1);
    setup.series = core::ReadText(settings, keys::StampSeries);
    if (layout && start && step && !setup.series.isEmpty()) {
        setup.stampAt = production::ParsePlace(core::ReadText(settings, keys::StampAt));
        setup.layout = *layout;
        setup.start = *start;
        setup.step = *step;
    }
    setup.calibrationAt = production::ParsePlace(core::ReadText(settings, keys::CalibrationAt));
    setup.store = core::ReadText(settings, keys::ChipStore).trimmed();
    return setup;
}

DialogProduction::DialogProduction(core::SettingsStore& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setObjectName(QStringLiteral("dlgProduction"));
    ShowText(this, texts::kProductionTitle, TextSlot::WindowTitle);
    setModal(true);
    const auto line = [this](const char* name, const QString& text) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(QString::fromLatin1(name));
        return edit;
    };
    const auto combo = [this](const char* name, const QStringList& items) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->addItems(items);
        return box;
    };
    const auto label = [this](const QString& text) { return WithText(new QLabel(this), text); };

    fraStamp = WithText(new QGroupBox(this), texts::kStampGroup);
    fraStamp->setObjectName(QStringLiteral("fraStamp"));
    fraStamp->setCheckable(true);
    fraStamp->setChecked(!core::ReadText(settings, keys::StampAt).isEmpty());
    cboStampMemory = combo("cboStampMemory", kMemories);
    txtStampAddress = line("txtStampAddress", QString());
    ShowPlace(core::ReadText(settings, keys::StampAt), cboStampMemory, txtStampAddress);
    QStringList formats = kFormats;
    const QString format = core::ReadText(settings, keys::StampFormat);
    if (!formats.contains(format) && production::ParseSerialLayout(format)) formats << format;
    cboStampFormat = combo("cboStampFormat", formats);
    cboStampFormat->setCurrentText(format);
    txtSeries = line("txtSeries", core::ReadText(settings, keys::StampSeries));
    txtStart = line("txtStart", core::ReadText(settings, keys::StampStart));
    txtStep = line("txtStep", core::ReadText(settings, keys::StampStep));
    auto* stampForm = new QFormLayout(fraStamp);
    stampForm->addRow(label(texts::kMemoryLabel), cboStampMemory);
    stampForm->addRow(label(texts::kAddressLabel), txtStampAddress);
    stampForm->addRow(label(texts::kFormatLabel), cboStampFormat);
    stampForm->addRow(label(texts::kSeriesLabel), txtSeries);
    stampForm->addRow(label(texts::kStartLabel), txtStart);
    stampForm->addRow(label(texts::kStepLabel), txtStep);

    fraCalibration = WithText(new QGroupBox(this), texts::kCalibrationGroup);
    fraCalibration->setObjectName(QStringLiteral("fraCalibration"));
    fraCalibration->setCheckable(true);
    fraCalibration->setChecked(!core::ReadText(settings, keys::CalibrationAt).isEmpty());
    cboCalibrationMemory = combo("cboCalibrationMemory", kMemories);
    txtCalibrationAddress = line("txtCalibrationAddress", QString());
    ShowPlace(core::ReadText(settings, keys::CalibrationAt), cboCalibrationMemory, txtCalibrationAddress);
    auto* calibrationForm = new QFormLayout(fraCalibration);
    calibrationForm->addRow(label(texts::kMemoryLabel), cboCalibrationMemory);
    calibrationForm->addRow(label(texts::kAddressLabel), txtCalibrationAddress);

    txtStore = line("txtStore", core::ReadText(settings, keys::ChipStore));
    txtStore->setMinimumWidth(txtStore->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    ShowText(txtStore, texts::kStoreDefault, TextSlot::ToolTip);
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0)"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DialogProduction::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DialogProduction::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraStamp);
    layout->addWidget(fraCalibration);
    layout->addWidget(label(texts::kStoreLabel));
    layout->addWidget(txtStore);
    layout->addWidget(lblProblem);
    layout->addWidget(buttons);
}

QString DialogProduction::Check() {
    const QString stampAt = PlaceOf(cboStampMemory, txtStampAddress);
    const QString calibrationAt = PlaceOf(cboCalibrationMemory, txtCalibrationAddress);
    const auto stamp = production::ParsePlace(stampAt);
    const auto calibration = production::ParsePlace(calibrationAt);
    const auto layout = production::ParseSerialLayout(cboStampFormat->currentText());
    if (fraStamp->isChecked()) {
        if (!stamp) return core::Compose(texts::kBadAddress, {txtStampAddress->text()});
        // Outside every device's images it could never be written; a smaller device refuses it per run.
        if (!production::Fits(*stamp, production::Width(*layout), nullptr))
            return core::Compose(operations::texts::kStampBeyondDevice, {production::PlaceText(*stamp)});
        if (!Number(txtStart->text(), 0) || quint64(*Number(txtStart->text(), 0)) > production::Largest(*layout))
            return core::Compose(texts::kBadNumber, {txtStart->text()});
        if (!Number(txtStep->text(), 1)) return core::Compose(texts::kBadNumber, {txtStep->text()});
        if (txtSeries->text().trimmed().isEmpty()) return core::Compose(texts::kBadNumber, {txtSeries->text()});
    }
    if (fraCalibration->isChecked()) {
        if (!calibration || !production::Fits(*calibration, 1, nullptr))
            return core::Compose(texts::kBadAddress, {txtCalibrationAddress->text()});
        if (fraStamp->isChecked() &&
            production::AnyCovers(production::AddedCells(stamp, *layout, std::nullopt), calibration->area,
                                  calibration->address))
            return texts::kPlacesOverlap;
    }
    return {};
}

void DialogProduction::accept() {
    if (const QString problem = Check(); !problem.isEmpty()) {
        ShowText(lblProblem, problem);
        return;
    }
    core::WriteText(m_settings, keys::StampAt,
                    fraStamp->isChecked() ? production::PlaceText(*production::ParsePlace(PlaceOf(cboStampMemory, txtStampAddress)))
                                          : QString());
    core::WriteText(m_settings, keys::StampFormat, cboStampFormat->currentText());
    core::WriteText(m_settings, keys::StampSeries, txtSeries->text().trimmed());
    core::WriteText(m_settings, keys::StampStart, txtStart->text().trimmed());
    core::WriteText(m_settings, keys::StampStep, txtStep->text().trimmed());
    core::WriteText(m_settings, keys::CalibrationAt,
                    fraCalibration->isChecked()
                        ? production::PlaceText(*production::ParsePlace(PlaceOf(cboCalibrationMemory, txtCalibrationAddress)))
                        : QString());
    core::WriteText(m_settings, keys::ChipStore, txtStore->text().trimmed());
    m_settings.Sync();
    QDialog::accept();
}

// --- History -------------------------------------------------------------------------------------------

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
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(txtFilter, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(filterRow);
    layout->addWidget(lblProblem);
    layout->addWidget(lstHistory, 1);
    connect(txtFilter, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
    ShowInCurrentLanguage();
}

void FrmHistory::ShowInCurrentLanguage() {
    QStringList headers;
    for (const QString& column : texts::kHistoryColumns) headers << core::Translate(column);
    lstHistory->setHeaderLabels(headers);
}

void FrmHistory::Reload(const QString& store) {
    QList<production::ChipRecord> records;
    const production::StoreResult read = operations::ReadHistory(store, records);
    lblProblem->setVisible(!read.Ok());
    if (!read.Ok()) ShowText(lblProblem, core::Compose(texts::kHistoryUnreadable, {read.detail}));
    lstHistory->clear();
    QList<QTreeWidgetItem*> rows;
    for (const production::ChipRecord& r : records) {
        QStringList files;
        for (const production::FileDigest& file : r.files) files << file.path;
        rows << new QTreeWidgetItem(QStringList{
            r.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), r.bench, r.port,
            core::Translate(r.device), r.command, r.serial ? QString::number(*r.serial) : QString(),
            production::ShownVerdict(r), r.calibration ? devices::CalibrationText(*r.calibration) : QString(),
            files.join(QStringLiteral(", "))});
    }
    lstHistory->addTopLevelItems(rows);
    for (int c = 0; c < lstHistory->columnCount() - 1; ++c) lstHistory->resizeColumnToContents(c);
    ApplyFilter();
}

void FrmHistory::ApplyFilter() {
    const QString wanted = txtFilter->text().trimmed();
    for (int i = 0; i < lstHistory->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lstHistory->topLevelItem(i);
        bool shown = wanted.isEmpty();
        for (int c = 0; c < row->columnCount() && !shown; ++c)
            shown = row->text(c).contains(wanted, Qt::CaseInsensitive);
        row->setHidden(!shown);
    }
}

}  // namespace zendra::shell
