#pragma once
// The content of the three dump child windows (program memory, EEPROM, verify log): one read-only,
// fixed-pitch, non-wrapping text view that fills the window and loads a plain text file.

#include <QFont>
#include <QString>
#include <QWidget>

#include "core/UserInterface.h"

class QPlainTextEdit;

namespace zendra::shell {
class ListButtons;
}

namespace zendra::shell {

inline const QString kProgramWindowTitle = QStringLiteral("プログラムメモリ");
inline const QString kEepromWindowTitle = QStringLiteral("EEPROMデータメモリ");
inline const QString kVerifyWindowTitle = QStringLiteral("Verify Window");

// "ＭＳ ゴシック" 9 pt when installed; otherwise the system's fixed-pitch font with a CJK fallback.
QFont DumpFont();

class FrmDump final : public QWidget {
    Q_OBJECT
public:
    // objectName frmProgram / frmEEprom / frmVerify; the view txtPrg / txtEEp / rtVerify.
    explicit FrmDump(core::DumpWindow which, QWidget* parent = nullptr);

    core::DumpWindow Which() const { return m_which; }
    QPlainTextEdit* View() const { return m_view; }
    // The verify list's save and copy buttons; null for the memory dumps.
    ListButtons* Buttons() const { return m_buttons; }
    // The view's text with CR LF line ends, as the files hold it.
    QString Text() const;

    // Replaces the view's text by the file's (UTF-8, as plain text). False, and the view emptied,
    // when the file cannot be read.
    bool LoadFile(const QString& path);

    static QString InitialTitle(core::DumpWindow which);
    static QString WindowObjectName(core::DumpWindow which);
    static QString ViewObjectName(core::DumpWindow which);

private:
    core::DumpWindow m_which;
    QPlainTextEdit* m_view = nullptr;
    ListButtons* m_buttons = nullptr;
};

}  // namespace zendra::shell
