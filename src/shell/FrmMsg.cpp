#include "shell/FrmMsg.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedLayout>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include <cmath>

#include "core/UserInterface.h"
#include "shell/LiveText.h"
#include "shell/ShellTexts.h"
#include "shell/Twips.h"

namespace zendra::shell {

namespace {
constexpr double kOkWidthTwips = 1275;
constexpr double kOkHeightTwips = 330;
constexpr double kOffsetLeftTwips = 500;
// Wide enough for the longest progress and verdict lines in one row.
constexpr double kTextWidthTwips = 6300;
}  // namespace

FrmMsg::FrmMsg(QWidget* owner) : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmMsg"));
    setWindowTitle(kMessageCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::NonModal);
    const double dpi = LogicalDpi(owner);

    txtMsg = new QLabel(this);
    txtMsg->setObjectName(QStringLiteral("txtMsg"));
    txtMsg->setWordWrap(true);
    txtMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    txtMsg->setTextFormat(Qt::PlainText);
    txtMsg->setMinimumWidth(TwipsToPixels(kTextWidthTwips, dpi));

    ProgBar = new QProgressBar(this);
    ProgBar->setObjectName(QStringLiteral("ProgBar"));
    ProgBar->setOrientation(Qt::Horizontal);
    ProgBar->setTextVisible(false);
    ProgBar->setVisible(false);

    Cmd_okm = new QPushButton(kMessageOkCaption, this);
    Cmd_okm->setObjectName(QStringLiteral("Cmd_okm"));
    Cmd_okm->setFixedSize(TwipsSizeToPixels(kOkWidthTwips, kOkHeightTwips, dpi));
    Cmd_okm->setVisible(false);
    connect(Cmd_okm, &QPushButton::clicked, this, &QWidget::close);

    lblFigures = new QLabel(this);
    lblFigures->setObjectName(QStringLiteral("lblFigures"));
    lblFigures->setVisible(false);

    Cmd_cancel = WithText(new QPushButton(this), texts::kCancelCaption);
    Cmd_cancel->setObjectName(QStringLiteral("Cmd_cancel"));
    Cmd_cancel->setFixedSize(TwipsSizeToPixels(kOkWidthTwips, kOkHeightTwips, dpi));
    Cmd_cancel->setVisible(false);
    // Enter or Space must not stop a run by accident.
    Cmd_cancel->setAutoDefault(false);
    Cmd_cancel->setFocusPolicy(Qt::ClickFocus);
    connect(Cmd_cancel, &QPushButton::clicked, this, [this] {
        Cmd_cancel->setEnabled(false);  // pressed once is enough; the run ends after its current exchange
        if (m_onCancel) m_onCancel();
    });

    // The bar and the button share one strip of fixed height, so switching between the two presentations
    // never moves or resizes the window.
    auto* strip = new QWidget(this);
    strip->setFixedHeight(TwipsToPixels(kOkHeightTwips, dpi));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->addWidget(ProgBar, 1);
    stripLayout->addWidget(lblFigures, 0);
    stripLayout->addWidget(Cmd_cancel, 0);
    stripLayout->addWidget(Cmd_okm, 0, Qt::AlignHCenter);

    imgIcon = new QLabel(this);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setVisible(false);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(imgIcon, 0, Qt::AlignTop);
    textRow->addWidget(txtMsg, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(textRow, 1);
    layout->addWidget(strip, 0);
}

void FrmMsg::MarkCritical() {
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    imgIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(side, side));
    imgIcon->setVisible(true);
}

void FrmMsg::ShowMessage(int kind, const QString& text) {
    // Each message is plain until its outcome marks it.
    imgIcon->setVisible(false);
    if (kind == kMessageNotice) {
        SetOkVisible(true);
        SetBarVisible(false);
        SetText(text);
        show();
        Cmd_okm->setDefault(true);
    } else if (kind == kMessageProgress) {
        SetOkVisible(false);
        SetText(text);
        show();
    } else {
        // No presentation of its own: the text changes, button and bar stay as they are.
        SetText(text);
        show();
    }
}

void FrmMsg::closeEvent(QCloseEvent* event) {
    Q_EMIT Closed();
    QWidget::closeEvent(event);
}

void FrmMsg::ReportProgress(const QString& state, int minimum, int value, int maximum) {
    if (state != kProgressOn) {
        SetBarVisible(false);
        return;
    }
    // A zero maximum would make a busy indicator; show a full one-step bar instead.
    const int shownMaximum = maximum == 0 ? 1 : maximum;
    const int shownValue = maximum == 0 ? 1 : value;
    // Setting the range first keeps every intermediate state valid for QProgressBar.
    ProgBar->setRange(minimum, std::max(minimum, shownMaximum));
    ProgBar->setValue(shownValue);
    // Visible exactly while the step is not the last: compares the numbers as given, before the zero rule.
    SetBarVisible(value != maximum);
}

void FrmMsg::SetText(const QString& text) { ShowText(txtMsg, text, TextSlot::Text, TextForm::LineBreaks); }

