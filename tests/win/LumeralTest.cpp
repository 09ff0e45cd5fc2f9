// The three converters of Lumeral.dll, called through the real exports of
// the built library, loaded from the program folder as the program loads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "convlib/Lumeral.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "widgets/Dib.h"
#include "widgets/Handles.h"
#include "widgets/Text.h"

namespace brisko {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Converter = int(__stdcall*)(const char*, const char*);

constexpr Colour kMagenta = MakeColour(255, 0, 255);

std::uint16_t Get16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }
std::uint32_t Get32(const Bytes& b, std::size_t at) { return Get16(b, at) | (std::uint32_t{Get16(b, at + 2)} << 16); }

struct MetafileTraits {
  using Handle = HENHMETAFILE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DeleteEnhMetaFile(h); }
};
using Metafile = win::UniqueHandle<MetafileTraits>;

fs::path ProgramFolder() {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  fs::path folder = fs::path(exe).parent_path() / LUMERAL_PROGRAM_FOLDER;
  return folder.make_preferred().lexically_normal();
}

// Lumeral.dll as the program binds it, and a working folder whose name
// needs more than the system's 8-bit code page, as a user's might.
class Lumeral : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.Reset(LoadLibraryW((ProgramFolder() / L"Lumeral.dll").c_str()));
    ASSERT_TRUE(library_) << "no Lumeral.dll in " << ProgramFolder();
    toEmf_ = Bind("BitmapToEmf");
    toWmf_ = Bind("BitmapToWmf");
    toIcon_ = Bind("BitmapToIcon");
    std::random_device random;
    folder_ = fs::temp_directory_path() / PathFromUtf8("Zo\xC3\xAB \xE6\x9D\x8E " + std::to_string(random()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  Converter Bind(const char* name) {
    // FARPROC is GetProcAddress's generic type; the export has this one.
    auto* function = reinterpret_cast<Converter>(reinterpret_cast<void*>(GetProcAddress(library_.Get(), name)));
    EXPECT_NE(function, nullptr) << name;
    return function;
  }

  // The path as the program passes it: UTF-8.
  std::string Utf8(const std::string& name) const { return Utf8FromPath(folder_ / PathFromUtf8(name)); }
  std::string Source(const Bitmap& bitmap, const std::string& name = "temp.bmp") const {
    WriteBmpFile(bitmap, folder_ / PathFromUtf8(name));
    return Utf8(name);
  }
  Bytes Read(const std::string& name) const { return ReadFileBytes(folder_ / PathFromUtf8(name)); }
  bool Exists(const std::string& name) const { return fs::exists(folder_ / PathFromUtf8(name)); }
  int FileCount() const {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_)) ++n;
    return n;
  }

  win::ScopedModule library_;
  Converter toEmf_ = nullptr, toWmf_ = nullptr, toIcon_ = nullptr;
  fs::path folder_;
};

Bitmap Pattern(std::int32_t width, std::int32_t height) {
  Bitmap b(width, height, PixelFormat::Bgr24);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      b.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x * 6), static_cast<std::uint8_t>(y * 9),
                                    static_cast<std::uint8_t>(100 + x + y)));
  return b;
}

// Plays a metafile onto a white picture of its own size.
Bitmap Play(HENHMETAFILE metafile, std::int32_t width, std::int32_t height) {
  win::DibCanvas canvas(width, height, PixelFormat::Bgr24);
  PatBlt(canvas.Dc(), 0, 0, width, height, WHITENESS);
  const RECT area{0, 0, width, height};
  EXPECT_TRUE(PlayEnhMetaFile(canvas.Dc(), metafile, &area));
  Bitmap picture(width, height, PixelFormat::Bgr24);
  canvas.Section().CopyTo(picture);
  return picture;
}

void ExpectSamePixels(const Bitmap& a, const Bitmap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  int differing = 0;
  for (std::int32_t y = 0; y < a.Height(); ++y)
    for (std::int32_t x = 0; x < a.Width(); ++x) differing += a.PixelAt(x, y) != b.PixelAt(x, y);
  EXPECT_EQ(differing, 0);
}

