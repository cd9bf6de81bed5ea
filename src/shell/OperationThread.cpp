#include "shell/OperationThread.h"

#include <QEventLoop>
#include <QThread>
#include <memory>

#include "shell/WidgetUi.h"

namespace zendra::shell {

OperationUi::OperationUi(WidgetUi& ui, QObject& windows) : m_ui(ui), m_windows(windows) {
    m_pacer.SetInterval(ui.StepInterval());
}

void OperationUi::OnWindows(const std::function<void()>& call) {
    if (QThread::currentThread() == m_windows.thread()) return call();
    QMetaObject::invokeMethod(&m_windows, call, Qt::BlockingQueuedConnection);
}

void OperationUi::Status(core::StatusField field, const QString& text) {
    OnWindows([&] { m_ui.Status(field, text); });
}

void OperationUi::Phase(const QString& text) {
    // The bar first shows where the last phase stopped, then the new phase starts with its first step.
    const auto held = std::exchange(m_heldStep, std::nullopt);
    m_pacer.Restart();
    OnWindows([&] {
        if (held) m_ui.DrawStep(held->first, held->second);
        m_ui.Phase(text);
    });
}

void OperationUi::Step(int value, int maximum) {
    if (!m_pacer.Admit(value, maximum, core::Clock::now())) {
        m_heldStep = {value, maximum};
        return;
    }
    m_heldStep.reset();
    OnWindows([&] { m_ui.DrawStep(value, maximum); });
}

void OperationUi::Notice(const QString& text) {
    m_heldStep.reset();  // the notice hides the bar
    m_pacer.Restart();
    OnWindows([&] { m_ui.Notice(text); });
}

void OperationUi::CloseMessage() {
    m_heldStep.reset();
    m_pacer.Restart();
    OnWindows([&] { m_ui.CloseMessage(); });
}

core::MessageAnswer OperationUi::Ask(core::MessageIcon icon, const QString& title, const QString& text,
                                     core::MessageButtons buttons) {
    core::MessageAnswer answer = core::MessageAnswer::Cancel;
    OnWindows([&] { answer = m_ui.Ask(icon, title, text, buttons); });
    return answer;
}

std::optional<QString> OperationUi::ChooseOpenFile(const core::FileDialogRequest& request) {
    std::optional<QString> chosen;
    OnWindows([&] { chosen = m_ui.ChooseOpenFile(request); });
    return chosen;
}

std::optional<QString> OperationUi::ChooseSaveFile(const core::FileDialogRequest& request) {
    std::optional<QString> chosen;
    OnWindows([&] { chosen = m_ui.ChooseSaveFile(request); });
    return chosen;
}

void OperationUi::LoadDumpView(core::DumpWindow window, const QString& filePath) {
    OnWindows([&] { m_ui.LoadDumpView(window, filePath); });
}

void OperationUi::SetDumpWindowTitle(core::DumpWindow window, const QString& title) {
    OnWindows([&] { m_ui.SetDumpWindowTitle(window, title); });
}

void OperationUi::ShowVerifyWindow() {
    OnWindows([&] { m_ui.ShowVerifyWindow(); });
}

void RunOffWindowsThread(const std::function<void()>& work) {
    QEventLoop loop;
    const std::unique_ptr<QThread> thread(QThread::create(work));
    // Queued: a thread that ends before the loop starts still ends it.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();
}

}  // namespace zendra::shell
