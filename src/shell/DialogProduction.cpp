#include "shell/DialogProduction.h"

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
#include "production/StoreLocation.h"
#include "shell/OperationThread.h"
#include "shell/ShellTexts.h"
#include "shell/YieldView.h"

namespace zendra::shell {

namespace keys = core::keys;

namespace {

const QStringList kMemories{QStringLiteral("eeprom"), QStringLiteral("flash")};
const QStringList kFormats{QStringLiteral("u8"),   QStringLiteral("le16"), QStringLiteral("be16"),
                           QStringLiteral("le32"), QStringLiteral("be32"), QStringLiteral("dec4"),
                           QStringLiteral("dec5"), QStringLiteral("dec6"), QStringLiteral("dec8"),
                           QStringLiteral("dec10")};

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

ProductionTexts ReadProductionTexts(const core::SettingsStore& settings) {
    return {core::ReadText(settings, keys::StampAt),     core::ReadText(settings, keys::StampFormat),
            core::ReadText(settings, keys::StampSeries), core::ReadText(settings, keys::StampStart),
            core::ReadText(settings, keys::StampStep),   core::ReadText(settings, keys::CalibrationAt),
            core::ReadText(settings, keys::ChipStore).trimmed(),
            core::ReadText(settings, keys::StampKeep),
            core::ReadText(settings, keys::StampReuseFailed) == QLatin1String("1"),
            core::ReadText(settings, keys::StampList), core::ReadText(settings, keys::StampCommand),
            core::ReadText(settings, keys::StampCommandFolder)};
}

void WriteProductionTexts(core::SettingsStore& settings, const ProductionTexts& texts) {
    core::WriteText(settings, keys::StampAt, texts.stampAt);
    core::WriteText(settings, keys::StampFormat, texts.format);
    core::WriteText(settings, keys::StampSeries, texts.series);
    core::WriteText(settings, keys::StampStart, texts.start);
    core::WriteText(settings, keys::StampStep, texts.step);
    core::WriteText(settings, keys::StampList, texts.list);
    core::WriteText(settings, keys::StampCommand, texts.command);
    core::WriteText(settings, keys::StampCommandFolder, texts.command.isEmpty() ? QString() : texts.commandFolder);
    core::WriteText(settings, keys::CalibrationAt, texts.calibrationAt);
    core::WriteText(settings, keys::ChipStore, production::WithoutPassword(texts.store));  // a setup's too
    core::WriteText(settings, keys::StampKeep, texts.keep);
    core::WriteText(settings, keys::StampReuseFailed, texts.reuseFailed ? QStringLiteral("1") : QString());
    settings.Sync();
}

operations::ProductionSettings ReadProductionSetup(const core::SettingsStore& settings) {
    const ProductionTexts texts = ReadProductionTexts(settings);
    operations::ProductionSettings setup;
    const auto layout = production::ParseSerialLayout(texts.format);
    const auto start = production::ParseNumber(texts.start, 0);
    const auto step = production::ParseNumber(texts.step, 1);
    setup.series = texts.series;
    if (!texts.command.isEmpty() && !setup.series.isEmpty()) {
        // Its bytes are stamped as printed.
        setup.stampAt = production::ParsePlace(texts.stampAt);
        setup.kind = production::SeriesKind::Command;
        setup.command = texts.command;
        setup.commandFolder = texts.commandFolder;
        setup.layout = {.format = production::SerialFormat::U8};
    } else if (layout && !texts.list.isEmpty() && !setup.series.isEmpty()) {
        setup.stampAt = production::ParsePlace(texts.stampAt);
        setup.kind = production::SeriesKind::List;
        setup.listPath = texts.list;
        setup.layout = *layout;
    } else if (layout && start && step && !setup.series.isEmpty()) {
        setup.stampAt = production::ParsePlace(texts.stampAt);
        setup.layout = *layout;
        setup.start = *start;
        setup.step = *step;
        setup.keep = operations::SerialKeepOf(texts.keep);
        setup.reuseFailed = texts.reuseFailed;
    }
    setup.calibrationAt = production::ParsePlace(texts.calibrationAt);
    setup.store = texts.store;
    return setup;
}

void PutProduction(production::BenchSetup& setup, const ProductionTexts& texts, const QString& setupPath) {
    const bool stamps = !texts.stampAt.isEmpty();
    const bool counter = stamps && texts.list.isEmpty() && texts.command.isEmpty();
    setup.serialAt = stamps ? texts.stampAt : QString();
    setup.serialFormat = stamps && texts.command.isEmpty() ? texts.format : QString();
    setup.series = stamps ? texts.series : QString();
    setup.serialStart = counter ? production::ParseNumber(texts.start, 0) : std::nullopt;
    setup.serialStep = counter ? production::ParseNumber(texts.step, 1) : std::nullopt;
    setup.serialKeep = counter ? texts.keep : QString();
    setup.serialReuseFailed = counter && texts.reuseFailed;
    setup.serialList = stamps && !texts.list.isEmpty()
                           ? (setupPath.isEmpty() ? texts.list : production::StoredPath(setupPath, texts.list))
                           : QString();
    setup.serialCommand = stamps ? texts.command : QString();
    setup.calibrationAt = texts.calibrationAt;
    setup.store = setupPath.isEmpty() || texts.store.isEmpty() ? texts.store : production::StoredPath(setupPath, texts.store);
}

ProductionTexts ProductionOf(const production::BenchSetup& setup, const QString& setupPath) {
    const bool stamps = !setup.serialAt.isEmpty();
    const auto number = [](const std::optional<qint64>& n, const core::TextKey& key) {
        return n ? QString::number(*n) : QString::fromUtf8(key.defaultValue);
    };
    return {setup.serialAt,
            stamps && !setup.serialFormat.isEmpty() ? setup.serialFormat : QString::fromUtf8(keys::StampFormat.defaultValue),
            stamps && !setup.series.isEmpty() ? setup.series : QString::fromUtf8(keys::StampSeries.defaultValue),
            number(setup.serialStart, keys::StampStart),
            number(setup.serialStep, keys::StampStep),
            setup.calibrationAt,
            production::ResolvedPath(setupPath, setup.store),
            stamps ? setup.serialKeep : QString(),
            stamps && setup.serialReuseFailed,
            stamps ? production::ResolvedPath(setupPath, setup.serialList) : QString(),
            stamps ? setup.serialCommand : QString(),
            stamps && !setup.serialCommand.isEmpty() ? production::SetupFolderPath(setupPath) : QString()};
}

DialogProduction::DialogProduction(core::SettingsStore& settings, std::function<production::BenchSetup()> held,
                                   QWidget* parent)
    : QDialog(parent), m_settings(settings), m_held(held ? held() : production::BenchSetup()) {
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
    cboKeep = new QComboBox(this);
    cboKeep->setObjectName(QStringLiteral("cboKeep"));
    ShowItems(cboKeep, {std::begin(texts::kKeepChoices), std::end(texts::kKeepChoices)});
    cboKeep->setCurrentIndex(int(operations::SerialKeepOf(core::ReadText(settings, keys::StampKeep))));
    chkReuseFailed = WithText(new QCheckBox(this), texts::kReuseFailed);
    chkReuseFailed->setObjectName(QStringLiteral("chkReuseFailed"));
    chkReuseFailed->setChecked(core::ReadText(settings, keys::StampReuseFailed) == QLatin1String("1"));
    cboStampSource = combo("cboStampSource", {});
    for (const QString& source : {texts::kSourceCounter, texts::kSourceList, texts::kSourceCommand})
        cboStampSource->addItem(core::Translate(source));
    txtList = line("txtList", core::ReadText(settings, keys::StampList));
    txtCommand = line("txtCommand", core::ReadText(settings, keys::StampCommand));
    m_commandFolder = core::ReadText(settings, keys::StampCommandFolder);
    for (QLineEdit* edit : {txtList, txtCommand})  // a path or a command line, wider than a number
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 36);
    cboStampSource->setCurrentIndex(!txtCommand->text().isEmpty() ? 2 : !txtList->text().isEmpty() ? 1 : 0);
    auto* stampForm = new QFormLayout(fraStamp);
    stampForm->addRow(label(texts::kMemoryLabel), cboStampMemory);
    stampForm->addRow(label(texts::kAddressLabel), txtStampAddress);
    stampForm->addRow(label(texts::kSourceLabel), cboStampSource);
    stampForm->addRow(label(texts::kFormatLabel), cboStampFormat);
    stampForm->addRow(label(texts::kSeriesLabel), txtSeries);
    stampForm->addRow(label(texts::kStartLabel), txtStart);
    stampForm->addRow(label(texts::kStepLabel), txtStep);
    stampForm->addRow(label(texts::kKeepLabel), cboKeep);
    stampForm->addRow(chkReuseFailed);
    stampForm->addRow(label(texts::kListLabel), txtList);
    stampForm->addRow(label(texts::kCommandLabel), txtCommand);

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
    txtCommandLine = line("txtCommandLine", QString());
    txtCommandLine->setReadOnly(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DialogProduction::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DialogProduction::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraStamp);
    layout->addWidget(fraCalibration);
    layout->addWidget(label(texts::kStoreLabel));
    layout->addWidget(txtStore);
    layout->addWidget(lblProblem);
    layout->addWidget(label(texts::kCommandLineLabel));
    layout->addWidget(txtCommandLine);
    layout->addWidget(buttons);

