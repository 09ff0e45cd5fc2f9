#include "webcapture/LinkScan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <optional>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define BRISKO_LINKSCAN_SSE2 1
#endif

namespace brisko::web {
namespace {

constexpr auto npos = std::string_view::npos;
constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";

// ---------------------------------------------------------------- text

// What surrounds a pasted address or an attribute value and is never part
// of it: spaces, tabs, any other control character.
bool IsBlank(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code <= 0x20 || code == 0x7F;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(char a, char b) { return LowerAscii(a) == LowerAscii(b); }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), SameNoCase);
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && StartsWithNoCase(a, b); }

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), SameNoCase);
}

// The needles are a few characters long, so the plain search stays linear.
std::size_t FindNoCase(std::string_view text, std::string_view needle, std::size_t from = 0) {
  if (from > text.size()) return npos;
  const auto found = std::search(text.begin() + from, text.end(), needle.begin(), needle.end(), SameNoCase);
  return found == text.end() ? npos : static_cast<std::size_t>(found - text.begin());
}

bool IsAsciiLetter(char c) { return LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z'; }

// A table per character class keeps the per-character tests of long links
// to one load.
using CharacterClass = std::array<bool, 256>;

constexpr CharacterClass ClassOf(std::string_view members, bool alphanumerics) {
  CharacterClass table{};
  for (const char c : members) table[static_cast<unsigned char>(c)] = true;
  for (int c = 0; alphanumerics && c < 256; ++c)
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) table[c] = true;
  return table;
}

bool IsIn(const CharacterClass& table, char c) { return table[static_cast<unsigned char>(c)]; }

// ---------------------------------------------------------------- fast search

// Which of 16 bytes equal one of `Count` given bytes (one byte, the two
// cases of a letter, or CR and LF). On x86-64 one SSE2 compare per byte
// given tests all sixteen; that is what lets a scan of a whole page keep
// within sight of memchr.
#ifdef BRISKO_LINKSCAN_SSE2
using ByteLanes = __m128i;
ByteLanes Broadcast(char c) { return _mm_set1_epi8(c); }
#else
using ByteLanes = char;
ByteLanes Broadcast(char c) { return c; }
#endif

template <std::size_t Count>
class ByteMatcher {
 public:
  ByteMatcher() = default;
  explicit ByteMatcher(const std::array<char, Count>& bytes) {
    for (std::size_t i = 0; i < Count; ++i) lanes_[i] = Broadcast(bytes[i]);
  }

#ifdef BRISKO_LINKSCAN_SSE2
  // Byte i is all ones when byte i at `at` matches.
  __m128i Lanes16(const char* at) const {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    __m128i matches = _mm_cmpeq_epi8(bytes, lanes_[0]);
    for (std::size_t i = 1; i < Count; ++i) matches = _mm_or_si128(matches, _mm_cmpeq_epi8(bytes, lanes_[i]));
    return matches;
  }
#endif

  // Bit i is set when byte i at `at` matches.
  std::uint32_t In16(const char* at) const {
#ifdef BRISKO_LINKSCAN_SSE2
    return static_cast<std::uint32_t>(_mm_movemask_epi8(Lanes16(at)));
#else
    std::uint32_t mask = 0;
    for (int bit = 0; bit < 16; ++bit)
      for (const char lane : lanes_) mask |= static_cast<std::uint32_t>(at[bit] == lane) << bit;
    return mask;
#endif
  }

 private:
  // A plain array: std::array would drop the vector type's alignment.
  ByteLanes lanes_[Count] = {};
};

std::array<char, 2> BothCases(char c) {
  return {LowerAscii(c), IsAsciiLetter(c) ? static_cast<char>(LowerAscii(c) - 'a' + 'A') : c};
}

