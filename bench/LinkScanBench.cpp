// Scanning a 10 MB page for picture and Flash links, beside the two figures
// that frame it: one memchr pass over the same bytes (the floor no scan of
// the whole page can beat) and a real HTML parse with gumbo (what a parser
// based scanner would pay before it found a single link).
//
// Two pages: a dense gallery, where every other block is a link (a picture
// per 0.75 KB or so, so resolving and collecting links weighs most), and an
// article, one block in twenty (a picture per 9 KB or so, so the search
// through the text weighs most).
#include <benchmark/benchmark.h>

#include <gumbo.h>

#include <cstring>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <string_view>

#include "webcapture/LinkScan.h"

namespace {

using namespace brisko::web;

constexpr std::size_t kPageSize = 10u * 1000u * 1000u;
const std::string kBase = "http://host/gallery/";

constexpr int kGallery = 2;
constexpr int kArticle = 20;

// Ordinary words, so the letters of the page's text come about as often as
// they do on a real page.
constexpr std::string_view kWords[] = {
    "the",     "of",      "and",    "to",      "in",       "a",       "is",     "that",  "for",      "it",
    "as",      "was",     "with",   "be",      "by",       "on",      "not",    "he",    "this",     "are",
    "or",      "his",     "from",   "at",      "which",    "but",     "have",   "an",    "had",      "they",
    "you",     "were",    "their",  "one",     "all",      "we",      "can",    "her",   "has",      "there",
    "been",    "if",      "more",   "when",    "will",     "would",   "who",    "so",    "no",       "picture",
    "photo",   "camera",  "light",  "evening", "harbour",  "colours", "nice",   "great", "shared",   "holiday",
    "lens",    "day",     "slowly", "over",    "made",     "just",    "see",    "good",  "people",   "year",
    "through", "between", "jumped", "zoom",    "exposure", "view",    "water",  "sky",   "mountain", "village"};

void AppendLinkBlock(std::string& page, int kind, const std::string& n) {
  switch (kind) {
    case 0:
      page += "<img src=\"photos/IMG_" + n + ".JPG\" width=\"640\" height=\"480\" alt=\"Photo " + n + "\">\r\n";
      break;
    case 1:
      page += "<td background=\"cells/c" + n + ".png\" class=\"cell\">&nbsp;</td>\r\n";
      break;
    case 2:
      page += "<div style=\"background-image: url(/banners/b" + n + ".jpeg)\"></div>\r\n";
      break;
    case 3:
      page += "<p class=\"post\">[img]http://forum.example/u/" + n + ".gif[/img]</p>\r\n";
      break;
    default:
      page += "<object><param name=\"movie\" value=\"clips/m" + n + ".swf\"><embed src=\"clips/m" + n +
              ".swf\"></object>\r\n";
  }
}

// A comment of 20 to 120 words in lines of twelve, inside the usual markup.
void AppendTextBlock(std::string& page, std::mt19937& random, const std::string& n) {
  std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
  std::uniform_int_distribution<int> words(20, 120);
  page += "<div class=\"comment\"><a href=\"/thread/" + n + "?page=2#reply\">Re: " + std::string(kWords[word(random)]) +
          "</a> <span class=\"date\">2024-06-11</span>\r\n<p>";
  const int count = words(random);
  for (int i = 1; i <= count; ++i) {
    page += kWords[word(random)];
    page += i % 12 == 0 ? "\r\n" : " ";
  }
  page += "</p></div>\r\n";
}

// One block in `linkEvery` is a link in one of the five forms the scanners
// know; pictures repeat now and then, lines end in CR LF.
std::string MakePage(int linkEvery) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> isLink(0, linkEvery - 1);
  std::uniform_int_distribution<int> kind(0, 4);
  std::uniform_int_distribution<int> picture(0, 20000);
  std::string page =
      "<!DOCTYPE html>\r\n<html><head><title>Gallery</title>\r\n"
      "<link rel=\"stylesheet\" href=\"/css/site.css\"></head>\r\n<body background=\"img/tile.gif\">\r\n";
  while (page.size() < kPageSize) {
    const std::string n = std::to_string(picture(random));
    if (isLink(random) == 0)
      AppendLinkBlock(page, kind(random), n);
    else
      AppendTextBlock(page, random, n);
  }
  page += "</body></html>\r\n";
  return page;
}

