#include "shell/DialogCheck.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Language.h"
#include "shell/ShellTexts.h"

namespace zendra::shell {

namespace {

const QString kRecheckCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "再診断(&R)"));
// %1 the step's name, %2 what it found
const QString kStepLine = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "%1: %2"));

// The steps' names as the dialog shows them.
QString StepCaption(const QString& name) {
    static const QHash<QString, QString> captions{
        {QStringLiteral("port"), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポート"))},
        {QStringLiteral("permission"), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "アクセス権"))},
        {QStringLiteral("in-use"), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "他のプログラム"))},
        {QStringLiteral("latency"), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "応答待ち時間"))},
        {QStringLiteral("writer"), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ライター"))},
        {QStringLiteral("line"), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "通信品質"))},
        {QStringLiteral("programming"), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プログラミングモード"))},
        {QStringLiteral("signature"), QStringLiteral(QT_TRANSLATE_NOOP("zendra", "チップの署名"))},
    };
    return captions.value(name, name);
}

QString Mark(operations::CheckStanding standing) {
    switch (standing) {
        case operations::CheckStanding::Ok: return QStringLiteral("✓");
        case operations::CheckStanding::Warn: return QStringLiteral("⚠");
        case operations::CheckStanding::Fail: return QStringLiteral("✗");
    }
    return {};
}

}  // namespace

DialogCheck::DialogCheck(QWidget* parent, Check check) : QDialog(parent), m_check(std::move(check)) {
    setObjectName(QStringLiteral("dlgConnectionCheck"));
    ShowText(this, kCheckCaption, TextSlot::WindowTitle);
    setModal(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstCheckSteps"));
    m_list->setWordWrap(true);
    m_list->setMinimumSize(560, 260);
    m_recheck = WithText(new QPushButton(this), kRecheckCaption);
    m_recheck->setObjectName(QStringLiteral("cmdRecheck"));
    auto* close = WithText(new QPushButton(this), texts::kCloseCaption);
    close->setObjectName(QStringLiteral("cmdClose"));
    close->setDefault(true);
    connect(m_recheck, &QPushButton::clicked, this, &DialogCheck::Recheck);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_recheck);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
}

void DialogCheck::Recheck() {
    m_recheck->setEnabled(false);
    ShowSteps(m_check());
    m_recheck->setEnabled(true);
}

void DialogCheck::ShowSteps(const QList<operations::CheckStep>& steps) {
    m_steps = steps;
    ShowInCurrentLanguage();
}

void DialogCheck::ShowInCurrentLanguage() {
    m_list->clear();
    for (const operations::CheckStep& step : m_steps) {
        auto* item = new QListWidgetItem(Mark(step.standing) + QLatin1Char(' ') +
                                         core::Translate(core::Compose(kStepLine, {StepCaption(step.name), step.detail})));
        if (step.standing == operations::CheckStanding::Fail) item->setForeground(QColor(0xC0, 0x00, 0x00));
        m_list->addItem(item);
        for (const QString& advice : step.advice)
            for (const QString& line : core::Translate(advice).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
                m_list->addItem(QStringLiteral("    → ") + line);
    }
}

QStringList DialogCheck::Lines() const {
    QStringList lines;
    for (int i = 0; i < m_list->count(); ++i) lines << m_list->item(i)->text();
    return lines;
}

}  // namespace zendra::shell