// The first `needle` (two bytes or more) at or after `from`. Thirty-two
// places are tested at once for the needle's first and last byte, so only
// the rare places holding both are compared in full; a search led by the
// first byte alone would stop at every "<" of a page made of tags. With one
// block of 16 per step the loop's own overhead cost more than the tests.
template <std::size_t Count>
std::size_t FindWith(std::string_view text, std::string_view needle, std::size_t from,
                     const ByteMatcher<Count>& firstByte, const ByteMatcher<Count>& lastByte,
                     bool (*same)(std::string_view, std::string_view)) {
  const std::size_t last = needle.size() - 1;
  std::size_t at = from;
  for (; at + last + 32 <= text.size(); at += 32) {
    const char* block = text.data() + at;
    std::uint32_t hits = (firstByte.In16(block) & lastByte.In16(block + last)) |
                         ((firstByte.In16(block + 16) & lastByte.In16(block + 16 + last)) << 16);
    for (; hits != 0; hits &= hits - 1) {
      const std::size_t start = at + static_cast<std::size_t>(std::countr_zero(hits));
      if (same(text.substr(start, needle.size()), needle)) return start;
    }
  }
  for (; at + needle.size() <= text.size(); ++at)
    if (same(text.substr(at, needle.size()), needle)) return at;
  return npos;
}

bool Same(std::string_view a, std::string_view b) { return a == b; }

// The first `needle` (not empty) at or after `from`.
std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from) {
  if (needle.size() == 1) return text.find(needle.front(), from);
  return FindWith(text, needle, from, ByteMatcher<1>({needle.front()}), ByteMatcher<1>({needle.back()}), Same);
}

// The same with ASCII letters compared without case; `needle` has two
// bytes or more.
std::size_t FindTextNoCase(std::string_view text, std::string_view needle, std::size_t from) {
  return FindWith(text, needle, from, ByteMatcher<2>(BothCases(needle.front())),
                  ByteMatcher<2>(BothCases(needle.back())), EqualsNoCase);
}

// ---------------------------------------------------------------- addresses

// A URI reference split as RFC 3986 appendix B does. The fragment is left
// out: it names a place inside the file and is never sent to the server.
struct UriReference {
  std::string_view scheme;
  std::optional<std::string_view> authority;
  std::string_view path;
  std::optional<std::string_view> query;
};

// RFC 3986 scheme: a letter, then letters, digits, "+", "-" and ".".
constexpr CharacterClass kSchemeCharacters = ClassOf("+-.", true);

// The scheme when the reference starts with one ("mailto:", "C:" and
// "javascript:" all count); empty for a relative reference.
std::string_view SchemeOf(std::string_view reference) {
  const std::size_t end = reference.find_first_of(":/?#");
  if (end == npos || end == 0 || reference[end] != ':') return {};
  const std::string_view scheme = reference.substr(0, end);
  const bool wellFormed = IsAsciiLetter(scheme.front()) &&
                          std::all_of(scheme.begin(), scheme.end(), [](char c) { return IsIn(kSchemeCharacters, c); });
  return wellFormed ? scheme : std::string_view{};
}

UriReference SplitReference(std::string_view reference) {
  UriReference parts;
  reference = reference.substr(0, reference.find('#'));
  parts.scheme = SchemeOf(reference);
  if (!parts.scheme.empty()) reference.remove_prefix(parts.scheme.size() + 1);
  if (reference.starts_with("//")) {
    reference.remove_prefix(2);
    const std::size_t end = std::min(reference.find_first_of("/?"), reference.size());
    parts.authority = reference.substr(0, end);
    reference.remove_prefix(end);
  }
  const std::size_t question = reference.find('?');
  if (question != npos) {
    parts.query = reference.substr(question + 1);
    reference = reference.substr(0, question);
  }
  parts.path = reference;
  return parts;
}

bool IsWebScheme(std::string_view scheme) { return EqualsNoCase(scheme, "http") || EqualsNoCase(scheme, "https"); }

void PopLastSegment(std::string& output) {
  const std::size_t slash = output.rfind('/');
  output.erase(slash == npos ? 0 : slash);
}

// RFC 3986 section 5.2.4. Each character enters the output once and a
// popped segment leaves it once, so the work stays linear.
std::string RemoveDotSegments(std::string_view input) {
  std::string output;
  output.reserve(input.size());
  while (!input.empty()) {
    if (input.starts_with("../")) {
      input.remove_prefix(3);
    } else if (input.starts_with("./") || input.starts_with("/./")) {
      input.remove_prefix(2);
    } else if (input == "/.") {
      input = "/";
    } else if (input.starts_with("/../")) {
      input.remove_prefix(3);
      PopLastSegment(output);
    } else if (input == "/..") {
      input = "/";
      PopLastSegment(output);
    } else if (input == "." || input == "..") {
      input = {};
    } else {
      const std::size_t end = std::min(input.find('/', 1), input.size());
      output.append(input.substr(0, end));
      input.remove_prefix(end);
    }
  }
  return output;
}

