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

// The children that take part in tiling: shown and not minimised.
QList<QMdiSubWindow*> TileableChildren(QMdiArea* area) {
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* child : area->subWindowList(QMdiArea::CreationOrder))
        if (child->isVisible() && !child->isMinimized()) out << child;
    return out;
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

}  // namespace zendra::shell