TEST_F(Lumeral, EnhancedMetafileHasTheBitmapsSizeDescriptionAndPixels) {
  const Bitmap bitmap = Pattern(40, 25);
  ASSERT_EQ(toEmf_(Source(bitmap).c_str(), Utf8("out.emf").c_str()), lumeral::kOk);

  const Metafile metafile(GetEnhMetaFileW((folder_ / L"out.emf").c_str()));
  ASSERT_TRUE(metafile);
  ENHMETAHEADER header{};
  ASSERT_TRUE(GetEnhMetaFileHeader(metafile.Get(), sizeof header, &header));
  EXPECT_EQ(header.rclBounds.left, 0);
  EXPECT_EQ(header.rclBounds.top, 0);
  EXPECT_EQ(header.rclBounds.right, 39);  // inclusive
  EXPECT_EQ(header.rclBounds.bottom, 24);
  // The frame is in units of 0.01 mm, at the screen's 96 pixels per inch.
  EXPECT_NEAR(header.rclFrame.right, 40 * 2540 / 96, 30);
  EXPECT_NEAR(header.rclFrame.bottom, 25 * 2540 / 96, 30);

  std::wstring description(GetEnhMetaFileDescriptionW(metafile.Get(), 0, nullptr), L'\0');
  GetEnhMetaFileDescriptionW(metafile.Get(), static_cast<UINT>(description.size()), description.data());
  // Creator and title, each ending in a zero, and one more zero at the end.
  EXPECT_EQ(description, std::wstring(L"https://brisko-capture.example/\0V1.0\0\0", 38));

  ExpectSamePixels(Play(metafile.Get(), 40, 25), bitmap);
}

// Finds the first record with this function number; 0 when there is none.
std::size_t FindRecord(const Bytes& wmf, std::size_t start, std::uint16_t function) {
  std::size_t at = start + 18;  // the metafile header
  while (at + 6 <= wmf.size()) {
    const std::uint32_t words = Get32(wmf, at);
    if (Get16(wmf, at + 4) == function) return at;
    if (words < 3) break;
    at += std::size_t{words} * 2;
  }
  return 0;
}

TEST_F(Lumeral, PlaceableMetafileBeginsWithTheKeyAndHasTheBitmapsSize) {
  const Bitmap bitmap = Pattern(40, 25);
  ASSERT_EQ(toWmf_(Source(bitmap).c_str(), Utf8("out.wmf").c_str()), lumeral::kOk);
  const Bytes wmf = Read("out.wmf");
  ASSERT_GT(wmf.size(), 22u + 18u);
  EXPECT_EQ(Get32(wmf, 0), 0x9AC6CDD7u);
  EXPECT_EQ(Get16(wmf, 6), 0);   // left
  EXPECT_EQ(Get16(wmf, 8), 0);   // top
  EXPECT_EQ(Get16(wmf, 10), 40);  // right, in 1/96 inch
  EXPECT_EQ(Get16(wmf, 12), 25);  // bottom
  EXPECT_EQ(Get16(wmf, 14), 96);  // units per inch
  std::uint16_t checksum = 0;
  for (std::size_t i = 0; i < 20; i += 2) checksum ^= Get16(wmf, i);
  EXPECT_EQ(Get16(wmf, 20), checksum);

  // A Windows metafile follows, holding the bitmap as one raster record.
  EXPECT_EQ(Get16(wmf, 22 + 2), 9);  // header size in words
  const std::size_t stretch = FindRecord(wmf, 22, 0x0F43);  // META_STRETCHDIB
  ASSERT_NE(stretch, 0u);
  const std::size_t info = stretch + 6 + 22;  // after the record's eleven parameter words
  EXPECT_EQ(Get32(wmf, info + 4), 40u);
  EXPECT_EQ(Get32(wmf, info + 8), 25u);

  // And the platform reads it back as the same picture.
  METAFILEPICT picture{MM_ANISOTROPIC, 40 * 2540 / 96, 25 * 2540 / 96, nullptr};
  const Metafile metafile(SetWinMetaFileBits(static_cast<UINT>(wmf.size() - 22), wmf.data() + 22, nullptr, &picture));
  ASSERT_TRUE(metafile);
  ExpectSamePixels(Play(metafile.Get(), 40, 25), bitmap);
}

