#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brisko {

// The text of an INI file, looked up and changed with the platform's rules
// for profile files: section and key names compare without regard to case
// and surrounding blanks, the first matching section and key win, values are
// trimmed and lose one pair of enclosing quotes, lines starting with ';' are
// comments. A change touches only the line it concerns; every other line of
// the file stays as it was.
class IniDocument {
 public:
  IniDocument() = default;
  explicit IniDocument(std::string_view text);

  // Empty text for a missing section or key.
  std::string Read(std::string_view section, std::string_view key) const;
  // Replaces the key's value, adding the key or the section where missing.
  void Write(std::string_view section, std::string_view key, std::string_view value);

  // Lines end with CR LF, as the platform writes them.
  std::string Text() const;

 private:
  // Index of the header line of the first section with this name, or npos.
  std::size_t FindSection(std::string_view section) const;
  // Index of the first line of the section's body that holds the key, or npos.
  std::size_t FindKey(std::size_t header, std::string_view key) const;
  std::size_t EndOfSection(std::size_t header) const;

  std::vector<std::string> lines_;
  bool byteOrderMark_ = false;
};

// The whole file, for reading several values from one state of it; a
// missing file reads as an empty document.
IniDocument LoadIniFile(const std::filesystem::path& file);

// One value of an INI file; a missing file reads as empty text.
std::string ReadIniValue(const std::filesystem::path& file, std::string_view section,
                         std::string_view key);

// Writes one value. The file is replaced as a whole by an atomic rename, so
// it is never left truncated or half written.
void WriteIniValue(const std::filesystem::path& file, std::string_view section,
                   std::string_view key, std::string_view value);

// Keys and their values, in the order they are written.
using IniValues = std::vector<std::pair<std::string, std::string>>;
// Writes several values of one section in one replacement of the file, so
// a reader sees all of them changed or none.
void WriteIniValues(const std::filesystem::path& file, std::string_view section, const IniValues& values);

// Where the settings file goes: the delivered file in the program folder
// when that folder can be written, otherwise a per-user copy, made from the
// delivered file the first time it is needed, so no setting is ever lost to
// a read-only installation folder.
std::filesystem::path SettingsFileLocation(const std::filesystem::path& delivered,
                                           const std::filesystem::path& perUser,
                                           bool programFolderWritable);

}  // namespace brisko
