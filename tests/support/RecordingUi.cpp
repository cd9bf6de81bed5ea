#include "RecordingUi.h"

#include <QFile>

namespace zendra::test {

using namespace zendra::core;

static QString WindowName(DumpWindow w) {
    switch (w) {
        case DumpWindow::Program:
            return QStringLiteral("Program");
        case DumpWindow::Eeprom:
            return QStringLiteral("Eeprom");
        case DumpWindow::Verify:
            return QStringLiteral("Verify");
    }
    return {};
}

QStringList RecordingUi::CallsStartingWith(const QString& prefix) const {
    QStringList out;
    for (const auto& c : calls)
        if (c.startsWith(prefix)) out << c;
    return out;
}

void RecordingUi::Status(StatusField field, const QString& text) {
    const int panel = static_cast<int>(field);
    panels[panel] = text;
    calls << QStringLiteral("status %1 %2").arg(panel).arg(text);
    Repaint();
}

void RecordingUi::Phase(const QString& text) {
    messageOpen = true;
    messageText = text;
    messageOkVisible = false;
    calls << QStringLiteral("message 0 %1").arg(text);
    Repaint();
}

void RecordingUi::Step(int value, int maximum) {
    messageOpen = true;
    messageBarVisible = value != maximum;
    calls << QStringLiteral("progress ON 0 %1 %2").arg(value).arg(maximum);
    Repaint();
}

void RecordingUi::Notice(const QString& text) {
    messageOpen = true;
    messageText = text;
    messageOkVisible = true;
    messageBarVisible = false;
    calls << QStringLiteral("message 1 %1").arg(text);
    Repaint();
}

void RecordingUi::CloseMessage() {
    messageOpen = false;
    messageOkVisible = false;
    messageBarVisible = false;
    calls << QStringLiteral("close");
}

MessageAnswer RecordingUi::Ask(MessageIcon icon, const QString& title, const QString& text,
                               MessageButtons buttons) {
    boxes.append({icon, title, text, buttons});
    calls << QStringLiteral("box %1|%2").arg(title, text);
    if (buttons == MessageButtons::Ok || boxAnswers.isEmpty()) return MessageAnswer::Ok;
    return boxAnswers.dequeue();
}

void RecordingUi::Repaint() {
    if (onRepaint) onRepaint();
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

bool RecordingUi::ConfirmLockFuseWrite(const QList<core::ChangeRow>& rows) {
    confirmations.append(rows);
    calls << QStringLiteral("confirm");
    return confirmAnswers.isEmpty() || confirmAnswers.dequeue();
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
    calls << QStringLiteral("verify-window");
}

}  // namespace zendra::test
