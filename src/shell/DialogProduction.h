#pragma once
// The production dialog (生産設定): the serial stamp, the calibration copy and the chip store of the
// windows' program runs, kept in the settings; and the history window, the store's records newest first.

#include <QDialog>
#include <QWidget>
#include <functional>

#include "core/Settings.h"
#include "operations/Job.h"
#include "production/BenchSetup.h"
#include "shell/FrmHistory.h"
#include "shell/LiveText.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace zendra::shell {

class YieldView;

// The production settings as the settings and the dialog's fields hold them: a place ("eeprom:0x3E", empty
// for none), the serial format, series, start and step, and the store (empty: the per-user file).
struct ProductionTexts {
    QString stampAt, format, series, start, step, calibrationAt, store;
    QString keep;         // "keep", "strict" or empty, as a setup holds it
    bool reuseFailed = false;
    QString list, command, commandFolder;  // a list's or a generator's series; both empty: the counter
};
ProductionTexts ReadProductionTexts(const core::SettingsStore& settings);
void WriteProductionTexts(core::SettingsStore& settings, const ProductionTexts& texts);
// The production settings as the operations take them; a stored value that does not parse counts as
// not set (no stamp, no copy).
operations::ProductionSettings ReadProductionSetup(const core::SettingsStore& settings);
// A bench setup's stamp, calibration copy and store from the settings' texts, and back; the store's path
// is kept relative to the setup at `setupPath` (none: as it is).
void PutProduction(production::BenchSetup& setup, const ProductionTexts& texts, const QString& setupPath);
ProductionTexts ProductionOf(const production::BenchSetup& setup, const QString& setupPath);

class DialogProduction final : public QDialog {
    Q_OBJECT
public:
    // `held`: the job the windows hold (files, device, lock/fuse choices, port), for the equivalent command
    // line the dialog shows.
    DialogProduction(core::SettingsStore& settings, std::function<production::BenchSetup()> held,
                     QWidget* parent = nullptr);

    QGroupBox* fraStamp = nullptr;
    QComboBox* cboStampMemory = nullptr;
    QLineEdit* txtStampAddress = nullptr;
    QComboBox* cboStampFormat = nullptr;
    QLineEdit* txtSeries = nullptr;
    QLineEdit* txtStart = nullptr;
    QLineEdit* txtStep = nullptr;
    QComboBox* cboKeep = nullptr;  // the choices of operations::SerialKeep
    QCheckBox* chkReuseFailed = nullptr;
    QComboBox* cboStampSource = nullptr;  // counter, list file or program
    QLineEdit* txtList = nullptr;
    QLineEdit* txtCommand = nullptr;
    QGroupBox* fraCalibration = nullptr;
    QComboBox* cboCalibrationMemory = nullptr;
    QLineEdit* txtCalibrationAddress = nullptr;
    QLineEdit* txtStore = nullptr;
    QLabel* lblProblem = nullptr;
    // The plain zendra-cli commands that do what the windows hold with these settings, to copy.
    QLineEdit* txtCommandLine = nullptr;

    void accept() override;

private:
    // The reason (Japanese) when a field will not do.
    QString Check();
    ProductionTexts Fields() const;
    void ShowCommandLine();
    void ShowSourceFields();
    QString m_commandFolder;  // a setup's folder, where its program runs
    core::SettingsStore& m_settings;
    production::BenchSetup m_held;
};

}  // namespace zendra::shell