// RFC 3986 section 5.2.3, for a base that always has an authority: the
// folder of the base's path, to which a relative path is appended.
std::string_view BaseFolder(std::string_view basePath) {
  const std::size_t slash = basePath.rfind('/');
  return slash == npos ? std::string_view("/") : basePath.substr(0, slash + 1);
}

// RFC 3986 authority: unreserved, sub-delims, ":", "@", "[", "]" and escapes.
constexpr CharacterClass kAuthorityCharacters = ClassOf("-._~!$&'()*+,;=:@[]%", true);

// Characters that may not stand in a URI at all: controls, blanks, bytes
// outside ASCII and a few punctuation marks. They are sent percent-encoded,
// as a browser does, so the link is one token on the request line and in logs.
constexpr CharacterClass kMustEncode = [] {
  CharacterClass table = ClassOf("\"<>\\^`{|}", false);
  for (int c = 0; c < 256; ++c)
    if (c <= 0x20 || c >= 0x7F) table[c] = true;
  return table;
}();

void AppendLower(std::string& out, std::string_view text) {
  const std::size_t from = out.size();
  out.append(text);
  for (auto c = out.begin() + static_cast<std::ptrdiff_t>(from); c != out.end(); ++c) *c = LowerAscii(*c);
}

// Host names know no case, so the host is lowered for spotting repeats;
// user information before an "@" is compared as written and keeps its case.
void AppendLowerHost(std::string& out, std::string_view authority) {
  const std::size_t at = authority.rfind('@');
  const std::size_t hostStart = at == npos ? 0 : at + 1;
  out.append(authority.substr(0, hostStart));
  AppendLower(out, authority.substr(hostStart));
}

bool IsUsableAuthority(std::string_view authority) {
  const std::size_t at = authority.rfind('@');
  const std::string_view hostAndPort = at == npos ? authority : authority.substr(at + 1);
  return !hostAndPort.empty() && hostAndPort.front() != ':' &&
         std::all_of(authority.begin(), authority.end(), [](char c) { return IsIn(kAuthorityCharacters, c); });
}

void AppendPercentEncoded(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (auto from = text.begin();;) {
    const auto special = std::find_if(from, text.end(), [](char c) { return IsIn(kMustEncode, c); });
    out.append(from, special);
    if (special == text.end()) return;
    const auto code = static_cast<unsigned char>(*special);
    out.push_back('%');
    out.push_back(kHex[code >> 4]);
    out.push_back(kHex[code & 0x0F]);
    from = special + 1;
  }
}

// "/." also matches "/.hidden", which only costs the exact, slower path.
bool MayHoldDotSegment(std::string_view path) { return path.starts_with('.') || path.find("/.") != npos; }

// The path `folder` + `path` without dot segments. Most links have none and
// go straight into the address, without a joined copy.
void AppendPath(std::string& out, std::string_view folder, std::string_view path) {
  if (MayHoldDotSegment(folder) || MayHoldDotSegment(path)) {
    std::string joined(folder);
    joined.append(path);
    const std::string clean = RemoveDotSegments(joined);
    AppendPercentEncoded(out, clean.empty() ? std::string_view("/") : std::string_view(clean));
  } else if (folder.empty() && path.empty()) {
    out.push_back('/');
  } else {
    AppendPercentEncoded(out, folder);
    AppendPercentEncoded(out, path);
  }
}

// The absolute address in the one spelling duplicates are compared in:
// scheme and host in lower case, dot segments removed, no fragment. Written
// into `out`, which the caller reuses from link to link so that resolving
// allocates nothing; left empty when there is no usable host.
void ComposeAddress(std::string& out, std::string_view scheme, std::optional<std::string_view> authority,
                    std::string_view folder, std::string_view path, std::optional<std::string_view> query) {
  out.clear();
  if (!authority || !IsUsableAuthority(*authority)) return;
  AppendLower(out, scheme);
  out.append("://");
  AppendLowerHost(out, *authority);
  AppendPath(out, folder, path);
  if (query) {
    out.push_back('?');
    AppendPercentEncoded(out, *query);
  }
}

