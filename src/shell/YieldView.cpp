#include "shell/YieldView.h"

#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPen>
#include <QStackedBarSeries>
#include <QThread>
#include <QVBoxLayout>
#include <QValueAxis>
#include <memory>

#include "shell/ShellTexts.h"

namespace zendra::shell {

namespace {

// A month; more days would make the bars too thin to read. The newest are drawn.
constexpr int kChartDays = 31;

QString Percent(double share) { return QString::number(share * 100.0, 'f', 1) + QLatin1Char('%'); }

}  // namespace

YieldReading ReadYield(const QString& location, production::YieldQuery query) {
    YieldReading reading;
    production::ChipStore store(location.isEmpty() ? production::ChipStore::DefaultPath() : location);
    QList<production::YieldGroup> whole;
    reading.result = store.Open();
    query.by = production::Grouping::None;
    if (reading.result.Ok()) reading.result = store.Yield(query, whole);
    query.by = production::Grouping::Day;
    if (reading.result.Ok()) reading.result = store.Yield(query, reading.days);
    reading.whole = whole.value(0);
    return reading;
}

YieldView::YieldView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("yieldView"));
    cboSeries = new QComboBox(this);
    cboSeries->setObjectName(QStringLiteral("cboSeries"));
    cboSeries->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ShowItems(cboSeries, {texts::kYieldAllSeries});
    chkRange = WithText(new QCheckBox(this), texts::kYieldRange);
    chkRange->setObjectName(QStringLiteral("chkRange"));
    const QDate today = QDate::currentDate();
    dtFrom = new QDateEdit(today.addDays(-6), this);
    dtTo = new QDateEdit(today, this);
    dtFrom->setObjectName(QStringLiteral("dtFrom"));
    dtTo->setObjectName(QStringLiteral("dtTo"));
    for (QDateEdit* edit : {dtFrom, dtTo}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setEnabled(false);
    }
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblFailures = new QLabel(this);
    lblFailures->setObjectName(QStringLiteral("lblFailures"));
    lblFailures->setWordWrap(true);
    auto* view = new QChartView(new QChart, this);
    view->setObjectName(QStringLiteral("chartYield"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(200);
    view->chart()->legend()->setAlignment(Qt::AlignTop);
    view->chart()->setMargins(QMargins(2, 2, 2, 2));
    chart = view;

    auto* choice = new QHBoxLayout;
    choice->addWidget(WithText(new QLabel(this), texts::kSeriesLabel));
    choice->addWidget(cboSeries);
    choice->addSpacing(12);
    choice->addWidget(chkRange);
    choice->addWidget(dtFrom);
    choice->addWidget(new QLabel(QStringLiteral("–"), this));
    choice->addWidget(dtTo);
    choice->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(choice);
    layout->addWidget(lblSummary);
    layout->addWidget(lblFailures);
    layout->addWidget(view, 1);

    const auto changed = [this] {
        Refresh();
        Q_EMIT queryChanged();
    };
    connect(cboSeries, &QComboBox::activated, this, changed);
    connect(chkRange, &QCheckBox::toggled, this, [this, changed](bool on) {
        dtFrom->setEnabled(on);
        dtTo->setEnabled(on);
        changed();
    });
    for (QDateEdit* edit : {dtFrom, dtTo}) connect(edit, &QDateEdit::dateChanged, this, changed);
}

YieldView::~YieldView() {
    // A reading still under way ends on its own; it must not outlive its thread object.
    for (const QPointer<QThread>& reader : m_readers)
        if (reader) {
            reader->wait();
            delete reader.data();
        }
}

void YieldView::Show(const QString& store, const QStringList& series) {
    m_store = store;
    const QString chosen = cboSeries->currentIndex() > 0 ? cboSeries->currentText() : QString();
    QStringList entries{texts::kYieldAllSeries};
    entries << series;
    ShowItems(cboSeries, entries);
    cboSeries->setCurrentIndex(std::max(0, int(entries.indexOf(chosen, 1))));
    Refresh();
}

production::YieldQuery YieldView::Query() const {
    production::YieldQuery query{.by = production::Grouping::Day};
    if (cboSeries->currentIndex() > 0) query.series = ItemSources(cboSeries).value(cboSeries->currentIndex());
    if (chkRange->isChecked()) {
        query.since = dtFrom->date().startOfDay();
        query.until = dtTo->date().addDays(1).startOfDay();
    }
    return query;
}

void YieldView::Refresh() {
    const int ticket = ++m_ticket;
    auto reading = std::make_shared<YieldReading>();
    QThread* reader = QThread::create([reading, store = m_store, query = Query()] { *reading = ReadYield(store, query); });
    m_readers.removeAll(nullptr);
    m_readers << reader;
    connect(reader, &QThread::finished, this, [this, reader, reading, ticket] {
        reader->deleteLater();
        if (ticket == m_ticket) Present(*reading);
    });
    reader->start();
}

void YieldView::Present(const YieldReading& reading) {
    m_reading = reading;
    if (!reading.result.Ok()) {
        ShowText(lblSummary, core::Compose(texts::kHistoryUnreadable, {reading.result.detail}));
        lblFailures->hide();
    } else {
        const production::YieldGroup& w = reading.whole;
        ShowText(lblSummary, core::Compose(texts::kYieldSummary,
                                           {QString::number(w.total), QString::number(w.pass),
                                            QString::number(w.Fail()), Percent(w.FirstPassYield())}));
        QStringList failures;
        for (auto it = w.failures.cbegin(); it != w.failures.cend(); ++it)
            failures << it.key() + QLatin1Char('=') + QString::number(it.value());
        ShowText(lblFailures, core::Compose(texts::kYieldFailures, {failures.join(QStringLiteral(", "))}));
        lblFailures->setVisible(!failures.isEmpty());
    }
    DrawChart();
    Q_EMIT shown();
}

void YieldView::DrawChart() {
    QChart* c = static_cast<QChartView*>(chart)->chart();
    c->removeAllSeries();
    for (QAbstractAxis* axis : c->axes()) {
        c->removeAxis(axis);
        delete axis;
    }
    const QList<production::YieldGroup> days = m_reading.days.mid(std::max(0, int(m_reading.days.size()) - kChartDays));
    auto* passed = new QBarSet(core::Translate(texts::kYieldPassSeries));
    auto* failed = new QBarSet(core::Translate(texts::kYieldFailSeries));
    passed->setColor(QColor(0x2e, 0x9d, 0x45));
    failed->setColor(QColor(0xc8, 0x32, 0x32));
    auto* yield = new QLineSeries;
    yield->setName(core::Translate(texts::kYieldLine));
    yield->setPen(QPen(QColor(0x1f, 0x4e, 0xa8), 2));
    QStringList categories;
    qint64 most = 1;
    for (qsizetype i = 0; i < days.size(); ++i) {
        const production::YieldGroup& day = days[i];
        categories << day.key.mid(5);  // MM-dd
        *passed << double(day.pass);
        *failed << double(day.Fail());
        yield->append(double(i), day.FirstPassYield() * 100.0);
        most = std::max(most, day.total);
    }
    auto* bars = new QStackedBarSeries;
    bars->append(passed);
    bars->append(failed);
    c->addSeries(bars);
    c->addSeries(yield);
    // Every few days a date under its bar, so the dates keep room at any width.
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setStartValue(-0.5);
    x->setRange(-0.5, double(days.size()) - 0.5);
    const qsizetype every = std::max<qsizetype>(1, (days.size() + 6) / 7);
    for (qsizetype i = 0; i < days.size(); i += every) x->append(categories[i], double(i));
    auto* chips = new QValueAxis;
    chips->setRange(0, double(most));
    chips->applyNiceNumbers();
    chips->setLabelFormat(QStringLiteral("%d"));
    auto* percent = new QValueAxis;
    percent->setRange(0, 100);
    percent->setLabelFormat(QStringLiteral("%d%%"));
    c->addAxis(x, Qt::AlignBottom);
    c->addAxis(chips, Qt::AlignLeft);
    c->addAxis(percent, Qt::AlignRight);
    bars->attachAxis(x);
    bars->attachAxis(chips);
    yield->attachAxis(x);
    yield->attachAxis(percent);
}

void YieldView::ShowInCurrentLanguage() { DrawChart(); }

}  // namespace zendra::shell
