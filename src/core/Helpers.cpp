#include "core/Helpers.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/Files.h"

namespace brisko {

std::string WithTrailingBackslash(std::string_view path) {
  std::string result(path);
  if (result.empty() || result.back() != '\\') result += '\\';
  return result;
}

std::string FolderPartOf(std::string_view path) {
  const std::size_t last = path.find_last_of("\\/:");
  if (last == std::string_view::npos) return {};
  return std::string(path.substr(0, last + 1));
}

void EnsureFolder(std::string_view path) {
  const std::filesystem::path folder = PathFromUtf8(path);
  std::error_code error;
  if (std::filesystem::is_directory(folder, error)) return;
  std::filesystem::create_directory(folder, error);
  if (error && !std::filesystem::is_directory(folder))
    throw FileError("cannot create folder " + std::string(path) + ": " + error.message());
}

void EnsureFolderTree(std::string_view path) {
  std::filesystem::path folder = PathFromUtf8(path);
  // "C:\a\b\" names the folder b; the empty last element is dropped so the
  // creation does not stumble over it. A root keeps its separator.
  if (!folder.has_filename()) folder = folder.parent_path();
  std::error_code ignored;
  if (std::filesystem::is_directory(folder, ignored)) return;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder, ignored))
    throw FileError("cannot create folder " + std::string(path) + (error ? ": " + error.message() : std::string()));
}

std::string HexRGB(Colour rgb) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(6, '0');
  const std::uint8_t channels[3] = {RedOf(rgb), GreenOf(rgb), BlueOf(rgb)};
  for (int i = 0; i < 3; ++i) {
    text[2 * i] = kDigits[channels[i] >> 4];
    text[2 * i + 1] = kDigits[channels[i] & 15];
  }
  return text;
}

Rect FitImageRect(std::int32_t width, std::int32_t height, std::int32_t panelWidth,
                  std::int32_t panelHeight) {
  // 64-bit products: the quotients are exact before truncation.
  const auto w = static_cast<std::int64_t>(width), h = static_cast<std::int64_t>(height);
  const auto pw = static_cast<std::int64_t>(panelWidth), ph = static_cast<std::int64_t>(panelHeight);
  if ((ph < h || pw < w) && w > 0 && h > 0) {
    const std::int64_t heightAtPanelWidth = h * pw / w;
    if (heightAtPanelWidth > ph) {
      const auto fittedWidth = static_cast<std::int32_t>(w * ph / h);
      return RectOfSize((panelWidth - fittedWidth) / 2, 0, fittedWidth, panelHeight);
    }
    const auto fittedHeight = static_cast<std::int32_t>(heightAtPanelWidth);
    return RectOfSize(0, (panelHeight - fittedHeight) / 2, panelWidth, fittedHeight);
  }
  return RectOfSize((panelWidth - width) / 2, (panelHeight - height) / 2, width, height);
}

std::string NumberText(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace brisko
