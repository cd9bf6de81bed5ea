#pragma once
// The File menu's commands, the three file buttons and the reload item. They choose names through the
// windows' file choosers, read and write the images with the Intel HEX reader and writer, and redraw dumps.

#include <QString>

#include "core/Settings.h"
#include "core/SharedState.h"
#include "core/UserInterface.h"
#include "image/MemoryImages.h"

namespace zendra::image {

// What the one common file dialog of the main window keeps between commands.
struct FileDialogMemory {
    QString FileName;  // full path of its last use
};

struct FileContext {
    core::UserInterface& ui;
    core::SharedState& state;
    MemoryImages& images;
    core::SettingsStore& settings;
    FileDialogMemory& dialog;  // owned by the application, like the images
};

void OpenCodeAndData(FileContext& ctx);    // mnuFileOpen, Cmd_btn_open
void OpenCode(FileContext& ctx);           // mnuFileOpenCode
void OpenData(FileContext& ctx);           // mnuFileOpenData
void SaveOverwrite(FileContext& ctx);      // mnuFileSave
void SaveAsCodeAndData(FileContext& ctx);  // mnuFileSaveAs, Cmd_btn_save
void SaveAsCode(FileContext& ctx);         // mnuFileSaveAsCode
void SaveAsData(FileContext& ctx);         // mnuFileSaveAsData
void Reload(FileContext& ctx);             // mnuReLoad, Cmd_btn_reload

// The EEPROM file of a code file: the last three characters replaced by "eep" (x.hex -> x.eep, prog -> peep).
QString SetEepromFileExtension(const QString& name);
// True when the file can be opened for reading; an empty path or a folder gives false. A FIFO or device
// gives true without being opened (opening a FIFO would wait), so the reader can refuse it with its reason.
bool FileExists(const QString& path);
// The text of `path` before the first occurrence of `fileTitle`, less the separator before it.
// A file in the root folder gives "/".
QString ParentDirectory(const QString& path, const QString& fileTitle);

}  // namespace zendra::image
