#include "image/FileCommands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "core/Language.h"
#include "image/CodeFormats.h"
#include "image/Dumps.h"
#include "image/ImageTexts.h"
#include "image/IntelHex.h"

namespace zendra::image {

namespace {

using core::DumpWindow;

QString FileTitle(const QString& path) { return QFileInfo(path).fileName(); }

void RememberDirectory(FileContext& ctx, const core::TextKey& key, const QString& path) {
    core::WriteText(ctx.settings, key, ParentDirectory(path, FileTitle(path)));
}

// The chooser's answer; nullopt when the user cancelled (the command then ends quietly).
std::optional<QString> AskOpen(FileContext& ctx, const QString& title, const QString& filter,
                               const QString& suffix, const QString& preset) {
    const core::FileDialogRequest request{title, filter, suffix, preset, core::ReadText(ctx.settings, core::keys::OpenDir)};
    auto answer = ctx.ui.ChooseOpenFile(request);
    if (answer && !answer->isEmpty()) ctx.dialog.FileName = *answer;
    return answer;
}

std::optional<QString> AskSave(FileContext& ctx, const QString& title, const QString& filter, const QString& preset) {
    const core::FileDialogRequest request{title, filter, QString(), preset,
                                          core::ReadText(ctx.settings, core::keys::SaveDir)};
    auto answer = ctx.ui.ChooseSaveFile(request);
    if (!answer || answer->isEmpty()) return std::nullopt;
    ctx.dialog.FileName = *answer;
    return answer;
}

bool ConfirmOverwrite(FileContext& ctx) {
    return ctx.ui.Ask(core::MessageIcon::Information, texts::kSaveTitle, texts::kOverwriteQuestion,
                                 core::MessageButtons::OkCancel) == core::MessageAnswer::Ok;
}

// One notice for everything the loaded files held beyond the selected device.
void TellBeyondDevice(FileContext& ctx, int codeBytes, int eepromBytes) {
    QStringList lines;
    if (codeBytes > 0) lines << core::Compose(texts::kCodeBeyondDevice, {QString::number(codeBytes)});
    if (eepromBytes > 0) lines << core::Compose(texts::kEepromBeyondDevice, {QString::number(eepromBytes)});
    if (!lines.isEmpty()) ctx.ui.Notice(core::JoinTexts(lines, QStringLiteral("\r\n")));
}

// Loads EepFileName when it exists, else marks the EEPROM window not found and clears the image.
// False when the file was rejected (image, title and EepFileName then stay as they were).
bool LoadEepromPair(FileContext& ctx, const QString& previousEepName, int& beyond) {
    auto& state = ctx.state;
    if (FileExists(state.EepFileName)) {
        const CodeReadResult result = ReadEepromHexFile(ctx.ui, state, ctx.images);
        if (!result.Accepted()) {
            state.EepFileName = previousEepName;
            return false;
        }
        beyond = result.bytesBeyondDevice;
        ctx.ui.SetDumpWindowTitle(DumpWindow::Eeprom, texts::kEepromTitlePrefix + state.EepFileName);
    } else {
        ctx.ui.SetDumpWindowTitle(DumpWindow::Eeprom, texts::kEepromNotFoundTitle);
        ClearEepromImage(ctx.images);
    }
    RedrawEepromDump(ctx.ui, state, ctx.images);
    return true;
}

}  // namespace

QString SetEepromFileExtension(const QString& name) {
    // Only the file name's own dot counts: "a.hex.d/prog" has no extension.
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > slash ? name.left(dot) : name;
    return base + QLatin1Char('.') + texts::kSuffixData;
}

bool FileExists(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.isDir()) return false;
    // Opening a FIFO would wait for a writer; a FIFO or device exists, and the reader refuses it with its reason.
    if (info.exists() && !info.isFile()) return true;
    QFile file(path);
    const bool readable = file.open(QIODevice::ReadOnly);
    file.close();
    return readable;
}

QString ParentDirectory(const QString& path, const QString& fileTitle) {
    if (fileTitle.isEmpty()) return QString();
    const qsizetype at = path.indexOf(fileTitle);
    if (at <= 0) return QString();
    if (at == 1 && path.at(0) == QLatin1Char('/')) return QStringLiteral("/");
    return path.left(at - 1);
}

namespace {

FileOutcome Refuse(FileOutcome outcome, const QString& text) {
    outcome.ending = FileOutcome::Ending::Refused;
    outcome.refusal = text;
    return outcome;
}

// Intel HEX under an ELF file's name: refused before anything is asked or written. The folder is kept,
// so the next chooser opens where the user was.
FileOutcome RefuseElfName(FileContext& ctx, FileOutcome outcome) {
    RememberDirectory(ctx, core::keys::SaveDir, outcome.path);
    ctx.ui.Ask(core::MessageIcon::Critical, texts::kSaveTitle, texts::kSaveNotElf, core::MessageButtons::Ok);
    return Refuse(outcome, texts::kSaveNotElf);
}

FileOutcome Finish(FileOutcome outcome) {
    outcome.ending = FileOutcome::Ending::Done;
    return outcome;
}

}  // namespace