// The icon file as the platform's own loader reads it: the image's size,
// its colour pixels and its mask (true where transparent), rows from the top.
struct LoadedIcon {
  std::int32_t width = 0, height = 0;
  Bitmap colour;
  std::vector<bool> transparent;
};

LoadedIcon LoadIcon(const fs::path& file) {
  LoadedIcon icon;
  const Bytes bytes = ReadFileBytes(file);
  EXPECT_EQ(Get16(bytes, 4), 1) << "one image";
  icon.width = bytes[6] ? bytes[6] : 256;
  icon.height = bytes[7] ? bytes[7] : 256;
  const win::ScopedIcon loaded(
      static_cast<HICON>(LoadImageW(nullptr, file.c_str(), IMAGE_ICON, icon.width, icon.height, LR_LOADFROMFILE)));
  ICONINFO parts{};
  EXPECT_TRUE(loaded && GetIconInfo(loaded.Get(), &parts));
  const win::ScopedBitmap colour(parts.hbmColor), mask(parts.hbmMask);
  const win::WindowDC screen;
  icon.colour = Bitmap(icon.width, icon.height, PixelFormat::Bgr24);
  Bitmap bits(icon.width, icon.height, PixelFormat::Indexed1);
  win::DibInfo colourInfo = win::DibInfoFor(icon.colour), maskInfo = win::DibInfoFor(bits);
  EXPECT_EQ(GetDIBits(screen.Get(), colour.Get(), 0, icon.height, icon.colour.Data(), colourInfo.Get(), DIB_RGB_COLORS),
            icon.height);
  EXPECT_EQ(GetDIBits(screen.Get(), mask.Get(), 0, icon.height, bits.Data(), maskInfo.Get(), DIB_RGB_COLORS),
            icon.height);
  for (std::int32_t y = 0; y < icon.height; ++y)
    for (std::int32_t x = 0; x < icon.width; ++x) icon.transparent.push_back(bits.IndexAt(x, y) == 1);
  return icon;
}

TEST_F(Lumeral, IconMakesExactlyThePixelsOfTheBottomLeftColourTransparent) {
  ASSERT_EQ(GetSystemMetrics(SM_CXICON), 32) << "the comparison below needs a 1:1 stretch";
  ASSERT_EQ(GetSystemMetrics(SM_CYICON), 32);
  Bitmap bitmap = Pattern(32, 32);
  for (std::int32_t y = 0; y < 32; ++y)
    for (std::int32_t x = 0; x < 32; ++x) {
      if ((x * 7 + y * 3) % 5 == 0) bitmap.SetPixelAt(x, y, kMagenta);
      if ((x + y) % 11 == 0) bitmap.SetPixelAt(x, y, MakeColour(254, 0, 255));  // near is not equal
    }
  bitmap.SetPixelAt(0, 31, kMagenta);
  ASSERT_EQ(toIcon_(Source(bitmap).c_str(), Utf8("out.ico").c_str()), lumeral::kOk);

  const LoadedIcon icon = LoadIcon(folder_ / L"out.ico");
  ASSERT_EQ(icon.width, 32);
  ASSERT_EQ(icon.height, 32);
  int transparent = 0;
  for (std::int32_t y = 0; y < 32; ++y)
    for (std::int32_t x = 0; x < 32; ++x) {
      const bool magenta = bitmap.PixelAt(x, y) == kMagenta;
      transparent += magenta;
      EXPECT_EQ(icon.transparent[y * 32 + x], magenta) << x << ", " << y;
      EXPECT_EQ(icon.colour.PixelAt(x, y), magenta ? kBlack : bitmap.PixelAt(x, y)) << x << ", " << y;
    }
  EXPECT_GT(transparent, 150);
}

