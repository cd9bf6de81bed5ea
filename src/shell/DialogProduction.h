#pragma once
// The production dialog (生産設定): the serial stamp, the calibration copy and the chip store of the
// windows' program runs, kept in the settings; and the history window, the store's records newest first.

#include <QDialog>
#include <QWidget>

#include "core/Settings.h"
#include "operations/RecordedRun.h"
#include "shell/LiveText.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace zendra::shell {

// The production settings as the operations take them; a stored value that does not parse counts as
// not set (no stamp, no copy).
operations::ProductionSetup ReadProductionSetup(const core::SettingsStore& settings);

class DialogProduction final : public QDialog {
    Q_OBJECT
public:
    DialogProduction(core::SettingsStore& settings, QWidget* parent = nullptr);

    QGroupBox* fraStamp = nullptr;
    QComboBox* cboStampMemory = nullptr;
    QLineEdit* txtStampAddress = nullptr;
    QComboBox* cboStampFormat = nullptr;
    QLineEdit* txtSeries = nullptr;
    QLineEdit* txtStart = nullptr;
    QLineEdit* txtStep = nullptr;
    QGroupBox* fraCalibration = nullptr;
    QComboBox* cboCalibrationMemory = nullptr;
    QLineEdit* txtCalibrationAddress = nullptr;
    QLineEdit* txtStore = nullptr;
    QLabel* lblProblem = nullptr;

    void accept() override;

private:
    // The settings' texts from the fields; the reason (Japanese) when a field will not do.
    QString Check();
    core::SettingsStore& m_settings;
};

// Lists the records of the store the settings name, newest first; the filter keeps the rows that hold
// its text in any column.
class FrmHistory final : public QWidget, public LanguageAware {
    Q_OBJECT
public:
    explicit FrmHistory(QWidget* parent = nullptr);
    // Reads the store again.
    void Reload(const QString& store);
    QLineEdit* txtFilter = nullptr;
    QTreeWidget* lstHistory = nullptr;
    QLabel* lblProblem = nullptr;
    void ShowInCurrentLanguage() override;

private:
    void ApplyFilter();
};

}  // namespace zendra::shell