// RFC 3986 section 5.2.2 against a base split once for the whole page.
void ResolveAgainst(std::string& out, std::string_view link, const UriReference& from) {
  out.clear();
  const UriReference reference = SplitReference(Trim(link));
  if (!reference.scheme.empty()) {
    if (!IsWebScheme(reference.scheme)) return;
    return ComposeAddress(out, reference.scheme, reference.authority, {}, reference.path, reference.query);
  }
  if (!IsWebScheme(from.scheme) || !from.authority) return;
  if (reference.authority)
    return ComposeAddress(out, from.scheme, reference.authority, {}, reference.path, reference.query);
  if (reference.path.empty())
    return ComposeAddress(out, from.scheme, from.authority, {}, from.path,
                          reference.query ? reference.query : from.query);
  if (reference.path.front() == '/')
    return ComposeAddress(out, from.scheme, from.authority, {}, reference.path, reference.query);
  return ComposeAddress(out, from.scheme, from.authority, BaseFolder(from.path), reference.path, reference.query);
}

bool StartsWithWebScheme(std::string_view text) {
  return StartsWithNoCase(text, kHttp) || StartsWithNoCase(text, kHttps);
}

// ---------------------------------------------------------------- scanning

constexpr std::array<std::string_view, 5> kAcceptedEndings = {".gif", ".jpg", ".jpeg", ".png", ".swf"};
constexpr std::array<std::string_view, 4> kPictureEndings = {".gif", ".jpg", ".jpeg", ".png"};

// An http(s) address with a host and a path, so there is a file to fetch
// and a name to save it as, ending in one of the accepted endings.
bool IsWantedLink(std::string_view link) {
  const std::string_view scheme = StartsWithNoCase(link, kHttps) ? kHttps : kHttp;
  if (!StartsWithNoCase(link, scheme)) return false;
  const std::size_t pathStart = link.find('/', scheme.size());
  if (pathStart == npos || pathStart == scheme.size()) return false;
  return std::any_of(kAcceptedEndings.begin(), kAcceptedEndings.end(),
                     [&](std::string_view ending) { return EndsWithNoCase(link, ending); });
}

// Resolves candidates into one buffer kept for the whole scan, so only a
// new link costs an allocation: the copy the list keeps.
class LinkCollector {
 public:
  LinkCollector(const std::string& base, FoundLinks& links) : base_(SplitReference(base)), links_(links) {}

  void Offer(std::string_view candidate) {
    // Add drops a repeat itself, so each link is hashed once.
    const std::string_view link = Resolve(candidate);
    if (!link.empty()) links_.Add(link);
  }

  // The link `candidate` names when it is one worth fetching, else empty;
  // valid until the next call.
  std::string_view Resolve(std::string_view candidate) {
    candidate = Trim(candidate);
    // An empty candidate would name the base itself, which is a page, or a
    // picture when a base tag points at one; it never names a link.
    if (candidate.empty()) return {};
    ResolveAgainst(resolved_, candidate, base_);
    return IsWantedLink(resolved_) ? std::string_view(resolved_) : std::string_view();
  }


 private:
  const UriReference base_;
  FoundLinks& links_;
  std::string resolved_;
};

// The attribute text after an image marker holds the address, maybe
// quoted, then more attributes. Cutting right after the first ".gif" (or,
// when there is none, the first ".jpg", then ".jpeg", then ".png") drops
// the closing quote and whatever follows; one look at each dot finds all.
std::string_view MarkedAddress(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && (text.front() == '"' || text.front() == '\'')) text.remove_prefix(1);
  std::array<std::size_t, kPictureEndings.size()> cutAt;
  cutAt.fill(npos);
  for (std::size_t dot = text.find('.'); dot != npos && cutAt[0] == npos; dot = text.find('.', dot + 1)) {
    for (std::size_t k = 0; k < kPictureEndings.size(); ++k)
      if (cutAt[k] == npos && StartsWithNoCase(text.substr(dot), kPictureEndings[k]))
        cutAt[k] = dot + kPictureEndings[k].size();
  }
  for (const std::size_t end : cutAt)
    if (end != npos) return text.substr(0, end);
  return text;
}

std::string_view AsWritten(std::string_view text) { return text; }

// One pass: every candidate sits between `open` and the next `close`; the
// search goes on after that `close`, so each byte is looked at a bounded
// number of times. Fed the places of `open` in page order, it takes the
// candidates the pass takes and skips the openings inside one of them.
class MarkedPass {
 public:
  MarkedPass(std::string_view open, std::string_view close, std::string_view (*address)(std::string_view))
      : open_(open), close_(close), address_(address) {}

