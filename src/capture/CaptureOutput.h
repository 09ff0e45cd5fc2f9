#pragma once

#include <windows.h>

#include <string>

#include "capture/CaptureHost.h"
#include "capture/CaptureProfile.h"
#include "capture/FileNaming.h"
#include "capture/SaveDialog.h"

namespace brisko {

// Every finished capture leaves through here: the sound, then the editor,
// the clipboard or a file as OutputTarget says. Failures end quietly.
void OutputCapture(CaptureProfile& profile, CaptureHost& host);

// Puts the capture windows away, shows again what the grab put away of the
// user's and brings the main window back unless it was sent to the
// notification area.
void EndCapture(CaptureHost& host);

// The file name proposed for a capture: nothing, the date and time, or the
// prefix with the next running number (which this consumes at once).
std::string ProposedFileName(const SaveFileSettings& settings);

}  // namespace brisko
