// The editor's ways out as the real BriskoCapture.exe runs them: Save As in
// every file type, the question before replacing a file, Finish, the
// full-screen view and the clipboard. Written files are read back by an
// outside reader, Debian's Pillow under /usr/bin/python3, started from here
// as a Unix program the way Wine starts one.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "RemoteControls.h"
#include "core/Bitmap.h"
#include "core/Bmp.h"
#include "editor/EditorCommands.h"
#include "widgets/Clipboard.h"
#include "widgets/Dib.h"

namespace brisko::e2e {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// 4 x 4 blocks, each of its own colour: 192 colours, so a GIF holds them
// exactly, and gradients across and down, so a flipped or shifted picture
// cannot pass for the original. JPEG keeps flat blocks close.
Bitmap BlockPicture(int width, int height) {
  Bitmap picture(width, height, PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int bx = x / 4, by = y / 4;
      picture.SetPixelAt(x, y,
                         MakeColour(static_cast<std::uint8_t>(bx * 16 + 8), static_cast<std::uint8_t>(by * 20 + 10),
                                    static_cast<std::uint8_t>(200 - (bx + by) * 5)));
    }
  return picture;
}

Bitmap FlippedAcross(const Bitmap& picture) {
  Bitmap flipped(picture.Width(), picture.Height(), PixelFormat::Bgr24);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) flipped.SetPixelAt(picture.Width() - 1 - x, y, picture.PixelAt(x, y));
  return flipped;
}

::testing::AssertionResult SamePixels(const Bitmap& written, const Bitmap& expected) {
  if (written.Width() != expected.Width() || written.Height() != expected.Height())
    return ::testing::AssertionFailure() << "size " << written.Width() << "x" << written.Height() << ", expected "
                                         << expected.Width() << "x" << expected.Height();
  int wrong = 0;
  std::string first;
  for (int y = 0; y < written.Height(); ++y)
    for (int x = 0; x < written.Width(); ++x)
      if (written.PixelAt(x, y) != expected.PixelAt(x, y) && wrong++ == 0) {
        std::ostringstream at;
        at << "first at " << x << "," << y << ": " << std::hex << written.PixelAt(x, y) << " instead of "
           << expected.PixelAt(x, y);
        first = at.str();
      }
  if (wrong > 0) return ::testing::AssertionFailure() << wrong << " pixels differ, " << first;
  return ::testing::AssertionSuccess();
}

// The mean absolute difference over every channel of every pixel.
double MeanDifference(const Bitmap& a, const Bitmap& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const Colour p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      sum += std::abs(RedOf(p) - RedOf(q)) + std::abs(GreenOf(p) - GreenOf(q)) + std::abs(BlueOf(p) - BlueOf(q));
    }
  return sum / (3.0 * a.Width() * a.Height());
}

