#include "shell/WidgetUi.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTime>
#include <utility>

#include "shell/FrmDump.h"
#include "shell/FrmLog.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/LiveText.h"

namespace zendra::shell {

WidgetUi::WidgetUi(FrmMain& window)
    : m_window(window), m_messages(std::make_unique<MessageWindowHost>(&window, [this] { PumpEvents(); })) {}

WidgetUi::~WidgetUi() = default;

void WidgetUi::Status(core::StatusField field, const QString& text) {
    ShowText(m_window.StatusPanel(static_cast<int>(field)), text);
    if (field == core::StatusField::Result) {
        ++m_resultWrites;
        m_lastResult = text;
        Log(text);
        PumpEvents();
    }
}

void WidgetUi::Phase(const QString& text) {
    // The bar first shows where the last phase stopped, then the new phase starts with its first step.
    if (const auto held = std::exchange(m_heldStep, std::nullopt))
        m_messages->ReportProgress(kProgressOn, 0, held->first, held->second);
    m_stepPacer.Restart();
    m_messages->ShowMessage(kMessageProgress, text);
}

void WidgetUi::Step(int value, int maximum) {
    if (!m_stepPacer.Admit(value, maximum, core::Clock::now())) {
        m_heldStep = {value, maximum};
        return;
    }
    DrawStep(value, maximum);
}

void WidgetUi::DrawStep(int value, int maximum) {
    m_heldStep.reset();
    m_messages->ReportProgress(kProgressOn, 0, value, maximum);
}

void WidgetUi::Log(const QString& text) {
    if (text.isEmpty()) return;  // a cleared panel says nothing
    const QString time = logTime ? logTime() : QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    m_window.Log()->Append(time, text);
}

void WidgetUi::Notice(const QString& text) {
    Log(text);
    m_heldStep.reset();  // the notice hides the bar
    m_stepPacer.Restart();
    m_messages->ShowMessage(kMessageNotice, text);
    PumpEvents();
}

void WidgetUi::CloseMessage() {
    m_heldStep.reset();
    m_stepPacer.Restart();
    m_messages->CloseMessage();
}

core::MessageAnswer WidgetUi::Ask(core::MessageIcon icon, const QString& title, const QString& text,
                                  core::MessageButtons buttons) {
    const QString shownTitle = core::Translate(title), shownText = core::Translate(text);
    if (boxHook) return boxHook(icon, shownTitle, shownText, buttons);
    QMessageBox box(
        icon == core::MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information, shownTitle,
        DisplayLineBreaks(shownText),
        buttons == core::MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
        &m_window);
    box.setTextFormat(Qt::PlainText);
    const int answer = box.exec();
    return answer == QMessageBox::Cancel ? core::MessageAnswer::Cancel : core::MessageAnswer::Ok;
}

void WidgetUi::PumpEvents() {
    QCoreApplication::processEvents();
    if (onPump) onPump();
}

std::optional<QString> WidgetUi::ChooseFile(const core::FileDialogRequest& asked, bool save) {
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

std::optional<QString> WidgetUi::ChooseOpenFile(const core::FileDialogRequest& request) {
    if (m_nextOpenAnswer) return std::exchange(m_nextOpenAnswer, std::nullopt);
    return ChooseFile(request, false);
}

std::optional<QString> WidgetUi::ChooseSaveFile(const core::FileDialogRequest& request) {
    return ChooseFile(request, true);
}

void WidgetUi::LoadDumpView(core::DumpWindow window, const QString& filePath) {
    m_window.Dump(window)->LoadFile(filePath);
}

void WidgetUi::SetDumpWindowTitle(core::DumpWindow window, const QString& title) {
    ShowText(m_window.DumpSubWindow(window), title, TextSlot::WindowTitle);
}

void WidgetUi::ShowVerifyWindow() {
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
