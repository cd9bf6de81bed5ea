#include "RecordingUi.h"

#include <QFile>

namespace zendra::test {

using namespace zendra::core;

namespace {
QString WindowName(DumpWindow w) {
    return QStringList{QStringLiteral("Program"), QStringLiteral("Eeprom"), QStringLiteral("Verify")}.at(int(w));
}
}  // namespace

QStringList RecordingUi::CallsStartingWith(const QString& prefix) const {
    return calls.filter(QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(prefix)));
}

void RecordingUi::Record(const QString& call, bool repaint) {
    calls << call;
    if (repaint && onRepaint) onRepaint();
}

void RecordingUi::Status(StatusField field, const QString& text) {
    panels[int(field)] = text;
    Record(QStringLiteral("status %1 %2").arg(int(field)).arg(text));
}

void RecordingUi::Phase(const QString& text) {
    messageOpen = true, messageText = text, messageOkVisible = false;
    Record(QStringLiteral("message 0 ") + text);
}

void RecordingUi::Step(int value, int maximum) {
    messageOpen = true, messageBarVisible = value != maximum;
    Record(QStringLiteral("progress ON 0 %1 %2").arg(value).arg(maximum));
}

void RecordingUi::Notice(const QString& text) {
    messageOpen = true, messageText = text, messageOkVisible = true, messageBarVisible = false;
    Record(QStringLiteral("message 1 ") + text);
}

void RecordingUi::CloseMessage() {
    messageOpen = messageOkVisible = messageBarVisible = false;
    Record(QStringLiteral("close"), false);
}

MessageAnswer RecordingUi::Ask(MessageIcon icon, const QString& title, const QString& text, MessageButtons buttons) {
    boxes.append({icon, title, text, buttons});
    Record(QStringLiteral("box %1|%2").arg(title, text), false);
    return buttons == MessageButtons::Ok || boxAnswers.isEmpty() ? MessageAnswer::Ok : boxAnswers.dequeue();
}

std::optional<QString> RecordingUi::ChooseFile(const FileDialogRequest& request, const char* kind) {
    fileRequests.append(request);
    Record(QLatin1String(kind) + QStringLiteral("-dialog ") + request.title, false);
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

bool RecordingUi::ConfirmLockFuseWrite(const QList<ChangeRow>& rows) {
    confirmations.append(rows);
    Record(QStringLiteral("confirm"), false);
    return confirmAnswers.isEmpty() || confirmAnswers.dequeue();
}

void RecordingUi::LoadDumpView(DumpWindow window, const QString& filePath) {
    dumpFiles[window] = filePath;
    QFile f(filePath);
    dumpContents[window] = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    Record(QStringLiteral("dump %1 %2").arg(WindowName(window), filePath), false);
}

void RecordingUi::SetDumpWindowTitle(DumpWindow window, const QString& title) {
    dumpTitles[window] = title;
    Record(QStringLiteral("title %1 %2").arg(WindowName(window), title), false);
}

}  // namespace zendra::test
