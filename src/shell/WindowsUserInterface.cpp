#include "shell/WindowsUserInterface.h"

#include <QFileDialog>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTime>
#include <utility>

#include "shell/FrmConfirm.h"
#include "shell/FrmDump.h"
#include "shell/FrmLog.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/LiveText.h"
#include "shell/OperationThread.h"

namespace zendra::shell {

WindowsUserInterface::WindowsUserInterface(FrmMain& window)
    : m_window(window), m_messages(std::make_unique<MessageWindowHost>(&window, [this] { Shown(); })) {}

WindowsUserInterface::~WindowsUserInterface() = default;

void WindowsUserInterface::OnWindows(const std::function<void()>& call) {
    RunOnWindowsThread(m_window, call);
}

void WindowsUserInterface::Shown() {
    if (onShown) onShown();
}

void WindowsUserInterface::Status(core::StatusField field, const QString& text) {
    OnWindows([&] {
        ShowText(m_window.StatusPanel(static_cast<int>(field)), text);
        if (field != core::StatusField::Result) return;
        m_window.ShowResultTone(ResultTone::Plain);
        Log(text);
        Shown();
    });
}

void WindowsUserInterface::Phase(const QString& text) {
    // The bar first shows where the last phase stopped, then the new phase starts with its first step.
    const auto held = std::exchange(m_heldStep, std::nullopt);
    m_stepPacer.Restart();
    OnWindows([&] {
        if (held) m_messages->ReportProgress(kProgressOn, 0, held->first, held->second);
        m_messages->ShowMessage(kMessageProgress, text);
    });
}

void WindowsUserInterface::Step(int value, int maximum) {
    if (!m_stepPacer.Admit(value, maximum, core::Clock::now())) {
        m_heldStep = {value, maximum};
        return;
    }
    m_heldStep.reset();
    OnWindows([&] { m_messages->ReportProgress(kProgressOn, 0, value, maximum); });
}

void WindowsUserInterface::Log(const QString& text) {
    if (text.isEmpty()) return;  // a cleared panel says nothing
    const QString time = logTime ? logTime() : QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    m_window.Log()->Append(time, text);
}

void WindowsUserInterface::Notice(const QString& text) {
    m_heldStep.reset();  // the notice hides the bar
    m_stepPacer.Restart();
    OnWindows([&] {
        Log(text);
        m_messages->ShowMessage(kMessageNotice, text);
    });
}

void WindowsUserInterface::CloseMessage() {
    m_heldStep.reset();
    m_stepPacer.Restart();
    OnWindows([&] { m_messages->CloseMessage(); });
}

core::MessageAnswer WindowsUserInterface::Ask(core::MessageIcon icon, const QString& title,
                                              const QString& text, core::MessageButtons buttons) {
    core::MessageAnswer answer = core::MessageAnswer::Cancel;
    OnWindows([&] {
        const QString shownTitle = core::Translate(title), shownText = core::Translate(text);
        if (boxHook) {
            answer = boxHook(icon, shownTitle, shownText, buttons);
            return;
        }
        QMessageBox box(
            icon == core::MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information, shownTitle,
            DisplayLineBreaks(shownText),
            buttons == core::MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
            &m_window);
        box.setTextFormat(Qt::PlainText);
        answer = box.exec() == QMessageBox::Cancel ? core::MessageAnswer::Cancel : core::MessageAnswer::Ok;
    });
    return answer;
}

std::optional<QString> WindowsUserInterface::ChooseFile(const core::FileDialogRequest& asked, bool save) {
    core::FileDialogRequest request = asked;
    request.title = core::Translate(asked.title);
    request.filter = core::Translate(asked.filter);
    if (fileHook) return fileHook(request, save);
    // Qt's own chooser: the same on every desktop, and usable without a desktop session.
    QFileDialog dialog(&m_window, request.title, request.startDirectory, request.filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The file commands ask about overwriting themselves.
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.presetName.isEmpty()) dialog.selectFile(request.presetName);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
    return chosen.first();
}

std::optional<QString> WindowsUserInterface::ChooseOpenFile(const core::FileDialogRequest& request) {
    std::optional<QString> chosen;
    OnWindows([&] {
        chosen =
            m_nextOpenAnswer ? std::exchange(m_nextOpenAnswer, std::nullopt) : ChooseFile(request, false);
    });
    return chosen;
}

bool WindowsUserInterface::ConfirmLockFuseWrite(const QList<core::ChangeRow>& rows) {
    bool write = false;
    OnWindows([&] {
        FrmConfirm dialog(rows, &m_window);
        write = (runModal ? runModal(dialog) : dialog.exec()) == QDialog::Accepted;
    });
    return write;
}

std::optional<QString> WindowsUserInterface::ChooseSaveFile(const core::FileDialogRequest& request) {
    std::optional<QString> chosen;
    OnWindows([&] { chosen = ChooseFile(request, true); });
    return chosen;
}

void WindowsUserInterface::LoadDumpView(core::DumpWindow window, const QString& filePath) {
    OnWindows([&] { m_window.Dump(window)->LoadFile(filePath); });
}

void WindowsUserInterface::SetDumpWindowTitle(core::DumpWindow window, const QString& title) {
    OnWindows([&] { ShowText(m_window.DumpSubWindow(window), title, TextSlot::WindowTitle); });
}

void WindowsUserInterface::ShowVerifyWindow() {
    OnWindows([this] { PlaceVerifyWindow(); });
}

void WindowsUserInterface::PlaceVerifyWindow() {
    QMdiSubWindow* child = m_window.DumpSubWindow(core::DumpWindow::Verify);
    if (!m_verifyPlaced) {
        // First showing: a place of its own; afterwards it stays where the user left it.
        m_window.PlaceChild(child, kVerifyWindowPlace);
        m_verifyPlaced = true;
    } else {
        if (child->isMinimized()) child->showNormal();
        child->show();
    }
    TwipsRect place = m_window.ChildPlace(child);
    place.width = kVerifyWindowWidth;
    child->resize(TwipsToPixels(place, m_window.Dpi()).size());
    child->raise();
}

}  // namespace zendra::shell
