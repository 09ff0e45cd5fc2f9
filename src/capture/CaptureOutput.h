#pragma once

#include <windows.h>

#include <string>

#include "app/MainController.h"

namespace brisko {

namespace win {
class Form;
}

// The windows a capture puts away when it ends.
struct CaptureWindows {
  win::Form* overlay = nullptr;
  win::Form* info = nullptr;
  win::Form* magnifier = nullptr;
};

// The [SaveFile] settings file output reads, each with its dialog default
// when missing or not a number.
struct SaveFileSettings {
  int typeIndex = 0;
  int nameIndex = 0;
  std::string nameText = "Vardel_";
  int digitsIndex = 3;
  std::string nameOutput = "c:\\";
  bool showOptions = false;
  std::int64_t fileIndex = 0;
};
SaveFileSettings ReadSaveFileSettings();

// Every finished capture leaves through here: the sound, then the editor,
// the clipboard or a file as OutputTarget says. Failures end quietly.
void OutputCapture(MainController& main, const CaptureWindows& windows);

// Puts the capture windows away and brings the main window back unless it
// was sent to the notification area.
void EndCapture(MainController& main, const CaptureWindows& windows);

// The file name proposed for a capture: nothing, the date and time, or the
// prefix with the next running number (which this consumes at once).
std::string ProposedFileName(const SaveFileSettings& settings);

}  // namespace brisko