TEST_F(Lumeral, IconHasTheSystemIconSizeWhateverTheSourceSize) {
  for (const auto& [width, height] : {std::pair{100, 37}, std::pair{5, 300}, std::pair{1, 1}}) {
    ASSERT_EQ(toIcon_(Source(Pattern(width, height)).c_str(), Utf8("out.ico").c_str()), lumeral::kOk);
    const LoadedIcon icon = LoadIcon(folder_ / L"out.ico");
    EXPECT_EQ(icon.width, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(icon.height, GetSystemMetrics(SM_CYICON));
  }
}

TEST_F(Lumeral, IconOfABlackAndWhiteBitmapMakesWhiteTransparent) {
  Bitmap bitmap(32, 32, PixelFormat::Indexed1);
  bitmap.Fill(kBlack);  // the bottom-left pixel is black
  bitmap.FillRect(Rect{8, 8, 24, 24}, kWhite);
  ASSERT_EQ(toIcon_(Source(bitmap).c_str(), Utf8("out.ico").c_str()), lumeral::kOk);
  const LoadedIcon icon = LoadIcon(folder_ / L"out.ico");
  ASSERT_EQ(icon.width, 32);
  EXPECT_EQ(std::count(icon.transparent.begin(), icon.transparent.end(), true), 16 * 16);
  EXPECT_TRUE(icon.transparent[10 * 32 + 10]);
}

TEST_F(Lumeral, UnreadableSourcesGiveAnErrorAndNoTarget) {
  const Converter converters[] = {toEmf_, toWmf_, toIcon_};
  WriteFileAtomically(folder_ / L"empty.bmp", Bytes{});
  Source(Pattern(20, 20));
  Bytes file = Read("temp.bmp");
  file.resize(60);
  WriteFileAtomically(folder_ / L"cut.bmp", file);
  for (Converter convert : converters) {
    for (const char* name : {"missing.bmp", "empty.bmp", "cut.bmp"}) {
      EXPECT_EQ(convert(Utf8(name).c_str(), Utf8("out.x").c_str()), lumeral::kCannotReadSource) << name;
      EXPECT_FALSE(Exists("out.x")) << name;
    }
    EXPECT_EQ(convert(nullptr, Utf8("out.x").c_str()), lumeral::kCannotReadSource);
  }
  EXPECT_EQ(FileCount(), 3);  // temp.bmp, empty.bmp, cut.bmp: no stray files
}

TEST_F(Lumeral, UnwritableTargetsGiveAnErrorAndLeaveNothing) {
  const std::string source = Source(Pattern(20, 20));
  for (Converter convert : {toEmf_, toWmf_, toIcon_}) {
    EXPECT_EQ(convert(source.c_str(), Utf8("no such folder\\out.x").c_str()), lumeral::kCannotWriteTarget);
    EXPECT_EQ(convert(source.c_str(), nullptr), lumeral::kCannotWriteTarget);
  }
  EXPECT_EQ(FileCount(), 1);
}

TEST_F(Lumeral, NonAsciiSourceAndTargetNamesWork) {
  const std::string source = Source(Pattern(16, 16), "Zo\xC3\xAB \xE6\x9D\x8E.bmp");
  EXPECT_EQ(toEmf_(source.c_str(), Utf8("\xE6\x9D\x8E.emf").c_str()), lumeral::kOk);
  EXPECT_EQ(toWmf_(source.c_str(), Utf8("\xE6\x9D\x8E.wmf").c_str()), lumeral::kOk);
  EXPECT_EQ(toIcon_(source.c_str(), Utf8("Zo\xC3\xAB.ico").c_str()), lumeral::kOk);
  EXPECT_TRUE(fs::exists(folder_ / L"\u674E.emf"));
  EXPECT_TRUE(fs::exists(folder_ / L"\u674E.wmf"));
  EXPECT_TRUE(fs::exists(folder_ / L"Zo\u00EB.ico"));
}

}  // namespace
}  // namespace brisko
