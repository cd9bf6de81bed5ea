#include "shell/FrmMain.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <tuple>

#include "shell/FrmDump.h"
#include "shell/FrmLog.h"
#include "shell/FrmMainParts.h"
#include "shell/LiveText.h"
#include "shell/DialogProduction.h"
#include "shell/FrmStation.h"
#include "shell/SettingsPanel.h"
#include "shell/ShellTexts.h"

namespace zendra::shell {

namespace {

int DumpSlot(core::DumpWindow which) { return static_cast<int>(which); }

constexpr core::DumpWindow kDumpOrder[] = {core::DumpWindow::Program, core::DumpWindow::Eeprom,
                                           core::DumpWindow::Verify};

}  // namespace

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent) {
    setAcceptDrops(true);
    setObjectName(QStringLiteral("frmMain"));
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);

    // The command panel scrolls inside its window, so nothing is cut off when the window is small.
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("SettingScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_panel = new SettingsPanel;
    scroll->setWidget(m_panel);
    connect(m_panel, &SettingsPanel::grew, this, [this] {
        FitSettingWindow();
        GrowToShowAll();
    });
    m_settingWindow = AddChild(scroll, QStringLiteral("SettingWindow"), texts::kSettingWindowTitle);

    for (core::DumpWindow which : kDumpOrder) {
        auto* dump = new FrmDump(which);
        // A file dropped on a dump opens it like one dropped on the frame, instead of pasting its name.
        dump->View()->setAcceptDrops(false);
        dump->View()->viewport()->setAcceptDrops(false);
        m_dumps[DumpSlot(which)] = dump;
        m_dumpWindows[DumpSlot(which)] =
            AddChild(dump, dump->objectName() + QStringLiteral("Window"), FrmDump::InitialTitle(which));
    }

    m_log = new FrmLog;
    m_logWindow = AddChild(m_log, QStringLiteral("frmLogWindow"), texts::kLogWindowTitle);
    m_history = new FrmHistory;
    m_historyWindow = AddChild(m_history, QStringLiteral("frmHistoryWindow"), texts::kHistoryTitle);
    BuildMenus();
    BuildStatusBar();
}

FrmMain::~FrmMain() = default;

QMdiSubWindow* FrmMain::AddChild(QWidget* content, const QString& objectName, const QString& title) {
    // Closing a child only hides it: the menus show it again, and the logic never loses its widgets.
    auto* child = new QMdiSubWindow;
    child->setObjectName(objectName);
    child->setAttribute(Qt::WA_DeleteOnClose, false);
    child->setWidget(content);
    ShowText(child, title, TextSlot::WindowTitle);
    FollowLanguage(child);
    m_mdi->addSubWindow(child);
    child->hide();
    return child;
}

QMdiSubWindow* FrmMain::DumpSubWindow(core::DumpWindow which) const { return m_dumpWindows[DumpSlot(which)]; }

FrmDump* FrmMain::Dump(core::DumpWindow which) const { return m_dumps[DumpSlot(which)]; }

QLabel* FrmMain::StatusPanel(int panel) const {
    if (panel < 1 || panel > texts::kStatusPanelCount) return nullptr;
    return m_statusPanels[panel - 1];
}

void FrmMain::ShowResultTone(ResultTone tone) {
    QLabel* panel = m_statusPanels[0];
    if (tone == ResultTone::Plain) {
        panel->setPalette(QPalette());
        return;
    }
    QPalette coloured = panel->palette();
    coloured.setColor(QPalette::WindowText, tone == ResultTone::Success ? kSuccessTextColour : kFailureTextColour);
    panel->setPalette(coloured);
}

double FrmMain::Dpi() const { return LogicalDpi(this); }

void FrmMain::PlaceChild(QMdiSubWindow* child, const TwipsRect& place) {
    ShowNormalIfNeeded(child);
    child->show();
    child->setGeometry(TwipsToPixels(place, Dpi()));
}

void FrmMain::PlaceSettingWindow() {
    PlaceChild(m_settingWindow, kSettingWindowPlace);
    FitSettingWindow();
}

void FrmMain::FitSettingWindow() {
    // Before the first showing the style has not set the fonts and margins the sizes depend on.
    m_settingWindow->ensurePolished();
    QStyleOptionTitleBar title;
    title.initFrom(m_settingWindow);
    title.titleBarFlags = m_settingWindow->windowFlags();
    QStyle* style = m_settingWindow->style();
    const int frame = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, m_settingWindow);
    const int titleHeight = std::max(style->pixelMetric(QStyle::PM_TitleBarHeight, &title, m_settingWindow),
                                     m_settingWindow->fontMetrics().height() + 4);
    // A few pixels of slack for the styles' rounding of frame and title.
    constexpr int kSlack = 4;
    QSize content = m_panel->sizeHint();
    // Wrapped labels are as high as the width they get makes them, and a scroll area that once showed its
    // bar decides with the width left beside it: taken at that width, the height never calls the bar back.
    const int bar = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_settingWindow);
    if (m_panel->hasHeightForWidth())
        content.setHeight(std::max(content.height(), m_panel->heightForWidth(content.width() - bar)));
    const QSize needed(content.width() + 2 * frame + kSlack, content.height() + titleHeight + frame + kSlack);
    const QSize size = m_settingWindow->size().expandedTo(needed);
    if (size != m_settingWindow->size()) m_settingWindow->resize(size);
}

