#include "shell/FrmDump.h"

#include "shell/FrmLog.h"
#include "shell/LiveText.h"

#include <QFile>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTextBlock>
#include <QToolTip>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace zendra::shell {

namespace {
const QString kPreferredFamily = QStringLiteral("ＭＳ ゴシック");
const QString kCjkFallbackFamily = QStringLiteral("Noto Sans Mono CJK JP");
constexpr int kDumpPointSize = 9;
}  // namespace

QFont DumpFont() {
    QFont font;
    if (QFontDatabase::hasFamily(kPreferredFamily)) {
        font = QFont(kPreferredFamily);
        font.setFamilies({kPreferredFamily, kCjkFallbackFamily});
    } else {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        // The dump's marker "･" and the verify log's Japanese need a CJK face behind the Latin one.
        font.setFamilies({font.family(), kCjkFallbackFamily});
    }
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSize(kDumpPointSize);
    return font;
}

QString FrmDump::InitialTitle(core::DumpWindow which) {
    switch (which) {
        case core::DumpWindow::Program:
            return kProgramWindowTitle;
        case core::DumpWindow::Eeprom:
            return kEepromWindowTitle;
        case core::DumpWindow::Verify:
            return kVerifyWindowTitle;
    }
    return {};
}

QString FrmDump::WindowObjectName(core::DumpWindow which) {
    switch (which) {
        case core::DumpWindow::Program:
            return QStringLiteral("frmProgram");
        case core::DumpWindow::Eeprom:
            return QStringLiteral("frmEEprom");
        case core::DumpWindow::Verify:
            return QStringLiteral("frmVerify");
    }
    return {};
}

QString FrmDump::ViewObjectName(core::DumpWindow which) {
    switch (which) {
        case core::DumpWindow::Program:
            return QStringLiteral("txtPrg");
        case core::DumpWindow::Eeprom:
            return QStringLiteral("txtEEp");
        case core::DumpWindow::Verify:
            return QStringLiteral("rtVerify");
    }
    return {};
}

FrmDump::FrmDump(core::DumpWindow which, QWidget* parent) : QWidget(parent), m_which(which) {
    setObjectName(WindowObjectName(which));
    ShowText(this, InitialTitle(which), TextSlot::WindowTitle);

    m_view = new QPlainTextEdit(this);
    m_view->setObjectName(ViewObjectName(which));
    m_view->setReadOnly(true);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setWordWrapMode(QTextOption::NoWrap);
    m_view->setFont(DumpFont());
    // The view scrolls, so a small window never cuts anything off.
    m_view->setMinimumSize(0, 0);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (which == core::DumpWindow::Verify) {
        m_diagnosis = new QLabel(this);
        m_diagnosis->setObjectName(QStringLiteral("lblDiagnosis"));
        m_diagnosis->setWordWrap(true);
        m_diagnosis->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_diagnosis->setContentsMargins(4, 4, 4, 4);
        m_diagnosis->setStyleSheet(QStringLiteral("QLabel { background: #fff4d6; }"));
        m_diagnosis->hide();
        layout->addWidget(m_diagnosis);
    }
    layout->addWidget(m_view);
    m_view->viewport()->installEventFilter(this);
    m_view->installEventFilter(this);
    if (which == core::DumpWindow::Verify) {
        // A line can be picked with the keys too, for the jump to its cell.
        m_view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        m_buttons = new ListButtons(this);
        layout->addWidget(m_buttons);
    }
}

void FrmDump::ShowDiagnosis(const QString& japanese) {
    if (!m_diagnosis) return;
    ShowText(m_diagnosis, japanese);
    m_diagnosis->setVisible(!japanese.isEmpty());
}

QString FrmDump::Text() const {
    QString text = m_view->toPlainText();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n'))) text += QLatin1Char('\n');
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

bool FrmDump::LoadFile(const QString& path) {
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    const QByteArray bytes = opened ? file.readAll() : QByteArray();
    QString text = QStringDecoder(QStringDecoder::Utf8).decode(bytes);
    // The files end their lines with CR LF; a lone CR would show as an extra break.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // One replacement with updates off: line-by-line appends of a 64 KiB dump take far longer.
    m_view->setUpdatesEnabled(false);
    m_view->setPlainText(text);
    m_view->setUpdatesEnabled(true);
    // New text is a changed image: what differed before says nothing of it.
    MarkCells({});
    return opened;
}

void FrmDump::MarkCells(const QList<DumpMark>& marks) {
    m_marks = marks;
    QList<QTextEdit::ExtraSelection> selections;
    QTextDocument* document = m_view->document();
    for (const DumpMark& mark : marks) {
        const QTextBlock block = document->findBlockByNumber(mark.cell.line);
        if (!block.isValid()) continue;
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(block);
        selection.cursor.setPosition(block.position() + mark.cell.column);
        selection.cursor.setPosition(block.position() + mark.cell.column + mark.cell.length,
                                     QTextCursor::KeepAnchor);
        selection.format.setBackground(kDifferenceColour);
        selections << selection;
    }
    m_view->setExtraSelections(selections);
}

QString FrmDump::LineTip(int line) const {
    QStringList tips;
    for (const DumpMark& mark : m_marks)
        if (mark.cell.line == line) tips << mark.tip;
    return tips.join(QLatin1Char('\n'));
}

void FrmDump::SelectCell(const image::DumpCell& cell) {
    const QTextBlock block = m_view->document()->findBlockByNumber(cell.line);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + cell.column);
    cursor.setPosition(block.position() + cell.column + cell.length, QTextCursor::KeepAnchor);
    m_view->setTextCursor(cursor);
    m_view->ensureCursorVisible();
}

bool FrmDump::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view->viewport() && event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = LineTip(m_view->cursorForPosition(help->pos()).blockNumber());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, m_view);
        return true;
    }
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        Q_EMIT lineActivated(m_view->cursorForPosition(mouse->position().toPoint()).blockNumber());
        return false;
    }
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Q_EMIT lineActivated(m_view->textCursor().blockNumber());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace zendra::shell
