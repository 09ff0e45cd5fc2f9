#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

// How the program uses Lumeral.dll: the three converters are imported when
// the program loads; ShowForm is bound anew for every call, the library
// loaded and unloaded around it.
namespace brisko {

// A converter that reported failure.
class ConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Each reads the bitmap file `source` and writes `target`; both UTF-8.
void ConvertToEmf(const std::string& source, const std::string& target);
void ConvertToWmf(const std::string& source, const std::string& target);
void ConvertToIcon(const std::string& source, const std::string& target);

// What became of a save through the save-parameters dialog.
enum class ShowFormOutcome {
  Written,             // the target holds the new picture
  NotWritten,          // the dialog wrote nothing (cancelled, or it failed)
  LibraryUnavailable,  // Lumeral.dll is not in the program folder or does not load
};

// Shows the save-parameters dialog for `target`; returns when it closed.
// The dialog writes beside the target under a temporary name of the same
// extension, which then replaces the target: a save that fails leaves an
// existing file of that name as it was.
ShowFormOutcome CallShowForm(HWND application, const std::string& target, bool autoClose);

}  // namespace brisko