Bytes FileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool StartsWith(const Bytes& bytes, std::initializer_list<std::uint8_t> magic, std::size_t at = 0) {
  if (bytes.size() < at + magic.size()) return false;
  return std::equal(magic.begin(), magic.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

// ---------------------------------------------------------------- Pillow

// The Unix name of a file, for the Unix programs run from here. Wine's
// kernel32 has the conversion; the tests only run under Wine, as xdotool
// does.
std::string UnixPath(const fs::path& file) {
  using Convert = char*(CDECL*)(const wchar_t*);
  static const auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return {};
  char* name = convert(file.c_str());
  if (!name) return {};
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Writes the picture's format, mode and size on a line, then its pixels as
// RGB bytes; renamed into place at the end, so a file there is whole.
constexpr const char* kPillowScript =
    "import os, sys\n"
    "source, answer = sys.argv[1], sys.argv[2]\n"
    "try:\n"
    "    from PIL import Image\n"
    "    im = Image.open(source)\n"
    "    im.load()\n"
    "    data = ('%s %s %d %d\\n' % (im.format, im.mode, im.size[0], im.size[1])).encode()\n"
    "    data += im.convert('RGB').tobytes()\n"
    "except Exception as e:\n"
    "    data = ('ERROR %r\\n' % e).encode()\n"
    "open(answer + '.part', 'wb').write(data)\n"
    "os.replace(answer + '.part', answer)\n";

struct Decoded {
  std::string error;  // empty when Pillow read the file
  std::string format, mode;
  Bitmap pixels;
};

// How Pillow reads a file. Wine starts a Unix program without a handle to
// wait on, so the answer file's arrival says it has finished.
Decoded ReadWithPillow(const fs::path& file, const fs::path& scratch) {
  static int next = 0;
  const fs::path script = scratch / "read.py";
  const fs::path answer = scratch / ("answer" + std::to_string(++next));
  if (!fs::exists(script)) std::ofstream(script, std::ios::binary) << kPillowScript;
  std::wstring command = L"/usr/bin/python3 \"" + fs::path(UnixPath(script)).wstring() + L"\" \"" +
                         fs::path(UnixPath(file)).wstring() + L"\" \"" + fs::path(UnixPath(answer)).wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return {"python3 could not be started", {}, {}, {}};
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  if (!WaitFor([&] { return fs::exists(answer); }, 20000)) return {"Pillow gave no answer", {}, {}, {}};
  const Bytes bytes = FileBytes(answer);
  const auto line = std::find(bytes.begin(), bytes.end(), std::uint8_t{'\n'});
  std::istringstream header(std::string(bytes.begin(), line));
  Decoded decoded;
  int width = 0, height = 0;
  header >> decoded.format;
  if (decoded.format == "ERROR") return {std::string(bytes.begin(), line), {}, {}, {}};
  header >> decoded.mode >> width >> height;
  const auto* rgb = bytes.data() + (line - bytes.begin()) + 1;
  if (width <= 0 || height <= 0 || bytes.end() - line - 1 != static_cast<std::ptrdiff_t>(width) * height * 3)
    return {"Pillow's answer is cut short", {}, {}, {}};
  decoded.pixels = Bitmap(width, height, PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, rgb += 3) decoded.pixels.SetPixelAt(x, y, MakeColour(rgb[0], rgb[1], rgb[2]));
  return decoded;
}

// ------------------------------------------------------- remote controls

// A rectangle of the screen as it shows now.
Bitmap ScreenArea(const RECT& r) {
  win::DibCanvas canvas(r.right - r.left, r.bottom - r.top, PixelFormat::Bgr24);
  HDC screen = GetDC(nullptr);
  BitBlt(canvas.Dc(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  Bitmap area = Bitmap::ForOverwrite(r.right - r.left, r.bottom - r.top, PixelFormat::Bgr24);
  canvas.Section().CopyTo(area);
  return area;
}

void EmptyTheClipboard() {
  ASSERT_TRUE(WaitFor([] { return OpenClipboard(nullptr) != FALSE; }));
  EmptyClipboard();
  CloseClipboard();
}

// --------------------------------------------------------------- fixture

// The Save As dialog's file-type list (cmb1) and file-name edit (edt1, or
// the edit inside cmb13 in the dialogs that have that box instead).
constexpr int kFileTypeList = 0x470;
constexpr int kFileNameEdit = 0x480;
constexpr int kFileNameBox = 0x47C;

class EditorOutput : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  void SetUp() override {
    // The parameters dialog of the raster types applies its defaults and
    // closes by itself.
    program_ = std::make_unique<RunningProgram>(ConfigWithApp({{"ShowOption", "0"}}));
    HWND main = program_->MainWindow();
    ASSERT_NE(main, nullptr);
    picture_ = BlockPicture(kWidth, kHeight);
    opened_ = program_->Folder() / "blocks.bmp";
    WriteBmpFile(picture_, opened_);
    out_ = program_->Folder() / "out";
    scratch_ = program_->Folder() / "scratch";
    fs::create_directories(out_);
    fs::create_directories(scratch_);

    ASSERT_NE(editor_ = OpenInEditor(*program_, opened_), nullptr);
    ASSERT_TRUE(WaitFor([&] { return Panel(0) == L"W, H = 64X48"; })) << Panel(0);
  }

  std::wstring Panel(int panel) {
    return PanelText(program_->ProcessId(), FindChild(editor_, STATUSCLASSNAMEW), panel);
  }

  // A visible top-level window of the program of this class (and caption,
  // when given).
  HWND ProgramWindow(const wchar_t* className, const wchar_t* caption = nullptr) const {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, caption)) != nullptr;) {
      DWORD process = 0;
      GetWindowThreadProcessId(w, &process);
      if (process == program_->ProcessId() && IsWindowVisible(w)) return w;
    }
    return nullptr;
  }

  HWND WaitForWindow(const wchar_t* className, const wchar_t* caption = nullptr) const {
    HWND found = nullptr;
    WaitFor([&] { return (found = ProgramWindow(className, caption)) != nullptr; }, 10000);
    return found;
  }

  // Where keys go: the foreground window, and the editor thread's active
  // and focus windows.
  std::string KeyboardState() const {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(editor_, nullptr), &gui);
    auto name = [this](HWND w) {
      if (!w) return std::string("none");
      if (w == editor_) return std::string("the editor");
      wchar_t text[64] = {};
      GetClassNameW(w, text, 64);
      return fs::path(text).string() + " \"" + fs::path(TextOf(w)).string() + "\"";
    };
    return "foreground " + name(GetForegroundWindow()) + ", active " + name(gui.hwndActive) + ", focus " +
           name(gui.hwndFocus);
  }

  // Presses keys once the editor is the window they reach: the foreground
  // one, and active in its own thread, whose shortcuts it runs.
  void PressInEditor(const std::vector<WORD>& modifiers, WORD key) {
    ASSERT_TRUE(BringToFront(editor_)) << KeyboardState();
    ASSERT_TRUE(WaitFor([&] {
      GUITHREADINFO gui{};
      gui.cbSize = sizeof gui;
      return GetGUIThreadInfo(GetWindowThreadProcessId(editor_, nullptr), &gui) && gui.hwndActive == editor_;
    })) << KeyboardState();
    SendKeys(modifiers, key);
  }

  // Ctrl+S, then the name typed and the type chosen (1 = BMP ... 10 = ICO)
  // in the Save As dialog, and Enter.
  void SaveAs(const fs::path& typed, int type) {
    ASSERT_NO_FATAL_FAILURE(PressInEditor({VK_CONTROL}, 'S'));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = program_->TopLevel(L"Save As")) != nullptr; }, 20000))
        << "no Save As dialog; " << KeyboardState();
    HWND types = FindChild(dialog, L"ComboBox", kFileTypeList);
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 10);
    // The type first: a change of type may rewrite the name's extension.
    ChooseEntry(types, type - 1);
    HWND name = FindChild(dialog, L"Edit", kFileNameEdit);
    if (!name)
      if (HWND box = FindChild(dialog, L"ComboBox", kFileNameBox)) name = FindChild(box, L"Edit");
    ASSERT_NE(name, nullptr);
    SetText(name, typed.wstring());
    ASSERT_TRUE(BringToFront(dialog));
    SendKeys({}, VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000))
        << "Enter left the Save As dialog open";
  }

  // The Save As just started wrote `target`: the status bar's third panel
  // names it, and no parameters dialog or message box is left.
  ::testing::AssertionResult Saved(const fs::path& target) {
    if (!WaitFor([&] { return Panel(2) == target.wstring(); }, 15000))
      return ::testing::AssertionFailure() << "the status bar shows \"" << fs::path(Panel(2)).string()
                                           << "\", not " << target.string()
                                           << (program_->HasMessageBox() ? " (a message box shows)" : "");
    if (ProgramWindow(L"TFrmImg")) return ::testing::AssertionFailure() << "the parameters dialog stayed";
    if (program_->HasMessageBox()) return ::testing::AssertionFailure() << "a message box shows";
    if (!fs::exists(target)) return ::testing::AssertionFailure() << "no file " << target.string();
    return ::testing::AssertionSuccess();
  }

  // Waits until the program has handled everything sent to the editor so
  // far.
  void Settle() {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(editor_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
  }

  // The replace question, once it shows.
  HWND ReplaceQuestion() { return WaitForWindow(L"#32770", L"Brisko Capture"); }

  // A tool-bar button's rectangle on the screen, found by its text.
  RECT ToolButton(const std::wstring& caption) {
    HWND tools = FindChild(editor_, TOOLBARCLASSNAMEW);
    const auto button = FindToolButton(program_->ProcessId(), tools, caption);
    return button ? RemoteRect(program_->ProcessId(), tools, TB_GETITEMRECT, static_cast<WPARAM>(button->index))
                  : RECT{};
  }

  // Every file under the output folder, by its name there.
  std::set<std::wstring> WrittenFiles() const {
    std::set<std::wstring> names;
    for (const auto& entry : fs::recursive_directory_iterator(out_))
      if (entry.is_regular_file()) names.insert(fs::relative(entry.path(), out_).wstring());
    return names;
  }

  std::unique_ptr<RunningProgram> program_;
  HWND editor_ = nullptr;
  Bitmap picture_;
  fs::path opened_, out_, scratch_;
};

