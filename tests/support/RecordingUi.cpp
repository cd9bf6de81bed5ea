#include "RecordingUi.h"

#include <QFile>

namespace zendra::test {

using namespace zendra::core;

QString PanelControlName(PanelControl control) {
    static const char* const names[] = {"CKSEL", "SUT",   "BODEN", "BODLEVEL", "RSTDISABL", "EESAVE",
                                        "CKOPT", "PLLCK", "FSTRT", "RCEN",     "LockBit"};
    return QString::fromLatin1(names[static_cast<int>(control)]);
}

static QString WindowName(DumpWindow w) {
    switch (w) {
        case DumpWindow::Program: return QStringLiteral("Program");
        case DumpWindow::Eeprom: return QStringLiteral("Eeprom");
        case DumpWindow::Verify: return QStringLiteral("Verify");
    }
    return {};
}

QStringList RecordingUi::CallsStartingWith(const QString& prefix) const {
    QStringList out;
    for (const auto& c : calls)
        if (c.startsWith(prefix)) out << c;
    return out;
}

void RecordingUi::SetStatusPanel(int panel, const QString& text) {
    if (panel >= 1 && panel <= 5) panels[panel] = text;
    calls << QStringLiteral("status %1 %2").arg(panel).arg(text);
}

void RecordingUi::ShowMessage(int kind, const QString& text) {
    messageOpen = true;
    messageText = text;
    if (kind == kMessageNotice) {
        messageOkVisible = true;
        messageBarVisible = false;
    } else {
        messageOkVisible = false;
    }
    calls << QStringLiteral("message %1 %2").arg(kind).arg(text);
    PumpEvents();
}

void RecordingUi::ReportProgress(const QString& state, int minimum, int value, int maximum) {
    messageOpen = true;
    messageBarVisible = state == QStringLiteral("ON") && value != maximum;
    calls << QStringLiteral("progress %1 %2 %3 %4").arg(state).arg(minimum).arg(value).arg(maximum);
    PumpEvents();
}

void RecordingUi::CloseMessage() {
    messageOpen = false;
    messageOkVisible = false;
    messageBarVisible = false;
    calls << QStringLiteral("close");
}

void RecordingUi::SetMessageText(const QString& text) {
    messageOpen = true;
    messageText = text;
    calls << QStringLiteral("text %1").arg(text);
}

void RecordingUi::SetMessageOkVisible(bool visible) {
    messageOpen = true;
    messageOkVisible = visible;
    calls << QStringLiteral("ok %1").arg(visible ? 1 : 0);
}

void RecordingUi::SetMessageBarVisible(bool visible) {
    messageOpen = true;
    messageBarVisible = visible;
    calls << QStringLiteral("bar %1").arg(visible ? 1 : 0);
}

MessageAnswer RecordingUi::ShowMessageBox(MessageIcon icon, const QString& title, const QString& text,
                                          MessageButtons buttons) {
    boxes.append({icon, title, text, buttons});
    calls << QStringLiteral("box %1|%2").arg(title, text);
    if (buttons == MessageButtons::Ok || boxAnswers.isEmpty()) return MessageAnswer::Ok;
    return boxAnswers.dequeue();
}

void RecordingUi::PumpEvents() {
    ++pumps;
    if (onPump) onPump();
}

std::optional<QString> RecordingUi::ChooseOpenFile(const FileDialogRequest& request) {
    fileRequests.append(request);
    calls << QStringLiteral("open-dialog %1").arg(request.title);
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

std::optional<QString> RecordingUi::ChooseSaveFile(const FileDialogRequest& request) {
    fileRequests.append(request);
    calls << QStringLiteral("save-dialog %1").arg(request.title);
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

void RecordingUi::FillPanelControl(PanelControl control, const QStringList& entries, int index, bool enabled) {
    controls[control] = {entries, index, enabled};
    calls << QStringLiteral("fill %1 %2 %3 %4")
                 .arg(PanelControlName(control), entries.join(QLatin1Char(',')))
                 .arg(index)
                 .arg(enabled ? 1 : 0);
}

int RecordingUi::PanelIndex(PanelControl control) const { return controls.value(control).index; }

void RecordingUi::SetPanelIndex(PanelControl control, int index) {
    controls[control].index = index;
    calls << QStringLiteral("index %1 %2").arg(PanelControlName(control)).arg(index);
}

void RecordingUi::SetLockChoiceState(bool visible, bool read, bool write) {
    lockVisible = visible;
    readEnabled = read;
    writeEnabled = write;
    calls << QStringLiteral("lockstate %1 %2 %3").arg(visible).arg(read).arg(write);
}

void RecordingUi::SetCalibrationText(const QString& text) {
    calibrationText = text;
    calls << QStringLiteral("calib %1").arg(text);
}

void RecordingUi::SetFuseFrameVisible(bool visible) {
    fuseFrameVisible = visible;
    calls << QStringLiteral("fuseframe %1").arg(visible ? 1 : 0);
}

void RecordingUi::LoadDumpView(DumpWindow window, const QString& filePath) {
    dumpFiles[window] = filePath;
    QFile f(filePath);
    dumpContents[window] = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    calls << QStringLiteral("dump %1 %2").arg(WindowName(window), filePath);
}

void RecordingUi::SetDumpWindowTitle(DumpWindow window, const QString& title) {
    dumpTitles[window] = title;
    calls << QStringLiteral("title %1 %2").arg(WindowName(window), title);
}

void RecordingUi::ShowVerifyWindow() {
    ++verifyWindowShows;
    calls << QStringLiteral("verify-window");
}

}  // namespace zendra::test