    for (QLineEdit* edit : {txtStampAddress, txtSeries, txtStart, txtStep, txtCalibrationAddress, txtStore, txtList, txtCommand})
        connect(edit, &QLineEdit::textChanged, this, &DialogProduction::ShowCommandLine);
    connect(chkReuseFailed, &QCheckBox::toggled, this, &DialogProduction::ShowCommandLine);
    for (QComboBox* box : {cboStampMemory, cboStampFormat, cboCalibrationMemory, cboKeep, cboStampSource})
        connect(box, &QComboBox::currentIndexChanged, this, &DialogProduction::ShowCommandLine);
    connect(cboStampSource, &QComboBox::currentIndexChanged, this, &DialogProduction::ShowSourceFields);
    ShowSourceFields();
    for (QGroupBox* group : {fraStamp, fraCalibration})
        connect(group, &QGroupBox::toggled, this, &DialogProduction::ShowCommandLine);
    ShowCommandLine();
}

ProductionTexts DialogProduction::Fields() const {
    const auto place = [](bool on, const QComboBox* memory, const QLineEdit* address) {
        const auto parsed = production::ParsePlace(PlaceOf(memory, address));
        return on && parsed ? production::PlaceText(*parsed) : QString();
    };
    return {place(fraStamp->isChecked(), cboStampMemory, txtStampAddress),
            cboStampFormat->currentText(),
            txtSeries->text().trimmed(),
            txtStart->text().trimmed(),
            txtStep->text().trimmed(),
            place(fraCalibration->isChecked(), cboCalibrationMemory, txtCalibrationAddress),
            txtStore->text().trimmed(),
            cboStampSource->currentIndex() == 0 ? operations::SerialKeepWord(operations::SerialKeep(cboKeep->currentIndex())) : QString(),
            cboStampSource->currentIndex() == 0 && chkReuseFailed->isChecked(),
            cboStampSource->currentIndex() == 1 ? txtList->text().trimmed() : QString(),
            cboStampSource->currentIndex() == 2 ? txtCommand->text().trimmed() : QString(),
            m_commandFolder};
}

// Only the fields the chosen source uses can be edited: a program's bytes have no format, and only the
// counter has a start and a step.
void DialogProduction::ShowSourceFields() {
    const int source = cboStampSource->currentIndex();
    cboStampFormat->setEnabled(source != 2);
    txtStart->setEnabled(source == 0);
    txtStep->setEnabled(source == 0);
    txtList->setEnabled(source == 1);
    txtCommand->setEnabled(source == 2);
    cboKeep->setEnabled(source == 0);  // a list's or a program's values are each issued once
    chkReuseFailed->setEnabled(source == 0);
}

// The program run and, when lock/fuse choices follow, their write after it: one line a shell can take.
void DialogProduction::ShowCommandLine() {
    if (m_held.code.path.isEmpty()) return txtCommandLine->clear();
    production::BenchSetup setup = m_held;
    PutProduction(setup, Fields(), QString());
    txtCommandLine->setText(production::CommandLines(setup, QString()).join(QStringLiteral(" && ")));
    txtCommandLine->setToolTip(txtCommandLine->text());  // the whole line, wider than the box
    txtCommandLine->setCursorPosition(0);
}

QString DialogProduction::Check() {
    // The settings are a file in the clear: libpq's own places keep the password.
    if (const QString store = txtStore->text().trimmed(); production::HasPassword(store))
        return core::Compose(texts::kStorePassword, {production::WithoutPassword(store)});
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
        const int source = cboStampSource->currentIndex();
        const auto start = production::ParseNumber(txtStart->text(), 0);
        if (source == 0 && (!start || quint64(*start) > production::Largest(*layout)))
            return core::Compose(texts::kBadNumber, {txtStart->text()});
        if (source == 0 && !production::ParseNumber(txtStep->text(), 1))
            return core::Compose(texts::kBadNumber, {txtStep->text()});
        if (source == 1 && txtList->text().trimmed().isEmpty()) return core::Compose(texts::kBadNumber, {txtList->text()});
        if (source == 2 && production::SplitCommand(txtCommand->text()).isEmpty())
            return core::Compose(texts::kBadNumber, {txtCommand->text()});
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
    WriteProductionTexts(m_settings, Fields());
    QDialog::accept();
}

}  // namespace zendra::shell
