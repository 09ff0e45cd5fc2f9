// The first line of the input is what the user typed as the address, the
// rest is the page body. Both scanners run over it; every link found and
// every file name made from one must keep the promises the download worker
// relies on, or the target aborts.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "webcapture/LinkScan.h"

namespace {

using namespace brisko::web;

void Require(bool holds) {
  if (!holds) std::abort();
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = Lower(c);
  return lower;
}

bool IsWebAddress(std::string_view link) {
  for (const std::string_view scheme : {std::string_view("http://"), std::string_view("https://")})
    if (link.starts_with(scheme)) return link.size() > scheme.size() && link[scheme.size()] != '/';
  return false;
}

bool HasAcceptedEnding(std::string_view link) {
  const std::string lower = Lower(link);
  for (const std::string_view ending : {".gif", ".jpg", ".jpeg", ".png", ".swf"})
    if (std::string_view(lower).ends_with(ending)) return true;
  return false;
}

// One token on a request line: nothing a URI may not hold, no fragment.
bool IsCleanAddress(std::string_view link) {
  for (const char c : link) {
    const auto code = static_cast<unsigned char>(c);
    if (code <= 0x20 || code >= 0x7F || std::string_view("#\"<>\\^`{|}").find(c) != std::string_view::npos)
      return false;
  }
  return true;
}

// What Windows accepts as the name of an ordinary file in a folder.
bool IsSafeFileName(const std::string& name) {
  if (name.empty() || name.size() > 100 || name == "." || name == "..") return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  for (const char c : name) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) return false;
  }
  std::string stem = Lower(std::string_view(name).substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$"})
    if (stem == device) return false;
  const bool numberedDevice = stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) &&
                              stem[3] >= '0' && stem[3] <= '9';
  return !numberedDevice;
}

void CheckResolution(std::string_view link, const std::string& base) {
  const std::string resolved = ResolveLink(link, base);
  if (resolved.empty()) return;
  Require(IsWebAddress(resolved) && IsCleanAddress(resolved));
  // An address already resolved stands for itself.
  Require(ResolveLink(resolved, "http://elsewhere/x/") == resolved);
}

void CheckScan(std::string_view pageText, int webMode, const std::string& base) {
  FoundLinks found;
  ScanLinks(pageText, webMode, base, found);
  std::set<std::string> distinct;
  std::set<std::string> takenNames;
  for (const std::string& link : found.Links()) {
    Require(IsWebAddress(link) && IsCleanAddress(link) && HasAcceptedEnding(link));
    Require(distinct.insert(link).second);
    Require(IsSafeFileName(SafeFileName(link)));
    const std::string name =
        DownloadFileName(link, [&](const std::string& candidate) { return takenNames.count(Lower(candidate)) != 0; });
    Require(IsSafeFileName(name));
    Require(takenNames.insert(Lower(name)).second);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t lineEnd = std::min(input.find('\n'), input.size());
  const std::string_view typed = input.substr(0, lineEnd);
  const std::string_view body = input.substr(std::min(lineEnd + 1, input.size()));

  const std::string base = MakeBaseAddress(typed);
  Require((base.starts_with("http://") || base.starts_with("https://")) && base.ends_with("/"));
  const std::string page = Lower(PageAddress(typed));
  Require(page.starts_with("http://") || page.starts_with("https://"));
  Require(IsSafeFileName(SafeFileName(typed)));
  CheckResolution(typed, "http://a/b/c/d;p?q");
  CheckResolution(typed, base);

  const std::string pageText = MakePageText(body);
  std::string expected(body.substr(0, body.find('\0')));
  std::erase_if(expected, [](char c) { return c == '\r' || c == '\n'; });
  Require(pageText == expected.substr(0, kMaxPageText));
  CheckScan(pageText, kWebModeImages, base);
  CheckScan(pageText, kWebModeFlash, base);
  return 0;
}
