#pragma once
// The frame: menu bar, seven-panel status bar and the MDI area holding the settings window (the command
// panel) and the dump windows. It builds and places windows; the application decides what commands do.

#include <QColor>
#include <QHash>
#include <QMainWindow>
#include <array>
#include <functional>

#include "core/Language.h"
#include "core/UserInterface.h"
#include "shell/Twips.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMimeData;

namespace zendra::shell {

class FrmDump;
class FrmHistory;
class FrmLog;
class SettingsPanel;

// Fixed places of the window-layout commands, in twips relative to the MDI area.
inline constexpr TwipsRect kSettingWindowPlace{7000, 50, 4100, 6050};
inline constexpr TwipsRect kProgramWindowPlace{50, 50, 6900, 4000};
inline constexpr TwipsRect kEepromWindowPlace{50, 4100, 6900, 2000};
// The verify window has no stored place; the verify flow only fixes its width.
inline constexpr TwipsRect kVerifyWindowPlace{50, 50, 5600, 4000};
inline constexpr double kVerifyWindowWidth = 5600;
inline constexpr TwipsRect kLogWindowPlace{300, 300, 6900, 3000};
inline constexpr TwipsRect kHistoryWindowPlace{450, 450, 9000, 7500};

// How status panel 1 shows an operation's outcome: a failure in red, a success in a calm green (dark
// enough to read on a light panel), anything else in the panel's own colour.
enum class ResultTone { Plain, Success, Failure };
inline const QColor kSuccessTextColour{0, 112, 48};
inline const QColor kFailureTextColour{200, 0, 0};

class FrmMain final : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);
    ~FrmMain() override;

    SettingsPanel* Panel() const { return m_panel; }
    QMdiArea* MdiArea() const { return m_mdi; }
    QMdiSubWindow* SettingWindow() const { return m_settingWindow; }
    QMdiSubWindow* DumpSubWindow(core::DumpWindow which) const;
    FrmDump* Dump(core::DumpWindow which) const;
    FrmLog* Log() const { return m_log; }
    QMdiSubWindow* LogWindow() const { return m_logWindow; }
    FrmHistory* History() const { return m_history; }
    QMdiSubWindow* HistoryWindow() const { return m_historyWindow; }
    // Shown at its first place the first time, then where the user left it; brought to the front.
    void ShowChild(QMdiSubWindow* child, const TwipsRect& firstPlace);
    // A menu item by its object name (mnuFileOpen, mmuCominucation, ...); null when unknown.
    QAction* Action(const QString& objectName) const { return m_actions.value(objectName); }
    QLabel* StatusPanel(int panel) const;  // 1..7
    // Status panel 1's text colour for an outcome; a new text there goes back to Plain.
    void ShowResultTone(ResultTone tone);

    // Restored from minimised, shown, then placed (twips relative to the MDI area).
    void PlaceChild(QMdiSubWindow* child, const TwipsRect& place);
    TwipsRect ChildPlace(const QMdiSubWindow* child) const;
    // The settings window at its fixed place, grown where this screen's fonts need more room than the
    // fixed size gives, so every control shows without scrolling.
    void PlaceSettingWindow();
    // The settings window grown, where it is, to what its controls need now (after a change of language).
    void FitSettingWindow();
    // The frame grown, within its screen, until the settings window shows whole without scrolling the
    // area and status panel 1 has room for its longest texts.
    void GrowToShowAll();
    double Dpi() const;

    // Asked when the frame is about to close; false keeps it open.
    std::function<bool()> onCloseRequest;
    // A click on status panel 1..7.
    std::function<void(int)> onPanelClicked;
    // One local file dropped on the frame.
    std::function<void(const QString&)> onFileDropped;
    // A recent file picked from the File menu.
    std::function<void(const QString&)> onRecentPicked;
    // A language picked from the Options menu, and the check mark of the one in use.
    std::function<void(core::Language)> onLanguagePicked;
    void ShowLanguage(core::Language language);
    // The File menu's recent files, newest first.
    void ShowRecentFiles(const QStringList& paths);
    QMenu* RecentMenu() const { return m_recentMenu; }
    // The one local file a drag carries, or empty: several files, a folder or a remote address are not
    // taken.
    static QString DroppedFile(const QMimeData* data);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildStatusBar();
    QMdiSubWindow* AddChild(QWidget* content, const QString& objectName, const QString& title);
    QAction* AddItem(QMenu* menu, const char* objectName, const QString& caption);
    void FillWindowList();

    QMdiArea* m_mdi = nullptr;
    SettingsPanel* m_panel = nullptr;
    QMdiSubWindow* m_settingWindow = nullptr;
    std::array<QMdiSubWindow*, 3> m_dumpWindows{};
    std::array<FrmDump*, 3> m_dumps{};
    std::array<QLabel*, 7> m_statusPanels{};
    QHash<QString, QAction*> m_actions;
    QMenu* m_windowMenu = nullptr;
    QMenu* m_recentMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    FrmLog* m_log = nullptr;
    QMdiSubWindow* m_logWindow = nullptr;
    FrmHistory* m_history = nullptr;
    QMdiSubWindow* m_historyWindow = nullptr;
    QList<QAction*> m_windowListActions;
};

}  // namespace zendra::shell
