#pragma once
// The File menu's commands, the three file buttons and the reload item. They choose names through the
// windows' file choosers, read and write the images with the Intel HEX reader and writer, and redraw dumps.

#include "core/Settings.h"
#include "core/SharedState.h"
#include "core/UserInterface.h"
#include "image/MemoryImages.h"

namespace zendra::image {

struct FileContext {
    core::UserInterface& ui;
    core::SharedState& state;
    MemoryImages& images;
    core::SettingsStore& settings;
};

void OpenCodeAndData(FileContext& ctx);  // mnuFileOpen, Cmd_btn_open
void OpenCode(FileContext& ctx);         // mnuFileOpenCode
void OpenData(FileContext& ctx);         // mnuFileOpenData
void SaveOverwrite(FileContext& ctx);    // mnuFileSave
void SaveAsCodeAndData(FileContext& ctx);  // mnuFileSaveAs, Cmd_btn_save
void SaveAsCode(FileContext& ctx);       // mnuFileSaveAsCode
void SaveAsData(FileContext& ctx);       // mnuFileSaveAsData
void Reload(FileContext& ctx);           // mnuReLoad, Cmd_btn_reload

}  // namespace zendra::image
