#include "webcapture/LinkScan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace brisko::web {
namespace {

using Links = std::vector<std::string>;

const std::string kBase = "http://host/dir/";

Links ImageLinks(std::string_view page) {
  FoundLinks found;
  ScanLinks(MakePageText(page), kWebModeImages, kBase, found);
  return found.Links();
}

Links FlashLinks(std::string_view page) {
  FoundLinks found;
  ScanLinks(MakePageText(page), kWebModeFlash, kBase, found);
  return found.Links();
}

// ---------------------------------------------------------------- addresses typed

TEST(BaseAddress, KeepsSchemeAndFolderAndLowersOnlySchemeAndHost) {
  const struct {
    const char* typed;
    const char* base;
  } table[] = {
      {"Host/Dir/Page.htm", "http://host/Dir/"},
      {"host", "http://host/"},
      {"http://host/a/b.htm", "http://host/a/"},
      {"http://host", "http://host/"},
      {"https://host/a", "https://host/"},
      {"HTTPS://Host/A/", "https://host/A/"},
      {"HtTp://WWW.Example.COM/Gallery/Index.HTML", "http://www.example.com/Gallery/"},
      {" \t http://host/a/b.htm \r\n", "http://host/a/"},
      {"host/a/p.php?next=/x/y/", "http://host/a/"},
      {"host?next=/x/y/", "http://host/"},
      {"host/a/b.htm#part/two", "http://host/a/"},
      {"Me@Host:8080/Pics/x.htm", "http://Me@host:8080/Pics/"},
  };
  for (const auto& row : table) EXPECT_EQ(MakeBaseAddress(row.typed), row.base) << row.typed;
}

TEST(BaseAddress, PageAddressPutsHttpInFrontOnlyWhenNoWebSchemeLeads) {
  EXPECT_EQ(PageAddress("host/Page.htm"), "http://host/Page.htm");
  EXPECT_EQ(PageAddress("  HTTPS://Host/P.htm  "), "HTTPS://Host/P.htm");
  EXPECT_EQ(PageAddress("http://host"), "http://host");
  EXPECT_EQ(PageAddress("host/?u=http://other/"), "http://host/?u=http://other/");
}

// ---------------------------------------------------------------- resolution

// RFC 3986 section 5.4, with the base's scheme http. Fragments are dropped
// and an empty path becomes "/", so the address is the one fetched.
TEST(ResolveLink, FollowsTheRfcExamples) {
  const std::string base = "http://a/b/c/d;p?q";
  const struct {
    const char* link;
    const char* resolved;
  } table[] = {
      {"g", "http://a/b/c/g"},
      {"./g", "http://a/b/c/g"},
      {"g/", "http://a/b/c/g/"},
      {"/g", "http://a/g"},
      {"//g", "http://g/"},
      {"?y", "http://a/b/c/d;p?y"},
      {"g?y", "http://a/b/c/g?y"},
      {"#s", "http://a/b/c/d;p?q"},
      {"g#s", "http://a/b/c/g"},
      {"g?y#s", "http://a/b/c/g?y"},
      {";x", "http://a/b/c/;x"},
      {"g;x", "http://a/b/c/g;x"},
      {"g;x?y#s", "http://a/b/c/g;x?y"},
      {"", "http://a/b/c/d;p?q"},
      {".", "http://a/b/c/"},
      {"./", "http://a/b/c/"},
      {"..", "http://a/b/"},
      {"../", "http://a/b/"},
      {"../g", "http://a/b/g"},
      {"../..", "http://a/"},
      {"../../", "http://a/"},
      {"../../g", "http://a/g"},
      // The abnormal ones: climbing stops at the host.
      {"../../../g", "http://a/g"},
      {"/./g", "http://a/g"},
      {"/../g", "http://a/g"},
      {"g;x=1/../y", "http://a/b/c/y"},
      {"g?y/./x", "http://a/b/c/g?y/./x"},
      {"g#s/../x", "http://a/b/c/g"},
  };
  for (const auto& row : table) EXPECT_EQ(ResolveLink(row.link, base), row.resolved) << row.link;
}

TEST(ResolveLink, MendsTheOldGluingOntoTheBase) {
  const std::string base = "http://host/a/b/";
  EXPECT_EQ(ResolveLink("../x.gif", base), "http://host/a/x.gif") << "climbs from the page's folder";
  EXPECT_EQ(ResolveLink("../../x.gif", base), "http://host/x.gif");
  EXPECT_EQ(ResolveLink("/x.gif", base), "http://host/x.gif") << "no doubled slash";
  EXPECT_EQ(ResolveLink("//cdn/x.gif", base), "http://cdn/x.gif");
  EXPECT_EQ(ResolveLink("//cdn/x.gif", "https://host/"), "https://cdn/x.gif");
  EXPECT_EQ(ResolveLink("HTTP://Other/A.gif", base), "http://other/A.gif");
  EXPECT_EQ(ResolveLink("https://other/a.gif", base), "https://other/a.gif");
}

TEST(ResolveLink, RefusesOtherSchemesAndAddressesWithoutAHost) {
  for (const char* link : {"file:///c:/x.gif", "javascript:alert(1)//x.gif", "data:image/gif;base64,R0lGOD.gif",
                           "mailto:me@host.gif", "ftp://host/x.gif", "C:\\pics\\x.gif", "httpx://host/x.gif",
                           "http:x.gif", "http:///x.gif", "https://:80/x.gif"})
    EXPECT_EQ(ResolveLink(link, kBase), "") << link;
  EXPECT_EQ(ResolveLink("x.gif", "http://"), "") << "a base without a host resolves nothing";
}

TEST(ResolveLink, PercentEncodesWhatCannotStandInAnAddress) {
  EXPECT_EQ(ResolveLink("my pic.gif", kBase), "http://host/dir/my%20pic.gif");
  EXPECT_EQ(ResolveLink("caf\xC3\xA9.gif", kBase), "http://host/dir/caf%C3%A9.gif");
  EXPECT_EQ(ResolveLink("a\"b<c>.gif", kBase), "http://host/dir/a%22b%3Cc%3E.gif");
  EXPECT_EQ(ResolveLink("a%20b.gif", kBase), "http://host/dir/a%20b.gif") << "escapes already there stay";
}

TEST(AcceptLink, WantsAWebAddressWithAnAcceptedEndingNotYetFound) {
  FoundLinks found;
  for (const char* link : {"http://h/a.gif", "http://h/a.JPG", "https://h/a.Jpeg", "http://h/a.png", "http://h/m.SWF"})
    EXPECT_TRUE(AcceptLink(link, found)) << link;
  for (const char* link : {"http://h/a.gif?size=2", "http://h/a.bmp", "http://h/jpeg", "ftp://h/a.gif",
                           "file:///a.gif", "http://a.gif", "http:///a.gif", "h/a.gif"})
    EXPECT_FALSE(AcceptLink(link, found)) << link;
  found.Add("http://h/a.gif");
  EXPECT_FALSE(AcceptLink("http://h/a.gif", found));
  EXPECT_TRUE(AcceptLink("http://h/A.gif", found)) << "duplicates are compared with case";
}

// ---------------------------------------------------------------- scanning

TEST(ImageScan, MarkerPassesKeepThePathsCaseAndStripEitherQuote) {
  EXPECT_EQ(ImageLinks("<img src=\"pics/A.GIF\" width=3>"), Links{"http://host/dir/pics/A.GIF"});
  EXPECT_EQ(ImageLinks("<img src='x.png'>"), Links{"http://host/dir/x.png"});
  EXPECT_EQ(ImageLinks("<img src=\"/Photos/A.JPG\" alt=\"Me\">"), Links{"http://host/Photos/A.JPG"});
  EXPECT_EQ(ImageLinks("<img src=a.jpeg?w=2 alt=x>"), Links{"http://host/dir/a.jpeg"});
  EXPECT_EQ(ImageLinks("<IMG SRC=\"a.gif\">"), Links{}) << "markers are case-sensitive";
}

TEST(ImageScan, TheFourPassesRunInOrderOverTheWholePage) {
  const std::string page =
      "[img]4.gif[/img] <div style=\"background-image: url(3.png)\"> <body background=\"2.jpg\"> "
      "<img src=\"1.gif\">";
  EXPECT_EQ(ImageLinks(page), (Links{"http://host/dir/1.gif", "http://host/dir/2.jpg", "http://host/dir/3.png",
                                     "http://host/dir/4.gif"}));
}

TEST(ImageScan, StyleAndForumAddressesAreTakenAsWritten) {
  EXPECT_EQ(ImageLinks("background-image: url(bg.png)"), Links{"http://host/dir/bg.png"});
  EXPECT_EQ(ImageLinks("background-image: url('bg.png')"), Links{}) << "a quoted style address ends in a quote";
  EXPECT_EQ(ImageLinks("[img]http://other/y.jpg[/img][img]z.gif[/img]"),
            (Links{"http://other/y.jpg", "http://host/dir/z.gif"}));
  EXPECT_EQ(ImageLinks("[img]HTTP://Other/a.gif[/img]"), Links{"http://other/a.gif"});
  EXPECT_EQ(ImageLinks("[img]a.gif?size=2[/img]<img src=b.gif?size=2>"), Links{"http://host/dir/b.gif"})
      << "only the marker passes cut after the ending";
}

TEST(ImageScan, UnclosedMarkersYieldNothingAndEndTheirPass) {
  EXPECT_EQ(ImageLinks("<img src=\"a.gif\""), Links{});
  EXPECT_EQ(ImageLinks("<img src=\"a.gif\" <img src=\"b.gif\">"), Links{"http://host/dir/a.gif"})
      << "the candidate runs to the next \">\" and swallows the second marker";
  EXPECT_EQ(ImageLinks("background-image: url(a.gif [img]b.gif"), Links{});
  EXPECT_EQ(ImageLinks("[img]a.gif <img src=b.gif>"), Links{"http://host/dir/b.gif"}) << "the other passes go on";
  EXPECT_EQ(ImageLinks("<img src=>"), Links{});
}

// The search tests many places at once; a marker must be found wherever it
// falls against those blocks, up to the page's last byte.
TEST(ImageScan, FindsAMarkerAtEveryOffset) {
  for (std::size_t pad = 0; pad < 80; ++pad) {
    const std::string page = std::string(pad, '<') + "<img src=a.gif>" + std::string(80 - pad, 'i');
    EXPECT_EQ(ImageLinks(page), Links{"http://host/dir/a.gif"}) << pad;
    EXPECT_EQ(ImageLinks(std::string(pad, '[') + "[img]b.png[/img]"), Links{"http://host/dir/b.png"}) << pad;
  }
}

TEST(ImageScan, DuplicatesAreDroppedButCaseMakesADifferentLink) {
  EXPECT_EQ(ImageLinks("<img src=a.gif><img src=\"a.gif\"><img src=./a.gif>[img]http://HOST/dir/a.gif[/img]"),
            Links{"http://host/dir/a.gif"});
  EXPECT_EQ(ImageLinks("<img src=a.gif><img src=A.gif>"), (Links{"http://host/dir/a.gif", "http://host/dir/A.gif"}));
}

TEST(ImageScan, LinksOfOtherSchemesAreNeverCollected) {
  const std::string page =
      "<img src=\"javascript:x.gif\"><img src=\"file:///etc/x.gif\"><img src=ftp://h/x.gif>"
      "[img]data:image/gif;base64,AAAA.gif[/img][img]mailto:me@x.png[/img]<img src=\"ok.gif\">";
  EXPECT_EQ(ImageLinks(page), Links{"http://host/dir/ok.gif"});
}

TEST(ImageScan, ManyLinksKeepTheirOrderAndDropRepeats) {
  std::string page;
  for (int round = 0; round < 2; ++round)
    for (int i = 0; i < 10000; ++i) page += "<img src=\"p" + std::to_string(i) + ".gif\">\n";
  const Links links = ImageLinks(page);
  ASSERT_EQ(links.size(), 10000u);
  EXPECT_EQ(links.front(), "http://host/dir/p0.gif");
  EXPECT_EQ(links.back(), "http://host/dir/p9999.gif");
}

TEST(FlashScan, TakesTheRunBackToTheNearestQuote) {
  EXPECT_EQ(FlashLinks("<embed src=\"movie.swf\">"), Links{"http://host/dir/movie.swf"});
  EXPECT_EQ(FlashLinks("<param name=\"movie\" value=film.swf>"), Links{"http://host/dir/value=film.swf"})
      << "an unquoted value takes in everything back to the last quote";
  EXPECT_EQ(FlashLinks("<a href='a.swf'>x</a><b href=\"b.swf\">"),
            (Links{"http://host/dir/a.swf", "http://host/dir/b.swf"}));
  EXPECT_EQ(FlashLinks("a.swfb.swf"), (Links{"http://host/dir/a.swf", "http://host/dir/b.swf"}))
      << "a run never reaches into the previous .swf";
  EXPECT_EQ(FlashLinks("<embed src=\"movie.SWF\">"), Links{}) << "the .swf search is case-sensitive";
  EXPECT_EQ(FlashLinks("<img src=\"a.gif\">"), Links{});
}

TEST(ScanLinks, AnUnknownModeScansNothing) {
  FoundLinks found;
  ScanLinks("<img src=a.gif><embed src='b.swf'>", 3, kBase, found);
  EXPECT_TRUE(found.Empty());
}

// ---------------------------------------------------------------- base tag

TEST(BaseTag, AnAbsoluteHrefOfTheFirstBaseElementReplacesTheBase) {
  EXPECT_EQ(ImageLinks("<head><base href=\"http://cdn.example/img/\"></head><img src=\"a.gif\">"),
            Links{"http://cdn.example/img/a.gif"});
  EXPECT_EQ(ImageLinks("<BASE target=_top HREF='https://X/y/page.htm'><img src=../a.gif>"),
            Links{"https://x/a.gif"});
  EXPECT_EQ(EffectiveBase("<base target=_top><base href=http://first/><base href=http://second/>", kBase),
            "http://first/")
      << "a base element without href does not count";
}

TEST(BaseTag, IsIgnoredUnlessItHoldsAnAbsoluteWebAddress) {
  for (const char* page : {"<base href=\"/other/\">", "<base href=\"javascript:x\">", "<base href=\"file:///c:/\">",
                           "<basefont href=\"http://x/\">", "<base href=>", "<base href=\"http:///\">"})
    EXPECT_EQ(EffectiveBase(page, kBase), kBase) << page;
  EXPECT_EQ(ImageLinks("<base href=\"/other/\"><img src=a.gif>"), Links{"http://host/dir/a.gif"});
}

// ---------------------------------------------------------------- page text

TEST(PageText, JoinsLinesWithoutASeparatorAndStopsAtNul) {
  EXPECT_EQ(MakePageText("a\r\nb\nc\rd"), "abcd");
  EXPECT_EQ(MakePageText(std::string_view("ab\0<img src=x.gif>", 18)), "ab");
  EXPECT_EQ(ImageLinks(std::string(100, ' ') + std::string("\0<img src=x.gif>", 16)), Links{});
  EXPECT_EQ(ImageLinks("<img src=\r\n\"pics/\r\nA.gif\"\r\n>"), Links{"http://host/dir/pics/A.gif"});
  EXPECT_EQ(ImageLinks("[img]a.\ngif[/img]"), Links{"http://host/dir/a.gif"});
}

// The text is built many bytes at a time; a break or a NUL must be handled
// wherever it falls against those blocks.
TEST(PageText, RemovesEveryBreakAndStopsAtNulWhereverTheyFall) {
  std::mt19937 random(7);
  const std::string alphabet = "ab\r\n<";
  for (int round = 0; round < 500; ++round) {
    std::string body(random() % 120, ' ');
    for (char& c : body) c = random() % 60 == 0 ? '\0' : alphabet[random() % alphabet.size()];
    std::string expected = body.substr(0, body.find('\0'));
    std::erase_if(expected, [](char c) { return c == '\r' || c == '\n'; });
    ASSERT_EQ(MakePageText(body), expected) << round;
  }
}

TEST(PageText, IsCappedAfterTheLineBreaksAreRemoved) {
  std::string body(10, '\n');
  body.append(kMaxPageText + 5, 'a');
  const std::string text = MakePageText(body);
  EXPECT_EQ(text.size(), kMaxPageText);
  EXPECT_EQ(text.find_first_not_of('a'), std::string::npos);
}

// ---------------------------------------------------------------- file names

TEST(DownloadFileName, HostileNamesBecomeSafeOnes) {
  const std::string longStem(300, 'x');
  const struct {
    std::string link;
    std::string name;
  } table[] = {
      {"http://h/con.gif", "_con.gif"},
      {"http://h/nul.png", "_nul.png"},
      {"http://h/NuL", "_NuL"},
      {"http://h/Com1.tar.gz", "_Com1.tar.gz"},
      {"http://h/lpt9 .jpg", "_lpt9 .jpg"},
      {"http://h/com10.gif", "com10.gif"},
      {"http://h/a?b.gif", "a_b.gif"},
      {"http://h/a\"b<c>d.gif", "a_b_c_d.gif"},
      {"http://h/a\x01" "b.gif", "a_b.gif"},
      {"http://h/a\\b.gif", "b.gif"},
      {"http://h/a.gif#frag/x", "a.gif"},
      {"http://h/my%20pic.gif", "my pic.gif"},
      {"http://h/a%2Fb%5Cc%3Ad.gif", "a_b_c_d.gif"},
      {"http://h/caf%C3%A9.gif", "caf%C3%A9.gif"},
      {"http://h/%2e%2e", "_"},
      {"http://h/..", "_"},
      {"http://h/", "_"},
      {"", "_"},
      {"http://h/" + longStem + ".gif", std::string(96, 'x') + ".gif"},
      {"http://h/" + longStem, std::string(100, 'x')},
      {"http://h/con." + longStem, "_con." + std::string(95, 'x')},
  };
  for (const auto& row : table) EXPECT_EQ(SafeFileName(row.link), row.name) << row.link;
}

TEST(DownloadFileName, TakenNamesGetACounterBeforeTheExtension) {
  const auto lower = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
  };
  std::set<std::string> taken;  // in lower case, as the file system compares
  std::vector<std::string> names;
  for (const std::string link : {"http://a/x/pic.gif", "http://b/y/PIC.GIF", "http://c/pic.gif", "http://c/readme",
                                 "http://d/readme", "http://e/con.gif", "http://f/CON.gif"}) {
    names.push_back(DownloadFileName(link, [&](const std::string& name) { return taken.count(lower(name)) != 0; }));
    taken.insert(lower(names.back()));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"pic.gif", "PIC (2).GIF", "pic (3).gif", "readme", "readme (2)",
                                             "_con.gif", "_CON (2).gif"}));
}

TEST(DownloadFileName, ACounterOnALongNameStaysWithinTheLimit) {
  const std::string safe = SafeFileName("http://h/" + std::string(300, 'y') + ".jpeg");
  const std::string numbered = NumberedFileName(safe, 12);
  EXPECT_EQ(numbered.size(), 100u);
  EXPECT_TRUE(numbered.ends_with("y (12).jpeg"));
}

}  // namespace
}  // namespace brisko::web