FileOutcome OpenCodeAndData(FileContext& ctx) {
    auto& state = ctx.state;
    FileOutcome outcome;
    const QString previousCode = state.CodeFileName;
    const QString previousEep = state.EepFileName;
    if (!state.ReloadRequested) {
        const auto answer = AskOpen(ctx, texts::kTitleOpenCodeAndData, texts::kFilterOpenCode, texts::kSuffixCode,
                                    ctx.dialog.FileName);
        if (!answer) return outcome;
        if (!answer->isEmpty()) {
            state.CodeFileName = *answer;
            state.EepFileName = SetEepromFileExtension(*answer);
        }
    }
    outcome.path = state.CodeFileName;
    if (!state.CodeFileName.isEmpty() && !FileExists(state.CodeFileName)) {
        state.CodeFileName.clear();
        ctx.ui.SetDumpWindowTitle(DumpWindow::Program, texts::kProgramNotFoundTitle);
        ClearProgramImage(ctx.images);
        RedrawProgramDump(ctx.ui, state, ctx.images);
        ctx.ui.Notice(texts::kCannotOpen);
        outcome.programChanged = true;
        return Refuse(outcome, texts::kCannotOpen);
    }
    if (!HasCodeFileName(state.CodeFileName)) {
        const QString shown = state.CodeFileName.isEmpty() ? texts::kReloadNoName : state.CodeFileName;
        const QString text =
            core::JoinTexts({core::JoinTexts({texts::kReloadFileLabel, shown}), texts::kReloadNotSet},
                            QStringLiteral("\r\n"));
        ctx.ui.Notice(text);
        state.CodeFileName.clear();
        return Refuse(outcome, text);
    }
    const CodeReadResult code = ReadCodeHexFile(ctx.ui, state, ctx.images);
    if (!code.Accepted()) {
        // Nothing of the rejected pair is taken, the EEPROM file included.
        state.CodeFileName = previousCode;
        state.EepFileName = previousEep;
        return Refuse(outcome, DescribeRejection(code));
    }
    outcome.programChanged = true;
    outcome.fuses = code.fuses;
    ctx.ui.SetDumpWindowTitle(DumpWindow::Program, texts::kProgramTitlePrefix + state.CodeFileName);
    RedrawProgramDump(ctx.ui, state, ctx.images);
    // An ELF file holds its EEPROM data itself; it has no partner file.
    if (code.format == CodeFormat::Elf) state.EepFileName = state.CodeFileName;

    if (ctx.dialog.FileName.isEmpty()) return Finish(outcome);
    RememberDirectory(ctx, core::keys::OpenDir, ctx.dialog.FileName);

    int eepromBeyond = 0;
    if (!LoadEepromPair(ctx, previousEep, eepromBeyond)) return Refuse(outcome, texts::kEepromReadError);
    outcome.eepromChanged = true;
    outcome.pairOpened = true;
    ctx.ui.Status(core::StatusField::Result, texts::kOpened);
    TellBeyondDevice(ctx, code.bytesBeyondDevice, eepromBeyond);
    return Finish(outcome);
}

FileOutcome OpenCode(FileContext& ctx) {
    auto& state = ctx.state;
    FileOutcome outcome;
    const QString previousCode = state.CodeFileName;
    const auto answer = AskOpen(ctx, texts::kTitleOpenCode, texts::kFilterOpenCode, texts::kSuffixCode, QString());
    if (!answer) return outcome;
    if (!answer->isEmpty()) state.CodeFileName = *answer;
    outcome.path = state.CodeFileName;
    if (!FileExists(state.CodeFileName)) return outcome;
    if (!HasCodeFileName(state.CodeFileName)) {
        state.CodeFileName.clear();
        ctx.ui.Ask(core::MessageIcon::Information, texts::kMainWindowCaption, texts::kCannotOpen,
                   core::MessageButtons::Ok);
        return Refuse(outcome, texts::kCannotOpen);
    }
    const CodeReadResult code = ReadCodeHexFile(ctx.ui, state, ctx.images);
    if (!code.Accepted()) {
        state.CodeFileName = previousCode;
        return Refuse(outcome, DescribeRejection(code));
    }
    outcome.programChanged = true;
    outcome.fuses = code.fuses;
    ctx.ui.SetDumpWindowTitle(DumpWindow::Program, texts::kProgramTitlePrefix + state.CodeFileName);
    RedrawProgramDump(ctx.ui, state, ctx.images);
    RememberDirectory(ctx, core::keys::OpenDir, state.CodeFileName);
    TellBeyondDevice(ctx, code.bytesBeyondDevice, 0);
    return Finish(outcome);
}

FileOutcome OpenData(FileContext& ctx) {
    auto& state = ctx.state;
    FileOutcome outcome;
    const QString previousEep = state.EepFileName;
    const auto answer = AskOpen(ctx, texts::kTitleOpenData, texts::kFilterData, texts::kSuffixData, QString());
    if (!answer) return outcome;
    if (!answer->isEmpty()) state.EepFileName = SetEepromFileExtension(*answer);
    outcome.path = state.EepFileName;
    int beyond = 0;
    if (!LoadEepromPair(ctx, previousEep, beyond)) return Refuse(outcome, texts::kEepromReadError);
    outcome.eepromChanged = true;
    TellBeyondDevice(ctx, 0, beyond);
    return Finish(outcome);
}