  std::string_view Open() const { return open_; }
  bool Done() const { return done_; }

  // Hands the candidate after the `open` at `opened` to `take`, unless an
  // earlier candidate already covers that place.
  template <typename Take>
  void Opened(std::string_view pageText, std::size_t opened, Take&& take) {
    if (done_ || opened < from_) return;
    const std::size_t start = opened + open_.size();
    const std::size_t closed = FindText(pageText, close_, start);
    // Without a closing text here there is none after any later opening
    // either: every remaining candidate would be empty.
    if (closed == npos) {
      done_ = true;
      return;
    }
    take(address_(pageText.substr(start, closed - start)));
    from_ = closed + close_.size();
  }

  // The whole pass on its own.
  void Scan(std::string_view pageText, LinkCollector& collector) {
    const auto offer = [&](std::string_view candidate) { collector.Offer(candidate); };
    for (std::size_t at = FindText(pageText, open_, 0); at != npos && !done_; at = FindText(pageText, open_, from_))
      Opened(pageText, at, offer);
  }

 private:
  std::string_view open_;
  std::string_view close_;
  std::string_view (*address_)(std::string_view);
  std::size_t from_ = 0;
  bool done_ = false;
};

// Where each pass's markers are found, in one sweep over the page: a dense
// page is read once rather than once per pass. Each marker is told apart
// by its first and last byte as in FindWith, all markers on the same
// block of 32 places.
template <std::size_t Count>
class MarkerSweep {
 public:
  explicit MarkerSweep(const std::array<MarkedPass, Count>& passes) {
    for (std::size_t k = 0; k < Count; ++k) {
      const std::string_view open = passes[k].Open();
      first_[k] = ByteMatcher<1>({open.front()});
      last_[k] = ByteMatcher<1>({open.back()});
      lastAt_[k] = open.size() - 1;
      longest_ = std::max(longest_, open.size());
    }
  }

  // Calls found(k, at) for each place `at` of pass k's marker, in page
  // order for each k.
  template <typename Found>
  void Run(std::string_view text, const std::array<MarkedPass, Count>& passes, Found&& found) const {
    std::size_t at = 0;
    for (; at + longest_ + 31 <= text.size(); at += 32) {
      const char* block = text.data() + at;
      if (!MayHold(block)) continue;
      for (std::size_t k = 0; k < Count; ++k)
        for (std::uint32_t bits = (first_[k].In16(block) & last_[k].In16(block + lastAt_[k])) |
                                  ((first_[k].In16(block + 16) & last_[k].In16(block + 16 + lastAt_[k])) << 16);
             bits != 0; bits &= bits - 1) {
          const std::size_t start = at + static_cast<std::size_t>(std::countr_zero(bits));
          if (text.substr(start, passes[k].Open().size()) == passes[k].Open()) found(k, start);
        }
    }
    for (; at < text.size(); ++at)
      for (std::size_t k = 0; k < Count; ++k)
        if (text.substr(at).starts_with(passes[k].Open())) found(k, at);
  }

 private:
  // Whether any marker may start among the 32 places at `block`. The
  // markers' tests are merged before the one mask is taken: on most blocks
  // this is all the work there is.
  bool MayHold(const char* block) const {
#ifdef BRISKO_LINKSCAN_SSE2
    __m128i any = _mm_setzero_si128();
    // Unrolled: with the loop kept, its own bookkeeping cost as much as the tests.
#pragma GCC unroll 8
    for (std::size_t k = 0; k < Count; ++k) {
      any = _mm_or_si128(any, _mm_and_si128(first_[k].Lanes16(block), last_[k].Lanes16(block + lastAt_[k])));
      any = _mm_or_si128(
          any, _mm_and_si128(first_[k].Lanes16(block + 16), last_[k].Lanes16(block + 16 + lastAt_[k])));
    }
    return _mm_movemask_epi8(any) != 0;
#else
    for (std::size_t k = 0; k < Count; ++k)
      for (const char* half : {block, block + 16})
        if ((first_[k].In16(half) & last_[k].In16(half + lastAt_[k])) != 0) return true;
    return false;
#endif
  }

  ByteMatcher<1> first_[Count];
  ByteMatcher<1> last_[Count];
  std::size_t lastAt_[Count] = {};
  std::size_t longest_ = 0;
};