const std::string& Page(int linkEvery) {
  static std::map<int, std::string> pages;
  auto found = pages.find(linkEvery);
  if (found == pages.end()) found = pages.emplace(linkEvery, MakePage(linkEvery)).first;
  return found->second;
}

void SetBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// The floor: one pass looking for a byte the page does not hold.
void BM_MemchrFloor(benchmark::State& state) {
  const std::string& page = Page(kGallery);
  for (auto _ : state) benchmark::DoNotOptimize(std::memchr(page.data(), '\0', page.size()));
  SetBytes(state, page.size());
}
BENCHMARK(BM_MemchrFloor)->Unit(benchmark::kMillisecond);

// What the wizard does for the Images mode once the body has arrived.
void BM_PageTextAndImageScan(benchmark::State& state) {
  const std::string& page = Page(static_cast<int>(state.range(0)));
  std::size_t found = 0;
  for (auto _ : state) {
    FoundLinks links;
    const std::string text = MakePageText(page);
    ScanImageLinks(text, kBase, links);
    found = links.Size();
    benchmark::DoNotOptimize(links.Links().data());
  }
  state.counters["links"] = static_cast<double>(found);
  SetBytes(state, page.size());
}
BENCHMARK(BM_PageTextAndImageScan)->Arg(kGallery)->Arg(kArticle)->Unit(benchmark::kMillisecond);

// The same with the base tag looked for first, as ScanLinks runs it.
void BM_PageTextAndScanLinks(benchmark::State& state) {
  const std::string& page = Page(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    FoundLinks links;
    ScanLinks(MakePageText(page), kWebModeImages, kBase, links);
    benchmark::DoNotOptimize(links.Links().data());
  }
  SetBytes(state, page.size());
}
BENCHMARK(BM_PageTextAndScanLinks)->Arg(kGallery)->Arg(kArticle)->Unit(benchmark::kMillisecond);

void BM_PageText(benchmark::State& state) {
  const std::string& page = Page(kGallery);
  for (auto _ : state) benchmark::DoNotOptimize(MakePageText(page).data());
  SetBytes(state, page.size());
}
BENCHMARK(BM_PageText)->Unit(benchmark::kMillisecond);

// The image scan alone, the page text made once: the sweep for markers
// plus resolving and collecting, without the copy that makes the text.
void BM_ImageScan(benchmark::State& state) {
  const std::string text = MakePageText(Page(static_cast<int>(state.range(0))));
  std::size_t found = 0;
  for (auto _ : state) {
    FoundLinks links;
    ScanImageLinks(text, kBase, links);
    found = links.Size();
    benchmark::DoNotOptimize(links.Links().data());
  }
  state.counters["links"] = static_cast<double>(found);
  SetBytes(state, text.size());
}
BENCHMARK(BM_ImageScan)->Arg(kGallery)->Arg(kArticle)->Unit(benchmark::kMillisecond);

void BM_FlashScan(benchmark::State& state) {
  const std::string text = MakePageText(Page(static_cast<int>(state.range(0))));
  std::size_t found = 0;
  for (auto _ : state) {
    FoundLinks links;
    ScanFlashLinks(text, kBase, links);
    found = links.Size();
    benchmark::DoNotOptimize(links.Links().data());
  }
  state.counters["links"] = static_cast<double>(found);
  SetBytes(state, text.size());
}
BENCHMARK(BM_FlashScan)->Arg(kGallery)->Arg(kArticle)->Unit(benchmark::kMillisecond);

// Parsing alone, without walking the tree for links: the least a parser
// based scanner would pay.
void BM_GumboParse(benchmark::State& state) {
  const std::string& page = Page(kGallery);
  for (auto _ : state) {
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size());
    benchmark::DoNotOptimize(output->root);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
  }
  SetBytes(state, page.size());
}
BENCHMARK(BM_GumboParse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
