#pragma once
// The port dialog: the user picks "COM1".."COM20" (or assigns a device path to one); OK opens it with the
// writer's line settings and runs the communication check at once, on an operation thread, then saves the
// choice. The error flag follows the dialog's outcome: 0 only after a confirmed port; 1 while open, after
// a refused OK, CANCEL or a close by the frame.

#include <QDialog>
#include <QString>

#include "operations/Flows.h"
#include "shell/WriterContext.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace zendra::shell {

class PortRow;

inline const QString kComCaption = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "通信ポート選択"));
inline const QString kComPrompt = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "通信ポートを選んでください。"));
inline const QString kNoPortEntry = QStringLiteral("????");
inline const QString kComOpenFailedTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ポートオープン失敗"));
inline const QString kComNotConfirmed =
    QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ライター接続確認が終了していません。"));

// "COM" + number (or "COM?" for 0) + " のオープンに失敗しました。" CR "ポート番号を再設定してください。"
QString PortOpenFailedText(int number);
// The list index that "ComNox" selects: 1..20 as stored; absent, 0, above 20 or not a number: 0 ("????").
int PreselectedPortIndex(const core::SettingsStore& settings);

class FrmCom final : public QDialog {
    Q_OBJECT
public:
    // Opening runs here: nothing confirmed (ErrorFlag 1), list filled, port closed, "ComNox" preselected,
    // status panel 1 emptied.
    FrmCom(WriterContext& ctx, QWidget* parent = nullptr);

    // The chosen index: 0 for "????", else the port number.
    int SelectedNumber() const;

    void Command_ok_Click();
    void Command_cancel_Click();
    // Assigns the path in Combo_path (a detected port or typed text) to the chosen entry.
    void Command_assign_Click();

    QLabel* Label1 = nullptr;
    QComboBox* Combo_com = nullptr;
    QPushButton* Command_ok = nullptr;
    QPushButton* Command_cancel = nullptr;
    // Where the chosen entry leads, and how to change that.
    PortRow* portRow = nullptr;

protected:
    // A close by the frame or Escape: ErrorFlag stays 1, nothing written.
    void reject() override;

private:
    void ShowResolvedDevice();
    // The error flag as the dialog's outcome leaves it.
    void Take(const operations::PortReport& report);

    WriterContext& m_ctx;
    bool m_checking = false;  // the OK's check runs
};

}  // namespace zendra::shell