// The passes of the image scan, in the order their links are listed.
std::array<MarkedPass, 4> ImagePasses() {
  // Style and forum addresses are taken as written: a quoted style address
  // keeps its quotes and ends in one, so it is refused.
  return {MarkedPass("<img src=", ">", MarkedAddress), MarkedPass("background=", ">", MarkedAddress),
          MarkedPass("background-image: url(", ")", AsWritten), MarkedPass("[img]", "[/img]", AsWritten)};
}

// The value of attribute `name` inside one tag's text, if the tag has it.
std::optional<std::string_view> AttributeValue(std::string_view tag, std::string_view name) {
  for (std::size_t at = FindNoCase(tag, name); at != npos; at = FindNoCase(tag, name, at + 1)) {
    if (at == 0 || !(IsBlank(tag[at - 1]) || tag[at - 1] == '/')) continue;
    std::string_view rest = tag.substr(at + name.size());
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
    if (rest.empty() || rest.front() != '=') continue;
    rest = Trim(rest.substr(1));
    if (!rest.empty() && (rest.front() == '"' || rest.front() == '\'')) {
      const std::size_t end = rest.find(rest.front(), 1);
      return Trim(rest.substr(1, end == npos ? npos : end - 1));
    }
    return rest.substr(0, std::min(rest.find_first_of(" \t\f\v"), rest.size()));
  }
  return std::nullopt;
}

// Where the next "<base" element starts (any case, not "<basefont").
std::size_t FindBaseTag(std::string_view pageText, std::size_t from) {
  constexpr std::string_view kTag = "<base";
  for (std::size_t at = FindTextNoCase(pageText, kTag, from); at != npos;
       at = FindTextNoCase(pageText, kTag, at + 1)) {
    const std::size_t after = at + kTag.size();
    if (after == pageText.size() || IsBlank(pageText[after]) || pageText[after] == '/' || pageText[after] == '>')
      return at;
  }
  return npos;
}

// ---------------------------------------------------------------- file names

constexpr std::size_t kMaxFileName = 100;
// A longer "extension" is taken as part of the name; cutting it would
// leave a name with no stem.
constexpr std::size_t kMaxExtension = 16;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = LowerAscii(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "%20" back to a blank so a file is named as its author named it. Only
// printable ASCII is decoded: the name stays plain ASCII whatever the page's
// character set was, and decoded "/", "\" or ":" are replaced afterwards.
std::string DecodePrintableEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      const int code = HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]);
      if (code >= 0x20 && code < 0x7F) {
        out.push_back(static_cast<char>(code));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

// Windows refuses these in names, and a byte outside ASCII here could be
// half of a character the page's unknown character set made.
bool IsUnsafeNameCharacter(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code < 0x20 || code >= 0x7F || std::string_view("<>:\"|?*/\\").find(c) != npos;
}

void DropTrailingDotsAndBlanks(std::string& name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
}

std::size_t ExtensionStart(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot != npos && dot > 0 && name.size() - dot <= kMaxExtension ? dot : npos;
}

void CutKeepingExtension(std::string& name) {
  if (name.size() <= kMaxFileName) return;
  const std::size_t dot = ExtensionStart(name);
  if (dot == npos) {
    name.resize(kMaxFileName);
    return;
  }
  const std::size_t extension = name.size() - dot;
  name.erase(kMaxFileName - extension, name.size() - kMaxFileName);
}

// "nul.png" or "COM1 .txt" opens the device, not a file, whatever follows
// the first dot.
bool IsDeviceName(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  std::transform(stem.begin(), stem.end(), stem.begin(), LowerAscii);
  if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul" || stem == "conin$" || stem == "conout$")
    return true;
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '0' && stem[3] <= '9';
}

// Trailing dots and blanks vanish on Windows, so "a.gif." would be saved
// as "a.gif"; dropping them here keeps the name we check the one we get.
void Tidy(std::string& name) {
  DropTrailingDotsAndBlanks(name);
  CutKeepingExtension(name);
  DropTrailingDotsAndBlanks(name);
  if (name.empty()) name = "_";
}

// ---------------------------------------------------------------- page text

// Copies the body into [out, outEnd) without CR and LF, up to its first NUL;
// returns the end of what was written. The NUL is found in the same sweep
// as the line breaks.
char* CopyPageText(const char* in, const char* const inEnd, char* out, char* const outEnd) {
  const ByteMatcher<3> stop({'\r', '\n', '\0'});
  // Each run between stops is moved with one copy of a whole chunk, of
  // which only the run's length counts: the rest is written over by the
  // next run. Lines are longer than a chunk on most pages, so a chunk
  // mostly takes one or two such copies rather than one per 16 bytes, and
  // the copies need two chunks of room on both sides.
  constexpr std::ptrdiff_t kChunk = 64;
  for (; inEnd - in >= 2 * kChunk && outEnd - out >= 2 * kChunk; in += kChunk) {
    std::uint64_t stops = 0;
    for (int part = 0; part < kChunk / 16; ++part)
      stops |= static_cast<std::uint64_t>(stop.In16(in + 16 * part)) << (16 * part);
    std::uint32_t runStart = 0;
    for (; stops != 0; stops &= stops - 1) {
      const auto at = static_cast<std::uint32_t>(std::countr_zero(stops));
      std::memcpy(out, in + runStart, kChunk);
      out += at - runStart;
      if (in[at] == '\0') return out;
      runStart = at + 1;
    }
    std::memcpy(out, in + runStart, kChunk);
    out += kChunk - runStart;
  }
  for (; in != inEnd && out != outEnd && *in != '\0'; ++in)
    if (*in != '\r' && *in != '\n') *out++ = *in;
  return out;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) { return Trim(text); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) { return EqualsNoCase(a, b); }

// ---------------------------------------------------------------- FoundLinks

std::size_t FoundLinks::SlotOf(std::string_view link, std::size_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const Slot& entry = slots_[slot];
    if (entry.placePlusOne == 0 || (entry.hash == hash && links_[entry.placePlusOne - 1] == link)) return slot;
  }
}

