#pragma once
// The File menu's commands, the three file buttons and the reload item. They choose names through the
// windows' file choosers, read and write the images with the readers and writers of each kind of code file, and redraw dumps.

#include <QString>

#include "core/Settings.h"
#include "core/SharedState.h"
#include "core/UserInterface.h"
#include "image/IntelHex.h"
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

// What a file command did: whether it went through, was cancelled at its chooser or question, or ended on
// a refusal (with the text it showed); the path it took; which images it changed.
struct FileOutcome {
    enum class Ending { Done, Cancelled, Refused };
    Ending ending = Ending::Cancelled;
    QString path;     // the code file opened or saved (the EEPROM file's for the EEPROM commands)
    QString refusal;  // Refused: the text shown
    bool programChanged = false, eepromChanged = false;
    bool pairOpened = false;  // a code file and its EEPROM file became the open files
    FileFuses fuses;          // the lock/fuse bytes an opened ELF file holds
    bool programSaved = false, eepromSaved = false;  // a save wrote that image whole
    bool Done() const { return ending == Ending::Done; }
};

FileOutcome OpenCodeAndData(FileContext& ctx);    // mnuFileOpen, Cmd_btn_open
FileOutcome OpenCode(FileContext& ctx);           // mnuFileOpenCode
FileOutcome OpenData(FileContext& ctx);           // mnuFileOpenData
FileOutcome SaveOverwrite(FileContext& ctx);      // mnuFileSave
FileOutcome SaveAsCodeAndData(FileContext& ctx);  // mnuFileSaveAs, Cmd_btn_save
FileOutcome SaveAsCode(FileContext& ctx);         // mnuFileSaveAsCode
FileOutcome SaveAsData(FileContext& ctx);         // mnuFileSaveAsData
FileOutcome Reload(FileContext& ctx);             // mnuReLoad, Cmd_btn_reload

// The EEPROM file beside a code file, for both front ends: the file name's last extension replaced by
// ".eep" (x.hex -> x.eep, fw.ihex -> fw.eep), or ".eep" added to a name without one (prog -> prog.eep).
QString SetEepromFileExtension(const QString& name);
// True when the file can be opened for reading; an empty path or a folder gives false. A FIFO or device
// gives true without being opened (opening a FIFO would wait), so the reader can refuse it with its reason.
bool FileExists(const QString& path);
// The text of `path` before the first occurrence of `fileTitle`, less the separator before it.
// A file in the root folder gives "/".
QString ParentDirectory(const QString& path, const QString& fileTitle);

}  // namespace zendra::image
