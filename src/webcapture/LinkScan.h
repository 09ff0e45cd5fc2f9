#pragma once

// Finding the picture and Flash links of a web page by plain substring
// search, resolving them against the page's address, and the safe file
// names they are downloaded under. No HTML parser: pages are taken as
// single-byte text and only ASCII markers are compared.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brisko::web {

inline constexpr int kWebModeImages = 1;
inline constexpr int kWebModeFlash = 2;

// Page text is capped so that a hostile or endless page cannot take all memory.
inline constexpr std::size_t kMaxPageText = 32u * 1024u * 1024u;

// The ordered, duplicate-free list of links found on a page. Duplicates are
// compared case-sensitively; the hash index keeps 10,000 links linear.
class FoundLinks {
 public:
  bool Contains(std::string_view link) const;
  // Appends a copy of `link` unless it is already in the list: a repeat
  // costs no allocation.
  void Add(std::string_view link);
  void Clear();
  std::size_t Size() const { return links_.size(); }
  bool Empty() const { return links_.empty(); }
  const std::vector<std::string>& Links() const { return links_; }
  const std::string& operator[](std::size_t index) const { return links_[index]; }

 private:
  // One place of the open-addressed index. The hash sits beside the link's
  // number, so a probe compares text only when the hashes agree, and
  // growing the index never hashes a link again.
  struct Slot {
    std::size_t hash = 0;
    std::size_t placePlusOne = 0;  // 0: the slot is free
  };

  // The slot holding `link`, or the free slot where it would go.
  std::size_t SlotOf(std::string_view link, std::size_t hash) const;
  void Grow();

  std::vector<std::string> links_;
  // A power of two long, at most half full, so probe runs stay short.
  std::vector<Slot> slots_;
};

// The folder address of what the user typed: "https://" kept, "http://"
// otherwise, scheme and host lower-cased, the path as written up to its last
// "/" before any "?" or "#", always ending in "/".
std::string MakeBaseAddress(std::string_view typed);

// The address the page is fetched from: the typed text with "http://" in
// front unless it already names http or https.
std::string PageAddress(std::string_view typed);

// The body as page text: carriage returns and line feeds removed, cut at
// the first NUL, at most kMaxPageText bytes.
std::string MakePageText(std::string_view body);

// The base every link of the page resolves against: the page's first
// <base href=...> when it holds an absolute http(s) address, else `base`.
std::string EffectiveBase(std::string_view pageText, const std::string& base);

// An absolute http(s) address for `link`, resolved against `base` by RFC
// 3986 section 5.2 as a browser would: scheme and host in lower case, dot
// segments removed, the fragment dropped, and blanks, control characters
// and bytes outside ASCII percent-encoded. Empty when the link has another
// scheme (file:, data:, javascript:, mailto:, ftp:, ...) and must never be
// fetched, or when there is no host to fetch it from.
std::string ResolveLink(std::string_view link, const std::string& base);

// True when the link is an http(s) address with a host and a path, ends in
// one of the accepted endings (".gif", ".jpg", ".jpeg", ".png", ".swf",
// compared without case) and is not yet in `links`.
bool AcceptLink(const std::string& link, const FoundLinks& links);

// Adds the link after each `marker` (case-sensitive): the text up to the
// next ">", without a leading quote, cut after the first picture ending.
void ScanMarkedLinks(std::string_view pageText, std::string_view marker, const std::string& base,
                     FoundLinks& links);
// "<img src=", "background=", "background-image: url(" ... ")" and
// "[img]" ... "[/img]", each over the whole page, in that order.
void ScanImageLinks(std::string_view pageText, const std::string& base, FoundLinks& links);
// Each ".swf" with the text before it back to the nearest quote.
void ScanFlashLinks(std::string_view pageText, const std::string& base, FoundLinks& links);

// Runs the scanner of `webMode` over `pageText` (after the base tag is
// taken into account); any other mode scans nothing.
void ScanLinks(std::string_view pageText, int webMode, const std::string& base, FoundLinks& links);

// The file name a link is saved under inside the download folder: the text
// after its last "/", "\" or ":" (the fragment left out, the query kept, so
// the name keeps the ending the link was accepted for), percent escapes of
// printable ASCII decoded, then made safe: characters Windows refuses,
// control characters and bytes outside ASCII to "_", "_" before device
// names (CON, NUL, COM1, ... in any case, with any extension), trailing
// dots and blanks dropped, at most 100 characters keeping the extension,
// never empty, "." or "..". While `taken` says the name is in use,
// " (2)", " (3)", ... goes before the extension. `taken` should compare
// without case, as the file system does.
template <typename Taken>
std::string DownloadFileName(std::string_view link, Taken&& taken);

// The safe name without the clash counter.
std::string SafeFileName(std::string_view link);
std::string NumberedFileName(const std::string& safeName, int number);

// The text without the blanks and control characters around it, as an
// address is taken from what the user typed or pasted.
std::string_view TrimBlanks(std::string_view text);
// Equal when compared without regard to ASCII case, as addresses are.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

template <typename Taken>
std::string DownloadFileName(std::string_view link, Taken&& taken) {
  const std::string safe = SafeFileName(link);
  if (!taken(safe)) return safe;
  for (int number = 2;; ++number) {
    std::string candidate = NumberedFileName(safe, number);
    if (!taken(candidate)) return candidate;
  }
}

}  // namespace brisko::web
