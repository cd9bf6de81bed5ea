#pragma once
// The windows as a recorder: every call is kept in order as a line of text, and the visible state
// (panels, message window, lock/fuse panel, dump windows) is kept as the shell would show it.
// Answers for modal boxes and file choosers are queued by the test beforehand.

#include <QHash>
#include <QList>
#include <QQueue>
#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

#include "core/UserInterface.h"

namespace zendra::test {

class RecordingUi final : public core::UserInterface {
public:
    struct Box {
        core::MessageIcon icon;
        QString title;
        QString text;
        core::MessageButtons buttons;
    };

    // Every call as one line, e.g. "status 1 ｺﾐﾆｭｹｰｼｮﾝ失敗 : Chip Erase e", "message 1 text" (a notice),
    // "message 0 text" (a phase), "progress ON 0 5 10", "close", "box ...", "dump Program path".
    QStringList calls;
    QStringList CallsStartingWith(const QString& prefix) const;

    std::array<QString, 6> panels{};  // index 1..5
    // Message window as shown.
    bool messageOpen = false;
    QString messageText;
    bool messageOkVisible = false;
    bool messageBarVisible = false;

    QHash<core::DumpWindow, QString> dumpTitles;
    QHash<core::DumpWindow, QString> dumpFiles;     // the path last loaded
    QHash<core::DumpWindow, QString> dumpContents;  // the text it held when loaded

    QList<Box> boxes;
    QQueue<core::MessageAnswer> boxAnswers;      // empty: Ok
    QQueue<std::optional<QString>> fileAnswers;  // empty: cancelled
    QList<core::FileDialogRequest> fileRequests;
    QList<QList<core::ChangeRow>> confirmations;
    QQueue<bool> confirmAnswers;  // empty: write
    std::function<void()> onRepaint;  // runs after every change the windows would repaint for

    void Status(core::StatusField field, const QString& text) override;
    void Phase(const QString& text) override;
    void Step(int value, int maximum) override;
    void Notice(const QString& text) override;
    void CloseMessage() override;
    core::MessageAnswer Ask(core::MessageIcon icon, const QString& title, const QString& text,
                            core::MessageButtons buttons) override;
    std::optional<QString> ChooseOpenFile(const core::FileDialogRequest& r) override { return ChooseFile(r, "open"); }
    std::optional<QString> ChooseSaveFile(const core::FileDialogRequest& r) override { return ChooseFile(r, "save"); }
    bool ConfirmLockFuseWrite(const QList<core::ChangeRow>& rows) override;
    void LoadDumpView(core::DumpWindow window, const QString& filePath) override;
    void SetDumpWindowTitle(core::DumpWindow window, const QString& title) override;
    void ShowVerifyWindow() override { Record(QStringLiteral("verify-window"), false); }

private:
    void Record(const QString& call, bool repaint = true);  // a change the windows would repaint for
    std::optional<QString> ChooseFile(const core::FileDialogRequest& request, const char* kind);
};

}  // namespace zendra::test
