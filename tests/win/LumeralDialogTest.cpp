// The save-parameters dialog, through ShowForm of the real Lumeral.dll,
// bound as the program binds it: loaded, used and unloaded for each call.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "codecs/Codecs.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "widgets/Handles.h"
#include "widgets/Text.h"

namespace brisko {
namespace {

namespace fs = std::filesystem;
using ShowFormFunction = BOOL(__stdcall*)(HWND, const char*, BOOLEAN);

fs::path ProgramFolder() {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  return (fs::path(exe).parent_path() / LUMERAL_PROGRAM_FOLDER).make_preferred().lexically_normal();
}

Bitmap Picture(int w, int h) {
  Bitmap b(w, h, PixelFormat::Bgr24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x * 5), static_cast<std::uint8_t>(y * 3),
                                    static_cast<std::uint8_t>((x ^ y) * 7)));
  return b;
}

// Runs ShowForm with the library loaded just for the call.
bool CallShowForm(HWND application, const std::string& target, bool autoClose) {
  win::ScopedModule library(LoadLibraryW((ProgramFolder() / L"Lumeral.dll").c_str()));
  if (!library) return false;
  const auto showForm = reinterpret_cast<ShowFormFunction>(
      reinterpret_cast<void*>(GetProcAddress(library.Get(), "ShowForm")));
  if (!showForm) return false;
  return showForm(application, target.c_str(), autoClose ? TRUE : FALSE) == TRUE;
}

HWND FindChild(HWND parent, const std::wstring& text) {
  struct Search {
    std::wstring text;
    HWND found;
  } search{text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t t[64] = {};
        GetWindowTextW(w, t, 64);
        if (s->text == t) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class SaveDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TestApplication";
    RegisterClassW(&wc);
    application_ = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    temp_ = fs::temp_directory_path();
    WriteBmpFile(Picture(120, 80), temp_ / "temp.bmp");
    folder_ = temp_ / PathFromUtf8("Zo\xC3\xAB dialog");
    fs::create_directories(folder_);
  }
  void TearDown() override {
    DestroyWindow(application_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::string Target(const std::string& name) const { return Utf8FromPath(folder_ / PathFromUtf8(name)); }

  HWND application_ = nullptr;
  fs::path temp_;
  fs::path folder_;
};

TEST_F(SaveDialog, AutoCloseWritesEveryRasterFormatAtFullSize) {
  for (const char* name : {"a.BMP", "a.JPG", "a.PCX", "a.PNG", "a.TIF", "a.GIF", "a.TGA"}) {
    const std::string target = Target(name);
    ASSERT_TRUE(CallShowForm(application_, target, true)) << name;
    ASSERT_TRUE(fs::exists(PathFromUtf8(target))) << name << " written";
    if (std::string(name) == "a.PCX" || std::string(name) == "a.TGA") continue;  // no reader of ours
    const Bitmap written = ReadImageFile(PathFromUtf8(target));
    EXPECT_EQ(written.Width(), 120) << name;
    EXPECT_EQ(written.Height(), 80) << name;
  }
  EXPECT_TRUE(fs::exists(temp_ / "tempNew.bmp")) << "the intermediate stays for the program to remove";
}

TEST_F(SaveDialog, ANameWithTheJpegExtensionGetsJpegData) {
  const std::string target = Target("photo.jpeg");
  ASSERT_TRUE(CallShowForm(application_, target, true));
  const auto bytes = ReadFileBytes(PathFromUtf8(target));
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8) << "a JPEG start-of-image, not TIF data";
}

TEST_F(SaveDialog, CallingItTwiceInARowWorks) {
  ASSERT_TRUE(CallShowForm(application_, Target("one.PNG"), true));
  ASSERT_TRUE(CallShowForm(application_, Target("two.PNG"), true));
  EXPECT_TRUE(fs::exists(PathFromUtf8(Target("two.PNG"))));
}

TEST_F(SaveDialog, AMissingSourceClosesQuietlyWithoutATarget) {
  fs::remove(temp_ / "temp.bmp");
  const std::string target = Target("none.PNG");
  EXPECT_TRUE(CallShowForm(application_, target, false)) << "closes by itself although not AutoClose";
  EXPECT_FALSE(fs::exists(PathFromUtf8(target)));
}

// Drives the open dialog from a second thread while ShowForm runs.
class DialogDriver {
 public:
  explicit DialogDriver(std::function<void(HWND)> steps)
      : thread_([this, steps] {
          HWND dialog = nullptr;
          for (int i = 0; i < 500 && !dialog; ++i) {
            dialog = FindWindowW(nullptr, L"Parameters Preview");
            if (!dialog) Sleep(20);
          }
          if (!dialog) return;
          found_ = true;
          steps(dialog);
        }) {}
  ~DialogDriver() { thread_.join(); }
  bool Found() const { return found_; }

 private:
  std::atomic<bool> found_{false};
  std::thread thread_;
};

bool WaitForFile(const fs::path& path, bool present) {
  for (int i = 0; i < 250; ++i) {
    if (fs::exists(path) == present) return true;
    Sleep(20);
  }
  return false;
}

TEST_F(SaveDialog, UnlockedChangesWaitForPreviewAndCancelDeletesTheTarget) {
  const fs::path target = PathFromUtf8(Target("q.JPG"));
  std::uintmax_t first = 0, afterEdit = 0, afterPreview = 0;
  bool previewEnabledUnlocked = false, previewDisabledLocked = false;
  {
    DialogDriver driver([&](HWND dialog) {
      if (!WaitForFile(target, true)) return;
      Sleep(300);
      first = fs::file_size(target);
      HWND quality = FindChild(dialog, L"75");
      SendMessageW(quality, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5"));
      Sleep(500);
      afterEdit = fs::file_size(target);
      HWND preview = FindChild(dialog, L"&Preview");
      previewEnabledUnlocked = IsWindowEnabled(preview);
      SendMessageW(preview, BM_CLICK, 0, 0);
      Sleep(500);
      afterPreview = fs::file_size(target);
      SendMessageW(FindChild(dialog, L"&Lock Preview"), BM_CLICK, 0, 0);
      previewDisabledLocked = !IsWindowEnabled(preview);
      PostMessageW(FindChild(dialog, L"&Cancel"), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(CallShowForm(application_, Utf8FromPath(target), false));
    EXPECT_TRUE(driver.Found());
  }
  EXPECT_GT(first, 0u) << "the dialog writes the target when it shows";
  EXPECT_EQ(afterEdit, first) << "unlocked, a changed quality writes nothing";
  EXPECT_LT(afterPreview, first) << "Preview writes at the new, lower quality";
  EXPECT_TRUE(previewEnabledUnlocked);
  EXPECT_TRUE(previewDisabledLocked);
  EXPECT_FALSE(fs::exists(target)) << "Cancel deletes the target";
}

TEST_F(SaveDialog, OkKeepsTheLastWrittenTarget) {
  const fs::path target = PathFromUtf8(Target("keep.PNG"));
  {
    DialogDriver driver([&](HWND dialog) {
      if (!WaitForFile(target, true)) return;
      PostMessageW(FindChild(dialog, L"&Ok"), BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(CallShowForm(application_, Utf8FromPath(target), false));
  }
  EXPECT_TRUE(fs::exists(target));
}

}  // namespace
}  // namespace brisko
