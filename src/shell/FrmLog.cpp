#include "shell/FrmLog.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/FrmDump.h"
#include "shell/ShellTexts.h"

namespace zendra::shell {

ListButtons::ListButtons(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ListButtons"));
    cmdSaveList = WithText(new QPushButton(this), texts::kSaveList);
    cmdSaveList->setObjectName(QStringLiteral("cmdSaveList"));
    cmdCopyList = WithText(new QPushButton(this), texts::kCopyList);
    cmdCopyList->setObjectName(QStringLiteral("cmdCopyList"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(cmdSaveList);
    layout->addWidget(cmdCopyList);
    layout->addStretch(1);
    connect(cmdSaveList, &QPushButton::clicked, this, &ListButtons::saveRequested);
    connect(cmdCopyList, &QPushButton::clicked, this, &ListButtons::copyRequested);
}

QString LogEntry(const QString& time, const QString& text) {
    const QString indent(time.size() + 2, QLatin1Char(' '));
    return time + QStringLiteral("  ") +
           DisplayLineBreaks(text).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent);
}

FrmLog::FrmLog(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmLog"));
    ShowText(this, texts::kLogWindowTitle, TextSlot::WindowTitle);
    m_view = new QPlainTextEdit(this);
    m_view->setObjectName(QStringLiteral("txtLog"));
    m_view->setReadOnly(true);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setFont(DumpFont());
    m_view->setMinimumSize(0, 0);
    m_buttons = new ListButtons(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_buttons, 0);
}

void FrmLog::Append(const QString& time, const QString& text) {
    m_entries.append({time, text});
    m_view->appendPlainText(LogEntry(time, core::Translate(text)));
}

void FrmLog::ShowInCurrentLanguage() {
    QStringList lines;
    for (const auto& [time, text] : m_entries) lines << LogEntry(time, core::Translate(text));
    m_view->setPlainText(lines.join(QLatin1Char('\n')));
}

QString FrmLog::Text() const {
    QString text = m_view->toPlainText();
    if (!text.isEmpty()) text += QLatin1Char('\n');
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

}  // namespace zendra::shell
