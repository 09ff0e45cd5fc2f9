#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "core/Bitmap.h"

namespace brisko::win {

// The system's open dialog with a preview beside the file list: the picture
// of the file under the cursor, made by `preview`, which is given the
// path and the most room the preview has (width, height in pixels) and
// returns a picture no larger, or nothing for a file it cannot show.
//
// `filter` is written as pairs "caption|patterns|caption|patterns"; the
// first pair is selected. Returns the chosen path, or nothing on Cancel.
using PreviewMaker = std::function<std::optional<Bitmap>(const std::string& path, int width, int height)>;
std::optional<std::string> ChoosePictureToOpen(HWND owner, const std::string& title, const std::string& filter,
                                               const PreviewMaker& preview);

}  // namespace brisko::win