enum class Check { Exact, Near, Wmf, Emf, Icon };

struct SaveCase {
  const wchar_t* typed;  // in the output folder
  int type;              // the file-type list's entry, from 1
  const wchar_t* written;
  Check check;
  const char* format;  // as Pillow names it
};

TEST_F(EditorOutput, SaveAsWritesEveryTypeAsksBeforeReplacingAndFinishWritesAgain) {
  const std::wstring opened = Panel(2);
  EXPECT_EQ(opened, opened_.wstring()) << "the opened file names the picture";

  // A name that ends in the chosen type's extension, in any case, is kept
  // as typed.
  ASSERT_NO_FATAL_FAILURE(SaveAs(out_ / L"Mixed.Png", 4));
  ASSERT_TRUE(Saved(out_ / L"Mixed.Png"));
  EXPECT_EQ(WrittenFiles(), (std::set<std::wstring>{L"Mixed.Png"})) << "no extension added, nothing left over";

  // Onto a file that is there: No keeps it, byte for byte, and the status
  // bar keeps the name before.
  const fs::path taken = out_ / L"taken.PNG";
  std::ofstream(taken, std::ios::binary) << "not a picture";
  const Bytes junk = FileBytes(taken);
  ASSERT_NO_FATAL_FAILURE(SaveAs(out_ / L"taken", 4));
  HWND question = ReplaceQuestion();
  ASSERT_NE(question, nullptr) << "no replace question";
  const std::wstring asked = TextOf(FindChild(question, L"Static", 0xFFFF));
  EXPECT_EQ(asked, taken.wstring() + L" already exists.\r\nDo you want to replace it?");
  HWND no = FindWindowExW(question, nullptr, L"Button", L"&No");
  ASSERT_NE(no, nullptr);
  ClickWindow(no);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(question); }, 10000));
  Settle();
  EXPECT_EQ(FileBytes(taken), junk);
  EXPECT_EQ(Panel(2), (out_ / L"Mixed.Png").wstring());
  EXPECT_FALSE(ProgramWindow(L"TFrmImg"));
  EXPECT_EQ(WrittenFiles(), (std::set<std::wstring>{L"Mixed.Png", L"taken.PNG"}));
  // Yes replaces it.
  ASSERT_NO_FATAL_FAILURE(SaveAs(out_ / L"taken", 4));
  question = ReplaceQuestion();
  ASSERT_NE(question, nullptr) << "no replace question";
  HWND yes = FindWindowExW(question, nullptr, L"Button", L"&Yes");
  ASSERT_NE(yes, nullptr);
  ClickWindow(yes);
  ASSERT_TRUE(Saved(taken));
  {
    const Decoded replaced = ReadWithPillow(taken, scratch_);
    ASSERT_EQ(replaced.error, "");
    EXPECT_EQ(replaced.format, "PNG");
    EXPECT_TRUE(SamePixels(replaced.pixels, picture_));
  }

  // Every type. The type chosen decides the format; the extension is added
  // unless the name already ends in it: a folder named like a type, or
  // another type's extension, is no extension of the name. WMF comes last,
  // for Finish.
  fs::create_directories(out_ / L"png");
  const SaveCase cases[] = {
      {L"shot", 1, L"shot.BMP", Check::Exact, "BMP"},
      {L"shot.jpg", 2, L"shot.jpg", Check::Near, "JPEG"},
      {L"shot", 3, L"shot.PCX", Check::Exact, "PCX"},
      {L"png\\b", 4, L"png\\b.PNG", Check::Exact, "PNG"},
      {L"shot.png", 5, L"shot.png.TIF", Check::Exact, "TIFF"},
      {L"shot", 6, L"shot.GIF", Check::Exact, "GIF"},
      {L"shot", 7, L"shot.TGA", Check::Exact, "TGA"},
      {L"shot.Emf", 9, L"shot.Emf", Check::Emf, nullptr},
      {L"shot", 10, L"shot.ICO", Check::Icon, "ICO"},
      {L"shot", 8, L"shot.WMF", Check::Wmf, nullptr},
  };
  std::set<std::wstring> expected{L"Mixed.Png", L"taken.PNG"};
  for (const SaveCase& step : cases) {
    SCOPED_TRACE(fs::path(step.written).string());
    const fs::path target = out_ / step.written;
    ASSERT_NO_FATAL_FAILURE(SaveAs(out_ / step.typed, step.type));
    ASSERT_TRUE(Saved(target));
    expected.insert(step.written);
    const Bytes bytes = FileBytes(target);
    switch (step.check) {
      case Check::Exact:
      case Check::Near:
      case Check::Icon: {
        const Decoded decoded = ReadWithPillow(target, scratch_);
        ASSERT_EQ(decoded.error, "");
        EXPECT_EQ(decoded.format, step.format);
        if (step.check == Check::Exact) {
          // The dialog's defaults keep every colour: BMP and PCX at 16M,
          // TIFF uncompressed, TGA in 24 bits, and GIF needs no reduction
          // for 192 colours.
          EXPECT_TRUE(SamePixels(decoded.pixels, picture_));
        } else if (step.check == Check::Near) {
          ASSERT_EQ(decoded.pixels.Width(), kWidth);
          ASSERT_EQ(decoded.pixels.Height(), kHeight);
          // Quality 75 stays close; a flipped picture would be far off.
          EXPECT_LT(MeanDifference(decoded.pixels, picture_), 8.0);
          EXPECT_GT(MeanDifference(decoded.pixels, FlippedAcross(picture_)), 30.0);
        } else {
          EXPECT_TRUE(StartsWith(bytes, {0, 0, 1, 0}));
          ASSERT_EQ(decoded.pixels.Width(), GetSystemMetrics(SM_CXICON));
          ASSERT_EQ(decoded.pixels.Height(), GetSystemMetrics(SM_CYICON));
          // The picture stretched to the icon's size: two points well
          // inside blocks, one above the other's row, come from the blocks
          // at the same place of the picture.
          if (decoded.pixels.Width() == 32 && decoded.pixels.Height() == 32) {
            EXPECT_EQ(decoded.pixels.PixelAt(8, 9), picture_.PixelAt(17, 14));
            EXPECT_EQ(decoded.pixels.PixelAt(24, 22), picture_.PixelAt(49, 33));
          }
        }
        break;
      }
      case Check::Wmf: EXPECT_TRUE(StartsWith(bytes, {0xD7, 0xCD, 0xC6, 0x9A})) << "no placeable metafile"; break;
      case Check::Emf:
        EXPECT_TRUE(StartsWith(bytes, {1, 0, 0, 0})) << "no header record";
        EXPECT_TRUE(StartsWith(bytes, {' ', 'E', 'M', 'F'}, 40)) << "no EMF signature";
        break;
    }
  }
  EXPECT_EQ(WrittenFiles(), expected) << "one file a save, nothing left over";

  // Finish, with the picture saved as WMF: the same file again, without a
  // question, and the editor closes.
  const fs::path wmf = out_ / L"shot.WMF";
  fs::remove(wmf);
  const RECT finish = ToolButton(L"Finish  (File)");
  ASSERT_GT(finish.right, finish.left) << "no Finish button";
  ClickAt(CentreOf(finish));
  ASSERT_TRUE(WaitFor([&] { return !IsVisible(editor_); }, 15000)) << "the editor stayed open";
  ASSERT_TRUE(fs::exists(wmf));
  EXPECT_TRUE(StartsWith(FileBytes(wmf), {0xD7, 0xCD, 0xC6, 0x9A})) << "no placeable metafile";
  EXPECT_EQ(WrittenFiles(), expected);
  EXPECT_FALSE(program_->TopLevel(L"Save As"));
  EXPECT_FALSE(program_->HasMessageBox());
  EXPECT_FALSE(program_->WaitForExit(0));
}

