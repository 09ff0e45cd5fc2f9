#include "app/SaveFileDialogModel.h"

#include <algorithm>
#include <array>

#include "core/Helpers.h"

namespace brisko {

namespace {

constexpr std::array<std::string_view, kCaptureFileTypeCount> kFormatEntries = {
    "BMP - Windows Bitmap",     "JPG  - JPEG Image",      "PCX  - PC Paintbrush", "PNG - Portable Network Grap",
    "TIF   - Tagged Image File", "GIF   - CompuServe GIF", "TGA - Targa Bitmap",   "WMF- Wmf Format",
    "EMF - Emf Format",          "ICO  - Windows Icon"};

// Characters no file name may hold; a prefix is the start of one.
constexpr std::string_view kNotInFileNames = "\\/:*?\"<>|";
// The same inside a folder path, where the separators belong.
constexpr std::string_view kNotInFolderNames = ":*?\"<>|";

bool HasAnyOf(std::string_view text, std::string_view forbidden) {
  return std::any_of(text.begin(), text.end(), [&](char c) {
    return static_cast<unsigned char>(c) < 0x20 || forbidden.find(c) != std::string_view::npos;
  });
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Length of the root of a full path: "C:\" or "\\server\" ; 0 when the path
// is relative or has no drive, which the save dialog would take relative
// to whatever folder happens to be current.
std::size_t RootLength(std::string_view path) {
  if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) return 3;
  if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) return 2;
  return 0;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string PrefixProblem(std::string_view prefix) {
  if (prefix.empty()) return "Please enter a prefix for the numbered file names.";
  if (HasAnyOf(prefix, kNotInFileNames))
    return "The prefix " + Quoted(prefix) +
           " cannot begin a file name. A file name must not contain any of these characters:\r\n"
           "\\ / : * ? \" < > |";
  return {};
}

// `folder` already ends with a backslash, so a bare drive "C:" counts as its root.
std::string FolderProblem(std::string_view folder) {
  const std::size_t root = RootLength(folder);
  if (root == 0)
    return "The output folder " + Quoted(folder) +
           " is not a full path. Please enter it with its drive, for example C:\\Captures\\";
  if (HasAnyOf(folder.substr(root), kNotInFolderNames))
    return "The output folder " + Quoted(folder) +
           " is not a valid folder name. A folder name must not contain any of these characters:\r\n"
           ": * ? \" < > |";
  return {};
}

std::string ChoiceProblem(const SaveFileSettings& chosen, std::string_view folder) {
  // The prefix is only written, and only used, with numbered names.
  if (chosen.nameIndex == kNumberedName) {
    if (std::string problem = PrefixProblem(chosen.nameText); !problem.empty()) return problem;
  }
  if (chosen.nameOutput.empty()) return "Please enter the output folder.";
  return FolderProblem(folder);
}

}  // namespace

std::span<const std::string_view> SaveFormatEntries() { return kFormatEntries; }

std::string PreviewAfterFormat(std::string_view label, std::string_view entry) {
  return std::string(label.substr(0, label.size() - std::min<std::size_t>(3, label.size()))) +
         std::string(entry.substr(0, 3));
}

std::string PreviewAfterDigits(std::string_view label, int digitsIndex) {
  const std::size_t keep = std::min<std::size_t>(4, label.size());
  const int digits = std::clamp(digitsIndex, 0, kDigitsChoices - 1) + 1;
  return std::string(static_cast<std::size_t>(digits), '#') +
         std::string(label.substr(label.size() - keep));
}

std::string OpeningPreview(const SaveFileSettings& settings) {
  const int type = std::clamp(settings.typeIndex, 0, kCaptureFileTypeCount - 1);
  const std::string withFormat = PreviewAfterFormat(kPreviewAtStart, kFormatEntries[static_cast<std::size_t>(type)]);
  return PreviewAfterDigits(withFormat, settings.digitsIndex);
}

SaveFileOk CheckSaveFileChoice(const SaveFileSettings& chosen) {
  const std::string folder = WithTrailingBackslash(chosen.nameOutput);
  if (std::string problem = ChoiceProblem(chosen, folder); !problem.empty()) return SaveFileOk{problem, {}, {}};
  SaveFileOk ok{{}, {}, folder};
  ok.keys.emplace_back("TyleIndex", std::to_string(chosen.typeIndex));
  ok.keys.emplace_back("NameIndex", std::to_string(chosen.nameIndex));
  if (chosen.nameIndex == kNumberedName) {
    ok.keys.emplace_back("NameText", chosen.nameText);
    ok.keys.emplace_back("NameNumIndex", std::to_string(chosen.digitsIndex));
  }
  ok.keys.emplace_back("NameOutput", folder);
  ok.keys.emplace_back("ShowOption", chosen.showOptions ? "1" : "0");
  return ok;
}

std::string FolderCannotBeCreatedMessage(std::string_view folder) {
  return "The output folder " + Quoted(folder) + " does not exist and cannot be created.";
}

}  // namespace brisko