void FrmMsg::SetOkVisible(bool visible) {
    // The bar and the button share one strip: a shown button takes it alone.
    if (visible) ProgBar->setVisible(false);
    Cmd_okm->setVisible(visible);
    UpdateStrip();
    // A shown OK is the window's only control: Enter or Space dismisses the notice.
    if (visible) Cmd_okm->setFocus(Qt::OtherFocusReason);
}

void FrmMsg::SetBarVisible(bool visible) {
    ProgBar->setVisible(visible && !Cmd_okm->isVisibleTo(this));
    UpdateStrip();
}

void FrmMsg::SetCancel(std::function<void()> onCancel) {
    m_onCancel = std::move(onCancel);
    Cmd_cancel->setEnabled(true);
    UpdateStrip();
}

void FrmMsg::SetFigures(const QString& text) {
    lblFigures->setText(text);
    UpdateStrip();
}

void FrmMsg::UpdateStrip() {
    const bool notice = Cmd_okm->isVisibleTo(this);
    lblFigures->setVisible(!notice && ProgBar->isVisibleTo(this) && !lblFigures->text().isEmpty());
    Cmd_cancel->setVisible(!notice && m_onCancel != nullptr);
}

QString ProgressFigures(int value, int maximum, std::optional<double> remainingSeconds) {
    if (maximum <= 0) return QString();
    const int percent = static_cast<int>(100LL * std::clamp(value, 0, maximum) / maximum);
    // Redrawn with every step, so looked up here rather than kept for a switch of language.
    QString text = core::Translate(texts::kProgressPercent).arg(percent);
    if (!remainingSeconds) return text;
    const qint64 seconds = static_cast<qint64>(std::ceil(std::max(0.0, *remainingSeconds)));
    text += QStringLiteral("  ");
    text += seconds < 60 ? core::Translate(texts::kRemainingSeconds).arg(seconds)
                         : core::Translate(texts::kRemainingMinutes).arg(seconds / 60).arg(seconds % 60);
    return text;
}

void FrmMsg::PlaceRelativeTo(const QWidget* owner) {
    if (!owner) return;
    const QRect frame = owner->frameGeometry();
    const double dpi = LogicalDpi(owner);
    move(frame.left() + TwipsToPixels(kOffsetLeftTwips, dpi), frame.top() + frame.height() / 4);
}

MessageWindowHost::MessageWindowHost(QWidget* mainWindow, std::function<void()> shown)
    : m_mainWindow(mainWindow), m_shown(std::move(shown)) {}

MessageWindowHost::~MessageWindowHost() { delete m_window.data(); }

FrmMsg& MessageWindowHost::Ensure() {
    if (!m_window) {
        auto* window = new FrmMsg(m_mainWindow.data());
        window->adjustSize();
        window->PlaceRelativeTo(m_mainWindow.data());
        // The deletion after a close is deferred; forget the window at once, so a call that follows an OK
        // press in the same event makes a fresh one instead of showing a window about to be deleted.
        QObject::connect(window, &FrmMsg::Closed, window, [this, window] {
            if (m_window == window) m_window = nullptr;
        });
        window->SetCancel(m_onCancel);
        window->show();
        m_window = window;
    }
    return *m_window;
}

void MessageWindowHost::Shown() {
    if (m_shown) m_shown();
}

void MessageWindowHost::ShowMessage(int kind, const QString& text) {
    FrmMsg& window = Ensure();
    if (kind == kMessageProgress && text != m_phaseText) {
        // A new phase: its pace is measured afresh.
        m_phaseText = text;
        m_phaseStart.reset();
        window.SetFigures(QString());
    }
    window.ShowMessage(kind, text);
    Shown();
}

void MessageWindowHost::ReportProgress(const QString& state, int minimum, int value, int maximum) {
    FrmMsg& window = Ensure();
    window.ReportProgress(state, minimum, value, maximum);
    if (state == kProgressOn) {
        const core::Clock::time_point now = m_now();
        std::optional<double> remaining;
        if (!m_phaseStart || value < m_phaseFirstValue) {
            m_phaseStart = now;
            m_phaseFirstValue = value;
        } else if (value > m_phaseFirstValue) {
            const double spent = std::chrono::duration<double>(now - *m_phaseStart).count();
            remaining = spent / (value - m_phaseFirstValue) * std::max(0, maximum - value);
        }
        window.SetFigures(ProgressFigures(value - minimum, maximum - minimum, remaining));
    }
    Shown();
}

void MessageWindowHost::SetCancel(std::function<void()> onCancel) {
    m_onCancel = std::move(onCancel);
    m_phaseText.clear();
    m_phaseStart.reset();
    if (m_window) m_window->SetCancel(m_onCancel);
}

void MessageWindowHost::CloseMessage() {
    if (m_window) m_window->close();
}

void MessageWindowHost::SetMessageText(const QString& text) { Ensure().SetText(text); }

void MessageWindowHost::SetMessageOkVisible(bool visible) { Ensure().SetOkVisible(visible); }

void MessageWindowHost::SetMessageBarVisible(bool visible) { Ensure().SetBarVisible(visible); }

void MessageWindowHost::MarkNoticeCritical() {
    if (m_window && m_window->Cmd_okm->isVisibleTo(m_window)) m_window->MarkCritical();
}

}  // namespace zendra::shell
