#pragma once
// The content of the three dump child windows (program memory, EEPROM, verify log): one read-only,
// fixed-pitch, non-wrapping text view that fills the window and loads a plain text file.

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QWidget>

#include "core/UserInterface.h"
#include "image/Dumps.h"

class QLabel;
class QPlainTextEdit;

namespace zendra::shell {
class ListButtons;
}

namespace zendra::shell {

inline const QString kProgramWindowTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "プログラムメモリ"));
inline const QString kEepromWindowTitle = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "EEPROMデータメモリ"));
inline const QString kVerifyWindowTitle = QStringLiteral("Verify Window");

// The background of a cell that differed from the chip at the last verify.
inline const QColor kDifferenceColour(255, 176, 176);

// A differing cell of a dump: where it stands, and what its line's tool tip says of it.
struct DumpMark {
    image::DumpCell cell;
    QString tip;
};

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

    // The verify window: what the differences mean, above their list (`japanese` empty: hidden).
    void ShowDiagnosis(const QString& japanese);
    QLabel* Diagnosis() const { return m_diagnosis; }

    // Marks the cells (replacing earlier marks) until the text is next loaded; their lines' tool tips
    // name the differing values.
    void MarkCells(const QList<DumpMark>& marks);
    const QList<DumpMark>& Marks() const { return m_marks; }
    QString LineTip(int line) const;
    // Scrolls to the cell and selects its digits.
    void SelectCell(const image::DumpCell& cell);

    static QString InitialTitle(core::DumpWindow which);
    static QString WindowObjectName(core::DumpWindow which);
    static QString ViewObjectName(core::DumpWindow which);

Q_SIGNALS:
    // A double-click or Enter on a line (from 0).
    void lineActivated(int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    core::DumpWindow m_which;
    QPlainTextEdit* m_view = nullptr;
    ListButtons* m_buttons = nullptr;
    QLabel* m_diagnosis = nullptr;
    QList<DumpMark> m_marks;
};

}  // namespace zendra::shell