void FoundLinks::Grow() {
  std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& entry : old) {
    if (entry.placePlusOne == 0) continue;
    std::size_t slot = entry.hash & mask;
    while (slots_[slot].placePlusOne != 0) slot = (slot + 1) & mask;
    slots_[slot] = entry;
  }
}

bool FoundLinks::Contains(std::string_view link) const {
  if (slots_.empty()) return false;
  return slots_[SlotOf(link, std::hash<std::string_view>{}(link))].placePlusOne != 0;
}

void FoundLinks::Add(std::string_view link) {
  if ((links_.size() + 1) * 2 > slots_.size()) Grow();
  const std::size_t hash = std::hash<std::string_view>{}(link);
  Slot& entry = slots_[SlotOf(link, hash)];
  if (entry.placePlusOne != 0) return;
  links_.emplace_back(link);
  entry = Slot{hash, links_.size()};
}

void FoundLinks::Clear() {
  links_.clear();
  slots_.clear();
}

// ---------------------------------------------------------------- addresses

std::string MakeBaseAddress(std::string_view typed) {
  std::string_view rest = Trim(typed);
  std::string_view scheme = "http";
  if (StartsWithNoCase(rest, kHttps)) {
    scheme = "https";
    rest.remove_prefix(kHttps.size());
  } else if (StartsWithNoCase(rest, kHttp)) {
    rest.remove_prefix(kHttp.size());
  }
  // The page's own name, query and fragment are not part of its folder; a
  // "/" inside the query must not be taken for the folder's end.
  const std::string_view beforeQuery = rest.substr(0, rest.find_first_of("?#"));
  const std::size_t hostEnd = std::min(beforeQuery.find('/'), beforeQuery.size());
  const std::size_t folderEnd = hostEnd == beforeQuery.size() ? hostEnd : beforeQuery.rfind('/') + 1;
  std::string base(scheme);
  base.append("://");
  AppendLowerHost(base, beforeQuery.substr(0, hostEnd));
  base.append(beforeQuery.substr(hostEnd, folderEnd - hostEnd));
  if (!base.ends_with('/')) base.push_back('/');
  return base;
}

std::string PageAddress(std::string_view typed) {
  const std::string_view address = Trim(typed);
  if (StartsWithWebScheme(address)) return std::string(address);
  std::string page(kHttp);
  page.append(address);
  return page;
}

std::string MakePageText(std::string_view body) {
  std::string text(std::min(body.size(), kMaxPageText), '\0');
  char* const end = CopyPageText(body.data(), body.data() + body.size(), text.data(), text.data() + text.size());
  text.resize(static_cast<std::size_t>(end - text.data()));
  return text;
}

