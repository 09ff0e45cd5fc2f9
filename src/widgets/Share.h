#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/Bitmap.h"
#include "core/Colour.h"
#include "core/Helpers.h"
#include "core/Ini.h"
#include "core/ImageView.h"

// The helpers that many windows share: folders, settings in config.ini, the
// shell, message boxes. Portable ones live in core/Helpers.h.
namespace brisko {

// Folder names end with a backslash.
std::string ProgramFolder();
std::string SystemFolder();
std::string TempFolder();

// One value of config.ini in the program folder; a missing file, section or
// key reads as empty text, and a write creates what is missing.
std::string ReadSetting(std::string_view section, std::string_view key);
// All of config.ini as it is now, for reading several settings at once.
IniDocument ReadAllSettings();
void WriteSetting(std::string_view section, std::string_view key, std::string_view value);
// Several values of one section in a single replacement of config.ini, so
// no reader ever sees some of them changed and others not.
void WriteSettings(std::string_view section, const IniValues& values);

// Deletes the folder with everything in it, without asking. False when the
// folder did not exist or is still there afterwards.
bool DeleteFolderTree(std::string_view path);

// Opens a file, folder, web address or mailto: link with the shell.
void OpenWithShell(HWND owner, std::string_view target);

enum class MessageKind { Error = 1, Warning = 2, Information = 3 };
// Shows the text with the kind's caption and icon and a single OK button;
// other kinds show nothing.
void ShowMessageBox(int kind, std::string_view text);

// The red-green-blue text of a colour value or system-colour code.
std::string ColorToHexRGB(Colour colour);
// System-colour codes (high byte set) resolved to their current value.
Colour ResolveColour(Colour colour);

std::string WindowTextOf(HWND window);

// Plays capture sound 1 to 15 from the program's resources, without waiting.
void PlayCaptureSound(int number);

// Shows `source` in the target view inside a panel of the given size, never
// enlarged: the view is positioned and sized by FitImageRect and gets the
// source stretched smoothly onto it.
void FitImageInPanel(ImageView& target, const Bitmap& source, std::int32_t panelWidth,
                     std::int32_t panelHeight);

}  // namespace brisko
