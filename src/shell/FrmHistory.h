#pragma once
// The history window: the chip store's records newest first, below the yield of the chosen series.

#include <QWidget>

#include "production/ChipStore.h"
#include "shell/LiveText.h"

class QLabel;
class QLineEdit;
class QTreeWidget;

namespace zendra::shell {

class YieldView;

// Lists the records of the store the settings name, newest first, below the summary of the chosen series
// and range; the list keeps the rows of that series and range that hold the filter's text in any column.
class FrmHistory final : public QWidget, public LanguageAware {
    Q_OBJECT
public:
    explicit FrmHistory(QWidget* parent = nullptr);
    // Reads the store again.
    void Reload(const QString& store);
    QLineEdit* txtFilter = nullptr;
    QTreeWidget* lstHistory = nullptr;
    QLabel* lblProblem = nullptr;
    YieldView* yield = nullptr;
    void ShowInCurrentLanguage() override;

private:
    void ApplyFilter();
    void Present(const QString& store, const production::StoreResult& read, const QList<production::ChipRecord>& records);
    int m_ticket = 0;  // only the newest reading is shown
};

}  // namespace zendra::shell