void FrmMain::GrowToShowAll() {
    if (QLayout* frameLayout = layout()) frameLayout->activate();
    // The status bar lays its panels out when its own request comes round; their widths are wanted now.
    if (QLayout* barLayout = statusBar()->layout()) barLayout->activate();
    // The child's place is in the area's own coordinates; the area's scroll bars are not counted, as
    // they go once the child fits.
    constexpr int kMargin = 4;
    const QRect area = m_mdi->contentsRect();
    const QRect wanted = m_settingWindow->geometry();
    QLabel* panel = m_statusPanels[0];
    int panelText = 0;
    for (const QString* text : texts::kLongestResults)
        panelText = std::max(panelText, panel->fontMetrics().horizontalAdvance(core::Translate(*text)));
    // A framed label indents its text by half an "x" at either side.
    const int panelNeeds = panelText + 2 * panel->frameWidth() + 2 * panel->margin() +
                           panel->fontMetrics().horizontalAdvance(QLatin1Char('x')) + kMargin;
    const int dx = std::max({0, wanted.right() + 1 + kMargin - area.width(), panelNeeds - panel->width()});
    const int dy = std::max(0, wanted.bottom() + 1 + kMargin - area.height());
    // The panels added to the five give way, the checksum first, where the screen leaves panel 1 too little.
    const auto giveWay = [&] {
        for (const int number : {texts::kChecksumPanelNumber, texts::kSerialPanelNumber}) {
            if (QLayout* barLayout = statusBar()->layout()) barLayout->activate();
            QLabel* added = m_statusPanels[number - 1];
            const int shortfall = panelNeeds - panel->width();
            if (shortfall > 0 && !added->isHidden()) added->setFixedWidth(std::max(0, added->width() - shortfall));
        }
    };
    if (dx == 0 && dy == 0) return giveWay();
    QRect frame = geometry();
    frame.setSize(frame.size() + QSize(dx, dy));
    // No further than the screen the frame is on.
    if (const QScreen* on = screen()) {
        const QRect available = on->availableGeometry();
        frame.setRight(std::min(frame.right(), std::max(geometry().right(), available.right())));
        frame.setBottom(std::min(frame.bottom(), std::max(geometry().bottom(), available.bottom())));
    }
    setGeometry(frame);
    giveWay();
}

TwipsRect FrmMain::ChildPlace(const QMdiSubWindow* child) const {
    return PixelsToTwips(child->geometry(), Dpi());
}

void FrmMain::ShowChild(QMdiSubWindow* child, const TwipsRect& firstPlace) {
    // First showing at its own place; afterwards where the user left it.
    if (child->isHidden() && !child->property("placed").toBool()) {
        PlaceChild(child, firstPlace);
        child->setProperty("placed", true);
    }
    if (child->isMinimized()) child->showNormal();
    child->show();
    m_mdi->setActiveSubWindow(child);
}

void FrmMain::FillWindowList() {
    for (QAction* old : m_windowListActions) {
        m_windowMenu->removeAction(old);
        old->deleteLater();
    }
    m_windowListActions.clear();
    const auto children = m_mdi->subWindowList(QMdiArea::CreationOrder);
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* child : children)
        if (child->isVisible()) open << child;
    if (open.isEmpty()) return;
    m_windowListActions << m_windowMenu->addSeparator();
    int number = 1;
    for (QMdiSubWindow* child : open) {
        QAction* item =
            m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(child->windowTitle()));
        item->setCheckable(true);
        item->setChecked(child == m_mdi->activeSubWindow());
        connect(item, &QAction::triggered, this, [this, child] {
            if (child->isMinimized()) child->showNormal();
            m_mdi->setActiveSubWindow(child);
        });
        m_windowListActions << item;
    }
}

void FrmMain::ShowRecentFiles(const QStringList& paths) {
    m_recentMenu->clear();
    if (paths.isEmpty()) {
        WithText(m_recentMenu->addAction(QString()), texts::kMenuRecentNone)->setEnabled(false);
        return;
    }
    int number = 1;
    for (const QString& path : paths) {
        QString shown = path;
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));  // a path's "&" is no access key
        QAction* item = m_recentMenu->addAction(texts::kMenuRecentItem.arg(number++).arg(shown));
        item->setData(path);
        connect(item, &QAction::triggered, this, [this, path] {
            if (onRecentPicked) onRecentPicked(path);
        });
    }
}

void FrmMain::ShowLanguage(core::Language language) {
    for (QAction* item : m_languageMenu->actions())
        item->setChecked(item->data().toInt() == static_cast<int>(language));
}

QString FrmMain::DroppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return QString();
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return QString();
    const QString path = urls.first().toLocalFile();
    return QFileInfo(path).isDir() ? QString() : path;
}

void FrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void FrmMain::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void FrmMain::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    if (onFileDropped) onFileDropped(path);
}

void FrmMain::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    bar->setSizeGripEnabled(true);
    // Panel 1 takes what the others leave; the others fit their usual texts.
    const char* widthSample[texts::kStatusPanelCount] = {"",      "--:--:--", "KX-WRT540 V6.35",
                                                         "COM20", "9999秒",   "CRC 00000000/00000000", ""};
    for (int i = 0; i < texts::kStatusPanelCount; ++i) {
        auto* label = WithText(new QLabel(bar), texts::kPanelStartText[i]);
        label->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        ShowText(label, texts::kPanelTip[i], TextSlot::ToolTip);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        label->installEventFilter(this);
        if (i == 0) {
            label->setMinimumWidth(80);
            bar->addWidget(label, 1);
        } else {
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString::fromUtf8(widthSample[i])) +
                                   12);
            bar->addPermanentWidget(label, 0);
        }
        m_statusPanels[i] = label;
    }
    // Only a production run with a stamp has a next number to show.
    m_statusPanels[texts::kSerialPanelNumber - 1]->hide();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < texts::kStatusPanelCount; ++i) {
            if (watched == m_statusPanels[i]) {
                if (onPanelClicked) onPanelClicked(i + 1);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (onCloseRequest && !onCloseRequest()) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace zendra::shell
