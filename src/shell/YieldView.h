#pragma once
// The history window's summary: the chips programmed, passed and failed and the first-pass yield of the
// chosen series and range, with a chart of the chips per day and their yield. The store is read on a
// thread of its own, so a slow server never holds up the windows.

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QWidget>

#include "production/ChipStore.h"
#include "production/Yield.h"
#include "shell/LiveText.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QThread;

namespace zendra::shell {

// What one reading of the store found: the whole range, and its days.
struct YieldReading {
    production::StoreResult result;
    production::YieldGroup whole;
    QList<production::YieldGroup> days;
};
// Both from the store at `location` (empty: the per-user file); blocks, for a thread other than the windows'.
YieldReading ReadYield(const QString& location, production::YieldQuery query);

class YieldView final : public QWidget, public LanguageAware {
    Q_OBJECT
public:
    explicit YieldView(QWidget* parent = nullptr);
    ~YieldView() override;

    // The store and the series it holds; reads the summary again.
    void Show(const QString& store, const QStringList& series);
    // The series and range chosen (the grouping is by day).
    production::YieldQuery Query() const;
    void ShowInCurrentLanguage() override;

    QComboBox* cboSeries = nullptr;
    QCheckBox* chkRange = nullptr;
    QDateEdit* dtFrom = nullptr;
    QDateEdit* dtTo = nullptr;
    QLabel* lblSummary = nullptr;
    QLabel* lblFailures = nullptr;
    QWidget* chart = nullptr;  // a QChartView

Q_SIGNALS:
    // The choice of series or range changed (the list follows it).
    void queryChanged();
    // A reading was shown.
    void shown();

private:
    void Refresh();
    void Present(const YieldReading& reading);
    void DrawChart();

    QString m_store;
    YieldReading m_reading;
    int m_ticket = 0;  // only the newest reading is shown
    QList<QPointer<QThread>> m_readers;
};

}  // namespace zendra::shell
