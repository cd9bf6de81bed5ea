#include "shell/WidgetUi.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>

#include "shell/FrmDump.h"
#include "shell/FrmMain.h"
#include "shell/FrmMsg.h"
#include "shell/SettingsPanel.h"

namespace zendra::shell {

using core::PanelControl;

WidgetUi::WidgetUi(frmMain& window)
    : m_window(window), m_messages(std::make_unique<MessageWindowHost>(&window, [this] { PumpEvents(); })) {
    for (int& index : m_accepted) index = -1;
}

WidgetUi::~WidgetUi() = default;

void WidgetUi::SetStatusPanel(int panel, const QString& text) {
    if (QLabel* label = m_window.StatusPanel(panel)) label->setText(text);
}

void WidgetUi::ShowMessage(int kind, const QString& text) { m_messages->ShowMessage(kind, text); }

void WidgetUi::ReportProgress(const QString& state, int minimum, int value, int maximum) {
    m_messages->ReportProgress(state, minimum, value, maximum);
}

void WidgetUi::CloseMessage() { m_messages->CloseMessage(); }

void WidgetUi::SetMessageText(const QString& text) { m_messages->SetMessageText(text); }

void WidgetUi::SetMessageOkVisible(bool visible) { m_messages->SetMessageOkVisible(visible); }

void WidgetUi::SetMessageBarVisible(bool visible) { m_messages->SetMessageBarVisible(visible); }

core::MessageAnswer WidgetUi::ShowMessageBox(core::MessageIcon icon, const QString& title,
                                             const QString& text, core::MessageButtons buttons) {
    if (boxHook) return boxHook(icon, title, text, buttons);
    QMessageBox box(
        icon == core::MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Information, title,
        DisplayLineBreaks(text),
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

std::optional<QString> WidgetUi::ChooseFile(const core::FileDialogRequest& request, bool save) {
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
    return ChooseFile(request, false);
}

std::optional<QString> WidgetUi::ChooseSaveFile(const core::FileDialogRequest& request) {
    return ChooseFile(request, true);
}

QString WidgetUi::DeviceSelectorText() const { return m_window.Panel()->Combo_device->currentText(); }

void WidgetUi::FillPanelControl(PanelControl control, const QStringList& entries, int index, bool enabled) {
    QComboBox* combo = m_window.Panel()->Panel(control);
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(entries);
    combo->setCurrentIndex(index);
    combo->setEnabled(enabled);
    m_accepted[static_cast<int>(control)] = combo->currentIndex();
}

int WidgetUi::PanelIndex(PanelControl control) const {
    return m_window.Panel()->Panel(control)->currentIndex();
}

void WidgetUi::SetPanelIndex(PanelControl control, int index) {
    QComboBox* combo = m_window.Panel()->Panel(control);
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index);
    m_accepted[static_cast<int>(control)] = combo->currentIndex();
}

int WidgetUi::AcceptedPanelIndex(PanelControl control) const { return m_accepted[static_cast<int>(control)]; }

void WidgetUi::AcceptPanelIndex(PanelControl control) {
    m_accepted[static_cast<int>(control)] = PanelIndex(control);
}

void WidgetUi::SetLockChoiceState(bool visible, bool readEnabled, bool writeEnabled) {
    SettingsPanel* panel = m_window.Panel();
    panel->Combo_LockBit->setVisible(visible);
    panel->cmdFuseRead->setEnabled(readEnabled);
    panel->cmdFuseWrite->setEnabled(writeEnabled);
}

void WidgetUi::SetCalibrationText(const QString& text) { m_window.Panel()->Lbl_READCALIB->setText(text); }

void WidgetUi::SetFuseFrameVisible(bool visible) { m_window.Panel()->Frame2->setVisible(visible); }

void WidgetUi::LoadDumpView(core::DumpWindow window, const QString& filePath) {
    m_window.Dump(window)->LoadFile(filePath);
}

void WidgetUi::SetDumpWindowTitle(core::DumpWindow window, const QString& title) {
    m_window.DumpSubWindow(window)->setWindowTitle(title);
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