TEST_F(EditorOutput, FullScreenClosesByEitherButtonAndTheClipboardGetsThePictureAtFullSize) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  // The picture, centred over the background, covering the screen. A left
  // click closes it; so does "Close" on the right button's menu.
  for (const int button : {1, 3}) {
    SCOPED_TRACE(button == 1 ? "left click" : "right click");
    ASSERT_TRUE(ChooseFromEditorMenu(editor_, {"&View", "Full Screen"}));
    HWND view = WaitForWindow(L"TFrmFullScreen");
    ASSERT_NE(view, nullptr) << "no full-screen view";
    RECT covered{};
    GetWindowRect(view, &covered);
    EXPECT_EQ(covered.left, 0);
    EXPECT_EQ(covered.top, 0);
    EXPECT_EQ(covered.right, screenWidth);
    EXPECT_EQ(covered.bottom, screenHeight);
    const int left = (screenWidth - kWidth) / 2, top = (screenHeight - kHeight) / 2;
    const RECT middle{left, top, left + kWidth, top + kHeight};
    EXPECT_TRUE(WaitFor([&] { return static_cast<bool>(SamePixels(ScreenArea(middle), picture_)); }))
        << SamePixels(ScreenArea(middle), picture_).message();
    // Away from the picture, on the background.
    const POINT corner{40, 40};
    ClickAt(corner, button);
    if (button == 3) {
      HWND menu = WaitForWindow(L"#32768");
      ASSERT_NE(menu, nullptr) << "no menu";
      EXPECT_TRUE(IsVisible(view)) << "the right button closed the view";
      // "Close" is the menu's only entry.
      ClickWindow(menu);
    }
    ASSERT_TRUE(WaitFor([&] { return !IsVisible(view); })) << "the view stayed";
    EXPECT_TRUE(IsVisible(editor_));
  }

  // Copy to Clipboard at 50 %: the picture as it is now, at its own size,
  // whatever the view's zoom. Another program reads it back.
  ASSERT_NO_FATAL_FAILURE(EmptyTheClipboard());
  ASSERT_TRUE(ChooseFromEditorMenu(editor_, {"&Edit", "Flip", "Horizontal"}));
  ASSERT_TRUE(WaitFor([&] { return fs::exists(program_->Temp() / "Temp" / "Brisko.bmp1"); }, 10000))
      << "the flip wrote no snapshot";
  for (int step = 0; step < 5; ++step) ASSERT_NO_FATAL_FAILURE(PressInEditor({VK_CONTROL}, 'U'));
  ASSERT_TRUE(WaitFor([&] { return Panel(1) == L"50%"; })) << fs::path(Panel(1)).string();
  EXPECT_EQ(Panel(0), L"W, H = 32X24");
  ASSERT_TRUE(ChooseFromEditorMenu(editor_, {"&File", "Copy to Clipboard"}));
  std::optional<Bitmap> copied;
  ASSERT_TRUE(WaitFor([&] {
    try {
      copied = win::ClipboardBitmap(nullptr);
    } catch (const std::exception&) {
      // Still open in the program; the next try reads it.
    }
    return copied.has_value();
  }))
      << "no bitmap on the clipboard";
  EXPECT_TRUE(SamePixels(*copied, FlippedAcross(picture_)));
  EXPECT_EQ(Panel(1), L"50%") << "copying leaves the zoom";
  EXPECT_FALSE(program_->HasMessageBox());
}

}  // namespace
}  // namespace brisko::e2e