FileOutcome SaveOverwrite(FileContext& ctx) {
    auto& state = ctx.state;
    FileOutcome outcome;
    if (state.CodeFileName.isEmpty()) {
        ctx.ui.Notice(texts::kNoFileOpenNotice);
        ctx.ui.Status(core::StatusField::Result, texts::kNoFileOpenStatus);
        return Refuse(outcome, texts::kNoFileOpenStatus);
    }
    // An ELF file is the toolchain's, not ours to replace with Intel HEX: save under a new name instead.
    if (IsElfFile(state.CodeFileName)) {
        const QFileInfo elf(state.CodeFileName);
        ctx.dialog.FileName = elf.dir().filePath(elf.completeBaseName() + QStringLiteral(".") + texts::kSuffixCode);
        return SaveAsCodeAndData(ctx);
    }
    state.SaveCodeFileName = state.CodeFileName;
    state.SaveEepFileName = state.EepFileName;
    outcome.path = state.SaveCodeFileName;
    // Never replace the user's file with less than it held without asking.
    const bool codeAtRisk = ctx.images.ProgramFileAtRisk && FileExists(state.SaveCodeFileName);
    const bool eepromAtRisk = ctx.images.EepromFileAtRisk && FileExists(state.SaveEepFileName);
    if ((codeAtRisk || eepromAtRisk) && !ConfirmOverwrite(ctx)) return outcome;
    outcome.programSaved = WriteCodeHexFile(ctx.ui, state, ctx.images);
    outcome.eepromSaved = WriteEepromHexFile(ctx.ui, state, ctx.images);
    if (!outcome.programSaved || !outcome.eepromSaved) return Refuse(outcome, texts::kSaveFailed);
    ctx.ui.Status(core::StatusField::Result, texts::kSaved);
    return Finish(outcome);
}

FileOutcome SaveAsCodeAndData(FileContext& ctx) {
    auto& state = ctx.state;
    FileOutcome outcome;
    const auto answer = AskSave(ctx, texts::kTitleSaveCodeAndData, texts::kFilterSaveCodeAll, ctx.dialog.FileName);
    if (!answer) return outcome;
    state.SaveCodeFileName = *answer;
    state.SaveEepFileName = SetEepromFileExtension(*answer);
    outcome.path = *answer;
    if (!CanSaveTo(*answer)) return RefuseElfName(ctx, outcome);
    if (FileExists(state.SaveCodeFileName) && !ConfirmOverwrite(ctx)) return outcome;
    RememberDirectory(ctx, core::keys::SaveDir, *answer);
    outcome.programSaved = WriteCodeHexFile(ctx.ui, state, ctx.images);
    outcome.eepromSaved = WriteEepromHexFile(ctx.ui, state, ctx.images);
    return outcome.programSaved && outcome.eepromSaved ? Finish(outcome) : Refuse(outcome, texts::kSaveFailed);
}

FileOutcome SaveAsCode(FileContext& ctx) {
    auto& state = ctx.state;
    FileOutcome outcome;
    const auto answer = AskSave(ctx, texts::kTitleSaveCode, texts::kFilterSaveCodeAll, texts::kPresetSaveCode);
    if (!answer) return outcome;
    state.SaveCodeFileName = *answer;
    outcome.path = *answer;
    if (!CanSaveTo(*answer)) return RefuseElfName(ctx, outcome);
    if (FileExists(state.SaveCodeFileName) && !ConfirmOverwrite(ctx)) return outcome;
    RememberDirectory(ctx, core::keys::SaveDir, *answer);
    outcome.programSaved = WriteCodeHexFile(ctx.ui, state, ctx.images);
    return outcome.programSaved ? Finish(outcome) : Refuse(outcome, texts::kSaveFailed);
}

FileOutcome SaveAsData(FileContext& ctx) {
    auto& state = ctx.state;
    FileOutcome outcome;
    const auto answer = AskSave(ctx, texts::kTitleSaveData, texts::kFilterSaveData, texts::kPresetSaveData);
    if (!answer) return outcome;
    state.SaveEepFileName = SetEepromFileExtension(*answer);
    outcome.path = state.SaveEepFileName;
    if (FileExists(state.SaveEepFileName) && !ConfirmOverwrite(ctx)) return outcome;
    RememberDirectory(ctx, core::keys::SaveDir, *answer);
    outcome.eepromSaved = WriteEepromHexFile(ctx.ui, state, ctx.images);
    return outcome.eepromSaved ? Finish(outcome) : Refuse(outcome, texts::kSaveFailed);
}

FileOutcome Reload(FileContext& ctx) {
    ctx.state.ReloadRequested = true;
    const FileOutcome outcome = OpenCodeAndData(ctx);
    ctx.state.ReloadRequested = false;
    return outcome;
}

}  // namespace zendra::image
