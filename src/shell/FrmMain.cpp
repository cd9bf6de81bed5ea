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

// The children that take part in tiling: shown and not minimised.
QList<QMdiSubWindow*> TileableChildren(QMdiArea* area) {
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* child : area->subWindowList(QMdiArea::CreationOrder))
        if (child->isVisible() && !child->isMinimized()) out << child;
    return out;
}

void ShowNormalIfNeeded(QMdiSubWindow* child) {
    if (child->isMinimized() || child->isMaximized()) child->showNormal();
}

// One above the other (vertical = false) or side by side (vertical = true), sharing the area evenly.
void TileChildren(QMdiArea* area, bool sideBySide) {
    const auto children = TileableChildren(area);
    if (children.isEmpty()) return;
    const QRect space = area->viewport()->rect();
    const int n = static_cast<int>(children.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* child = children[i];
        ShowNormalIfNeeded(child);
        if (sideBySide) {
            const int w = space.width() / n;
            child->setGeometry(i * w, 0, i == n - 1 ? space.width() - i * w : w, space.height());
        } else {
            const int h = space.height() / n;
            child->setGeometry(0, i * h, space.width(), i == n - 1 ? space.height() - i * h : h);
        }
    }
}

// Minimised children in a row along the bottom edge of the area.
void ArrangeIcons(QMdiArea* area) {
    const QRect space = area->viewport()->rect();
    int x = 0;
    int y = space.bottom();
    for (QMdiSubWindow* child : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!child->isVisible() || !child->isMinimized()) continue;
        const QSize size = child->size();
        if (x > 0 && x + size.width() > space.width()) {
            x = 0;
            y -= size.height();
        }
        child->move(x, y - size.height() + 1);
        x += size.width();
    }
}

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

QAction* FrmMain::AddItem(QMenu* menu, const char* objectName, const QString& caption) {
    QAction* action = menu->addAction(QString());
    ShowText(action, caption);
    action->setObjectName(QString::fromLatin1(objectName));
    m_actions.insert(action->objectName(), action);
    return action;
}

void FrmMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    auto menu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(QString());
        ShowText(m, caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };

    QMenu* file = menu("mnuFile", texts::kMenuFile);
    AddItem(file, "mnuFileOpen", texts::kMenuFileOpen)->setShortcut(QKeySequence::Open);
    AddItem(file, "mnuFileOpenCode", texts::kMenuFileOpenCode);
    AddItem(file, "mnuFileOpenData", texts::kMenuFileOpenData);
    AddItem(file, "mnuFileOpenSetup", texts::kMenuOpenSetup);
    AddItem(file, "mnuFileReload", texts::kMenuReloadItem)->setShortcut(QKeySequence(Qt::Key_F5));
    // Off at start and not stored: a writer that programs by itself is a choice made each time.
    AddItem(file, "mnuFileWatch", texts::kMenuWatch)->setCheckable(true);
    file->addSeparator();
    AddItem(file, "mnuFileSave", texts::kMenuFileSave)->setShortcut(QKeySequence::Save);
    file->addSeparator();
    AddItem(file, "mnuFileSaveAs", texts::kMenuFileSaveAs);
    AddItem(file, "mnuFileSaveAsCode", texts::kMenuFileSaveAsCode);
    AddItem(file, "mnuFileSaveAsData", texts::kMenuFileSaveAsData);
    AddItem(file, "mnuFileSaveSetup", texts::kMenuSaveSetup);
    file->addSeparator();
    m_recentMenu = WithText(file->addMenu(QString()), texts::kMenuRecent);
    m_recentMenu->setObjectName(QStringLiteral("mnuFileRecent"));
    ShowRecentFiles({});
    file->addSeparator();
    // Ctrl+Q where the platform names no quit key.
    const QKeySequence quit(QKeySequence::Quit);
    AddItem(file, "mnuFileExit", texts::kMenuFileExit)
        ->setShortcut(quit.isEmpty() ? QKeySequence(Qt::CTRL | Qt::Key_Q) : quit);

    QMenu* edit = menu("mnuEdit", texts::kMenuEdit);
    AddItem(edit, "mnuEditUndo", texts::kMenuEditUndo)->setShortcut(QKeySequence(QKeySequence::Undo));
    AddItem(edit, "mnuEditRedo", texts::kMenuEditRedo)->setShortcut(QKeySequence(QKeySequence::Redo));

    QMenu* options = menu("mmuComCheck", texts::kMenuOptions);
    AddItem(options, "mmuCominucation", texts::kMenuComPort);
    AddItem(options, "mnuPC_buffer_clear", texts::kMenuBufferClear);
    // Each language by its own name, so either can be found whichever is showing.
    m_languageMenu = WithText(options->addMenu(QString()), texts::kMenuLanguage);
    m_languageMenu->setObjectName(QStringLiteral("mnuLanguage"));
    auto* languages = new QActionGroup(m_languageMenu);
    for (const auto& [name, caption, language] :
         {std::tuple{"mnuLanguageJa", texts::kLanguageJapanese, core::Language::Japanese},
          std::tuple{"mnuLanguageEn", texts::kLanguageEnglish, core::Language::English}}) {
        QAction* item = AddItem(m_languageMenu, name, caption);
        item->setCheckable(true);
        item->setData(static_cast<int>(language));
        languages->addAction(item);
        connect(item, &QAction::triggered, this, [this, language] {
            if (onLanguagePicked) onLanguagePicked(language);
        });
    }
    options->addSeparator();
    // Ctrl+Shift+V: Ctrl+V stays the paste of the panel's text boxes.
    AddItem(options, "mnuProgram", texts::kMenuProgram)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    AddItem(options, "mnuVerify", texts::kMenuVerify)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    AddItem(options, "mnuRead", texts::kMenuRead)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    AddItem(options, "mnuUndoLockFuse", texts::kMenuUndoLockFuse);

    QMenu* production = menu("mnuProduction", texts::kMenuProduction);
    AddItem(production, "mnuProductionSetup", texts::kMenuProductionSetup);
    AddItem(production, "mnuProductionHistory", texts::kMenuHistory);
    AddItem(production, "mnuProductionStation", texts::kMenuStation);

    m_windowMenu = menu("mnuWindow", texts::kMenuWindow);
    AddItem(m_windowMenu, "mmudeviceIndex", texts::kMenuDeviceIndex);
    QAction* reArrange = AddItem(m_windowMenu, "mmuWindowReDrow", texts::kMenuReArrange);
    m_windowMenu->addSeparator();
    QAction* openSetting = AddItem(m_windowMenu, "mmuOpenSettingWindow", texts::kMenuOpenSetting);
    QAction* openProgram = AddItem(m_windowMenu, "mmuOpenProgramWindow", texts::kMenuOpenProgram);
    QAction* openEeprom = AddItem(m_windowMenu, "mmuOpenEEpromWindow", texts::kMenuOpenEeprom);
    QAction* openLog = AddItem(m_windowMenu, "mmuOpenLogWindow", texts::kMenuOpenLog);
    m_windowMenu->addSeparator();
    QAction* cascade = AddItem(m_windowMenu, "mnuWindowCascade", texts::kMenuCascade);
    QAction* tileH = AddItem(m_windowMenu, "mnuWindowTileHorizontal", texts::kMenuTileHorizontal);
    QAction* tileV = AddItem(m_windowMenu, "mnuWindowTileVertical", texts::kMenuTileVertical);
    QAction* icons = AddItem(m_windowMenu, "mnuWindowArrangeIcons", texts::kMenuArrangeIcons);
    connect(m_windowMenu, &QMenu::aboutToShow, this, &FrmMain::FillWindowList);

    QMenu* help = menu("mnuHelp", texts::kMenuHelp);
    AddItem(help, "mmuIndex", texts::kMenuInsertPosition);
    help->addSeparator();
    AddItem(help, "mnuFirmwareUpdate", texts::kMenuFirmwareUpdate);
    AddItem(help, "mnuConnectionCheck", texts::kMenuConnectionCheck);
    help->addSeparator();
    AddItem(help, "mnuHelpSub", texts::kMenuHelpContents);
    AddItem(help, "mnuHelpAbout", texts::kMenuAbout);

    // An item on the bar itself, without a menu.
    QAction* reload = WithText(bar->addAction(QString()), texts::kMenuReload);
    reload->setObjectName(QStringLiteral("mnuReLoad"));
    m_actions.insert(reload->objectName(), reload);

    // The layout commands are pure window work; they run even while an operation waits for the writer.
    QMdiSubWindow* program = DumpSubWindow(core::DumpWindow::Program);
    QMdiSubWindow* eeprom = DumpSubWindow(core::DumpWindow::Eeprom);
    connect(openSetting, &QAction::triggered, this,
            [this] { PlaceSettingWindow(); });
    connect(openProgram, &QAction::triggered, this,
            [this, program] { PlaceChild(program, kProgramWindowPlace); });
    connect(openEeprom, &QAction::triggered, this,
            [this, eeprom] { PlaceChild(eeprom, kEepromWindowPlace); });
    connect(openLog, &QAction::triggered, this, [this] { ShowChild(m_logWindow, kLogWindowPlace); });
    connect(reArrange, &QAction::triggered, this, [this, program, eeprom] {
        PlaceSettingWindow();
        PlaceChild(program, kProgramWindowPlace);
        PlaceChild(eeprom, kEepromWindowPlace);
    });
    connect(cascade, &QAction::triggered, m_mdi, &QMdiArea::cascadeSubWindows);
    connect(tileH, &QAction::triggered, this, [this] { TileChildren(m_mdi, false); });
    connect(tileV, &QAction::triggered, this, [this] { TileChildren(m_mdi, true); });
    connect(icons, &QAction::triggered, this, [this] { ArrangeIcons(m_mdi); });
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