std::string ResolveLink(std::string_view link, const std::string& base) {
  std::string resolved;
  ResolveAgainst(resolved, link, SplitReference(base));
  return resolved;
}

std::string EffectiveBase(std::string_view pageText, const std::string& base) {
  // Only the first base element that has an href counts, as in a browser.
  for (std::size_t at = FindBaseTag(pageText, 0); at != npos;) {
    const std::size_t end = std::min(pageText.find('>', at), pageText.size());
    const auto href = AttributeValue(pageText.substr(at, end - at), "href");
    if (href) {
      if (!StartsWithWebScheme(*href)) return base;
      std::string resolved = ResolveLink(*href, base);
      return resolved.empty() ? base : resolved;
    }
    at = end == pageText.size() ? npos : FindBaseTag(pageText, end);
  }
  return base;
}

bool AcceptLink(const std::string& link, const FoundLinks& links) {
  return IsWantedLink(link) && !links.Contains(link);
}

void ScanMarkedLinks(std::string_view pageText, std::string_view marker, const std::string& base,
                     FoundLinks& links) {
  if (marker.empty()) return;
  LinkCollector collector(base, links);
  MarkedPass(marker, ">", MarkedAddress).Scan(pageText, collector);
}

void ScanImageLinks(std::string_view pageText, const std::string& base, FoundLinks& links) {
  LinkCollector collector(base, links);
  std::array<MarkedPass, 4> passes = ImagePasses();
  // The later passes' links wait in lists of their own, resolved while
  // their text is still at hand, until the first pass is through: the list
  // keeps the order of one pass after another. Each waiting list drops its
  // own repeats, so it never holds more than the final list would.
  std::array<FoundLinks, 4> later;
  MarkerSweep<4>(passes).Run(pageText, passes, [&](std::size_t k, std::size_t at) {
    passes[k].Opened(pageText, at, [&](std::string_view candidate) {
      if (k == 0) return collector.Offer(candidate);
      const std::string_view link = collector.Resolve(candidate);
      if (!link.empty()) later[k].Add(link);
    });
  });
  for (const FoundLinks& waiting : later)
    for (const std::string& link : waiting.Links()) links.Add(link);
}

void ScanFlashLinks(std::string_view pageText, const std::string& base, FoundLinks& links) {
  constexpr std::string_view kSwf = ".swf";
  LinkCollector collector(base, links);
  // The run before each ".swf" goes back to the nearest quote, but never
  // into the previous ".swf": the backward looks cover each byte once.
  std::size_t runStart = 0;
  for (std::size_t at = FindText(pageText, kSwf, 0); at != npos; at = FindText(pageText, kSwf, runStart)) {
    const std::size_t quote = pageText.substr(runStart, at - runStart).find_last_of("\"'");
    const std::size_t start = quote == npos ? runStart : runStart + quote + 1;
    collector.Offer(pageText.substr(start, at + kSwf.size() - start));
    runStart = at + kSwf.size();
  }
}

void ScanLinks(std::string_view pageText, int webMode, const std::string& base, FoundLinks& links) {
  if (webMode != kWebModeImages && webMode != kWebModeFlash) return;
  const std::string effective = EffectiveBase(pageText, base);
  if (webMode == kWebModeImages)
    ScanImageLinks(pageText, effective, links);
  else
    ScanFlashLinks(pageText, effective, links);
}

// ---------------------------------------------------------------- file names

std::string SafeFileName(std::string_view link) {
  link = link.substr(0, link.find('#'));
  const std::size_t separator = link.find_last_of("/\\:");
  std::string name = DecodePrintableEscapes(separator == npos ? link : link.substr(separator + 1));
  std::replace_if(name.begin(), name.end(), IsUnsafeNameCharacter, '_');
  Tidy(name);
  if (IsDeviceName(name)) {
    name.insert(0, "_");
    Tidy(name);
  }
  return name;
}

std::string NumberedFileName(const std::string& safeName, int number) {
  const std::string suffix = " (" + std::to_string(number) + ")";
  const std::size_t dot = ExtensionStart(safeName);
  const std::string_view extension = dot == npos ? std::string_view() : std::string_view(safeName).substr(dot);
  const std::string_view stem = std::string_view(safeName).substr(0, dot);
  std::string numbered(stem.substr(0, kMaxFileName - suffix.size() - extension.size()));
  numbered.append(suffix);
  numbered.append(extension);
  return numbered;
}

}  // namespace brisko::web
