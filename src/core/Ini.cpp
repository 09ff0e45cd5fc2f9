#include "core/Ini.h"

#include <algorithm>
#include <system_error>

#include "core/Files.h"

namespace brisko {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::size_t npos = std::string::npos;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Settings files are small; anything far larger is not ours to parse.
constexpr std::size_t kMaxIniFileSize = std::size_t{16} << 20;

std::string_view Trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == npos) return {};
  const std::size_t last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

// True for a "[name]" header line, with the trimmed name in `name`.
bool SectionName(std::string_view line, std::string_view& name) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() != '[') return false;
  const std::size_t close = t.find(']');
  name = Trim(t.substr(1, close == npos ? npos : close - 1));
  return true;
}

bool IsComment(std::string_view line) {
  const std::string_view t = Trim(line);
  return !t.empty() && t.front() == ';';
}

std::string_view KeyOf(std::string_view line) { return Trim(line.substr(0, line.find('='))); }

std::string_view ValueOf(std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == npos) return {};
  std::string_view v = Trim(line.substr(eq + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) {
    byteOrderMark_ = true;
    text.remove_prefix(kByteOrderMark.size());
  }
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    if (end == npos) break;
    text.remove_prefix(end + 1);
  }
}

std::size_t IniDocument::FindSection(std::string_view section) const {
  const std::string_view wanted = Trim(section);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(lines_[i], name) && EqualNoCase(name, wanted)) return i;
  }
  return npos;
}

std::size_t IniDocument::EndOfSection(std::size_t header) const {
  std::size_t i = header + 1;
  std::string_view name;
  while (i < lines_.size() && !SectionName(lines_[i], name)) ++i;
  return i;
}

std::size_t IniDocument::FindKey(std::size_t header, std::string_view key) const {
  const std::string_view wanted = Trim(key);
  const std::size_t end = EndOfSection(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    if (IsComment(lines_[i]) || Trim(lines_[i]).empty()) continue;
    if (EqualNoCase(KeyOf(lines_[i]), wanted)) return i;
  }
  return npos;
}

std::string IniDocument::Read(std::string_view section, std::string_view key) const {
  const std::size_t header = FindSection(section);
  if (header == npos) return {};
  const std::size_t line = FindKey(header, key);
  if (line == npos) return {};
  return std::string(ValueOf(lines_[line]));
}

void IniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view name = Trim(key);
  const std::size_t header = FindSection(section);
  if (header == npos) {
    lines_.push_back("[" + std::string(Trim(section)) + "]");
    lines_.push_back(std::string(name) + "=" + std::string(value));
    return;
  }
  const std::size_t line = FindKey(header, key);
  if (line != npos) {
    // Keep the key as the file spells it.
    lines_[line] = std::string(KeyOf(lines_[line])) + "=" + std::string(value);
    return;
  }
  // A new key goes after the section's last non-blank line, so the blank
  // lines that separate sections stay where they are.
  std::size_t at = EndOfSection(header);
  while (at > header + 1 && Trim(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                std::string(name) + "=" + std::string(value));
}

std::string IniDocument::Text() const {
  std::string text;
  if (byteOrderMark_) text += kByteOrderMark;
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

IniDocument LoadIniFile(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return IniDocument{};
  const std::vector<std::uint8_t> bytes = ReadFileBytes(file, kMaxIniFileSize);
  return IniDocument(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string ReadIniValue(const std::filesystem::path& file, std::string_view section,
                         std::string_view key) {
  return LoadIniFile(file).Read(section, key);
}

void WriteIniValue(const std::filesystem::path& file, std::string_view section,
                   std::string_view key, std::string_view value) {
  WriteIniValues(file, section, IniValues{{std::string(key), std::string(value)}});
}

void WriteIniValues(const std::filesystem::path& file, std::string_view section, const IniValues& values) {
  IniDocument doc = LoadIniFile(file);
  for (const auto& [key, value] : values) doc.Write(section, key, value);
  const std::string text = doc.Text();
  WriteFileAtomically(file, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::filesystem::path SettingsFileLocation(const std::filesystem::path& delivered,
                                           const std::filesystem::path& perUser,
                                           bool programFolderWritable) {
  if (programFolderWritable) return delivered;
  std::error_code error;
  if (!std::filesystem::exists(perUser, error)) {
    std::filesystem::create_directories(perUser.parent_path(), error);
    if (std::filesystem::exists(delivered, error)) {
      // Through a temporary file, so a failed copy never leaves half a file.
      const std::vector<std::uint8_t> bytes = ReadFileBytes(delivered, kMaxIniFileSize);
      WriteFileAtomically(perUser, bytes);
    }
  }
  return perUser;
}

}  // namespace brisko
