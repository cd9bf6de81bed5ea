#pragma once
// The Help menu's connection check: the steps from the port to the chip in the socket, each with ✓, ⚠ or ✗,
// what it found and the advice, and a button that runs the check again.

#include <QDialog>
#include <functional>

#include "operations/ConnectionCheck.h"
#include "shell/LiveText.h"

class QListWidget;
class QPushButton;

namespace zendra::shell {

inline const QString kCheckCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "接続診断"));
inline const QString kCheckRunning = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "接続を診断しています..."));

class DialogCheck final : public QDialog, public LanguageAware {
    Q_OBJECT
public:
    using Check = std::function<QList<operations::CheckStep>()>;
    // `check` runs the check and returns its steps; the dialog runs it once when shown and on cmdRecheck.
    DialogCheck(QWidget* parent, Check check);

    void ShowSteps(const QList<operations::CheckStep>& steps);
    void Recheck();
    // The list's lines as shown: one a step ("✓ ポート: ..."), the advice indented below it.
    QStringList Lines() const;

    void ShowInCurrentLanguage() override;

private:
    Check m_check;
    QList<operations::CheckStep> m_steps;
    QListWidget* m_list = nullptr;
    QPushButton* m_recheck = nullptr;
};

}  // namespace zendra::shell
