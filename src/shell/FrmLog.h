#pragma once
// The operations log of this run: every status-panel-1 text and every notice, each with its time, in a
// child window of the frame; and the row of buttons that saves or copies a listing (the log, the verify
// list).

#include <QList>
#include <QString>
#include <QWidget>
#include <utility>

#include "shell/LiveText.h"

class QPlainTextEdit;
class QPushButton;

namespace zendra::shell {

// "保存..." and "コピー" under a listing; the frame's owner decides what they do.
class ListButtons final : public QWidget {
    Q_OBJECT
public:
    explicit ListButtons(QWidget* parent = nullptr);
    QPushButton* cmdSaveList = nullptr;
    QPushButton* cmdCopyList = nullptr;

Q_SIGNALS:
    void saveRequested();
    void copyRequested();
};

// One entry: "hh:mm:ss  text"; the lines after a text's first start under its first character.
QString LogEntry(const QString& time, const QString& text);

// Keeps each entry as it was given, so a switch of language shows the whole log in the new one.
class FrmLog final : public QWidget, public LanguageAware {
    Q_OBJECT
public:
    explicit FrmLog(QWidget* parent = nullptr);

    void Append(const QString& time, const QString& text);
    // The whole log, one line per text line, CR LF line ends.
    QString Text() const;
    QPlainTextEdit* View() const { return m_view; }
    ListButtons* Buttons() const { return m_buttons; }
    void ShowInCurrentLanguage() override;

private:
    QList<std::pair<QString, QString>> m_entries;  // time, text as given
    QPlainTextEdit* m_view = nullptr;
    ListButtons* m_buttons = nullptr;
};

}  // namespace zendra::shell
