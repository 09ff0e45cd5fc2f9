// The editor's Save As on a 3840 x 2160 picture, from the command (once a
// name is chosen) to the file on disk, with the save-parameters dialog
// closing by itself, beside what the format's writer alone takes in the
// same run: the ratio is the command's own cost (the temporary bitmap, the
// library call and its dialog). Then Copy to Clipboard beside one copy of
// the picture's bytes. Run it with
//   cmake/wine-run <build>/wine <build>/bench/win/bench_editor_save.exe
#include <windows.h>

#include <benchmark/benchmark.h>
#include <commctrl.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "codecs/Codecs.h"
#include "convlib/LumeralBinding.h"
#include "convlib/SaveOptions.h"
#include "core/Bmp.h"
#include "core/Files.h"
#include "core/Helpers.h"
#include "editor/UnitEditPic.h"
#include "widgets/Application.h"
#include "widgets/Share.h"

namespace {

using namespace brisko;

struct Session {
  Session() : app(GetModuleHandleW(nullptr)) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    // The parameters dialog applies its defaults and closes at once.
    WriteSetting("SaveFile", "ShowOption", "0");
    EnsureFolder(TempFolder() + "Temp");
    const std::string base = TempFolder() + "Temp\\Brisko.bmp";
    picture = Bitmap::ForOverwrite(3840, 2160, PixelFormat::Bgr24);
    std::minstd_rand random(5);
    for (std::int32_t y = 0; y < picture.Height(); ++y)
      for (std::int32_t x = 0; x < 3 * picture.Width(); ++x)
        picture.Row(y)[x] = static_cast<std::uint8_t>(x / 7 + y / 3 + (random() & 15));
    WriteBmpFile(picture, PathFromUtf8(base));
    editor = std::make_unique<TFrmEditPic>(host);
    editor->ShowCapture(base);
    win::Application::Current().ProcessMessages();
    folder = TempFolder() + "save bench\\";
    EnsureFolder(folder);
  }
  win::Application app;
  struct : EditorHost {
    void EditorClosed() override {}
    HWND MainWindowHandle() const override { return nullptr; }
  } host;
  Bitmap picture;
  std::unique_ptr<TFrmEditPic> editor;
  std::string folder;
};

Session& Editor() {
  static Session session;
  return session;
}

struct SaveType {
  const char* extension;
  ImageFormat format;  // the writer of the raster types
  bool converter;      // written by a converter export instead
};
constexpr SaveType kTypes[] = {
    {"bmp", ImageFormat::Bmp, false},  {"jpg", ImageFormat::Jpeg, false}, {"pcx", ImageFormat::Pcx, false},
    {"png", ImageFormat::Png, false},  {"tif", ImageFormat::Tiff, false}, {"gif", ImageFormat::Gif, false},
    {"tga", ImageFormat::Tga, false},  {"wmf", ImageFormat::Bmp, true},   {"emf", ImageFormat::Bmp, true},
    {"ico", ImageFormat::Bmp, true},
};

void BM_SaveAs(benchmark::State& state) {
  Session& s = Editor();
  const SaveType& type = kTypes[state.range(0)];
  const std::string target = s.folder + "command." + type.extension;
  for (auto _ : state)
    if (!s.editor->SaveTo(target)) state.SkipWithError("nothing written");
  state.SetLabel(type.extension);
}

// The same file from the writer alone: the raster types' codec with the
// dialog's default parameters; for the converter types the export itself,
// from a temporary bitmap already on disk.
void BM_WriterAlone(benchmark::State& state) {
  Session& s = Editor();
  const SaveType& type = kTypes[state.range(0)];
  const std::string target = s.folder + "alone." + type.extension;
  const std::string source = TempFolder() + "temp.bmp";
  WriteBmpFile(s.picture, PathFromUtf8(source));
  for (auto _ : state) {
    if (!type.converter) {
      WriteImageFile(s.picture, ParametersFor(type.format, PageChoices{}), PathFromUtf8(target));
    } else if (std::string(type.extension) == "wmf") {
      ConvertToWmf(source, target);
    } else if (std::string(type.extension) == "emf") {
      ConvertToEmf(source, target);
    } else {
      ConvertToIcon(source, target);
    }
  }
  state.SetLabel(type.extension);
}

void EveryType(benchmark::internal::Benchmark* b) {
  for (int i = 0; i < static_cast<int>(std::size(kTypes)); ++i) b->Arg(i);
  b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
}
BENCHMARK(BM_WriterAlone)->Apply(EveryType);
BENCHMARK(BM_SaveAs)->Apply(EveryType);

void BM_CopyToClipboard(benchmark::State& state) {
  Session& s = Editor();
  for (auto _ : state) s.editor->RunCommand(EditorCommand::CopyToClipboard);
}
BENCHMARK(BM_CopyToClipboard)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor the system sets: handing the clipboard a ready block of the
// picture's size, with no work of ours before it. Under Wine the block
// travels to the wine server, which is most of what Copy to Clipboard costs
// there.
void BM_BareClipboardHandOver(benchmark::State& state) {
  Session& s = Editor();
  const std::size_t bytes = s.picture.ByteSize() + sizeof(BITMAPINFOHEADER);
  for (auto _ : state) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    *header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), s.picture.Width(), s.picture.Height(), 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::memcpy(header + 1, s.picture.Data(), s.picture.ByteSize());
    GlobalUnlock(block);
    if (!OpenClipboard(s.editor->Handle())) {
      GlobalFree(block);
      state.SkipWithError("the clipboard is busy");
      break;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_DIB, block)) GlobalFree(block);
    CloseClipboard();
  }
}
BENCHMARK(BM_BareClipboardHandOver)->Unit(benchmark::kMillisecond)->UseRealTime();

// One copy of the picture's bytes into fresh memory, as the clipboard needs.
void BM_OneCopyOfTheBytes(benchmark::State& state) {
  Session& s = Editor();
  for (auto _ : state) {
    std::vector<std::uint8_t> copy(s.picture.ByteSize());
    std::memcpy(copy.data(), s.picture.Data(), copy.size());
    benchmark::DoNotOptimize(copy.data());
  }
}
BENCHMARK(BM_OneCopyOfTheBytes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  Editor();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
