#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "codecs/Gif.h"
#include "codecs/Limits.h"

namespace brisko {

namespace {

constexpr const char* kFormat = "GIF";
// An LZW code of w bits stands for at most 2^w pixels, since a string is at
// most one longer than the table has entries; w is at most 12, so a byte
// holds at most 4096 * 8 / 12 pixels.
constexpr std::uint64_t kPixelsPerByte = 2731;

struct MemoryInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
};

int ReadData(GifFileType* gif, GifByteType* out, int size) {
  auto* input = static_cast<MemoryInput*>(gif->UserData);
  const std::size_t n = std::min(static_cast<std::size_t>(std::max(size, 0)), input->size - input->at);
  std::memcpy(out, input->data + input->at, n);
  input->at += n;
  return static_cast<int>(n);
}

struct GifDeleter {
  void operator()(GifFileType* gif) const noexcept {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifDeleter>;

[[noreturn]] void Fail(int error) {
  const char* why = GifErrorString(error);
  codecs::FailToRead(kFormat, why ? why : "giflib failed");
}

void Check(GifFileType* gif, int result) {
  if (result == GIF_ERROR) Fail(gif->Error);
}

void SkipExtension(GifFileType* gif) {
  int code = 0;
  GifByteType* block = nullptr;
  Check(gif, DGifGetExtension(gif, &code, &block));
  while (block) Check(gif, DGifGetExtensionNext(gif, &block));
}

// Reads records up to the first picture's descriptor.
void FindFirstPicture(GifFileType* gif) {
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    Check(gif, DGifGetRecordType(gif, &type));
    switch (type) {
      case IMAGE_DESC_RECORD_TYPE: Check(gif, DGifGetImageDesc(gif)); return;
      case EXTENSION_RECORD_TYPE: SkipExtension(gif); break;
      case TERMINATE_RECORD_TYPE: codecs::FailToRead(kFormat, "it holds no picture");
      default: codecs::FailToRead(kFormat, "it holds a record of unknown type");
    }
  }
}

// The rows of an interlaced picture arrive in four passes: every eighth row
// from 0, every eighth from 4, every fourth from 2, every second from 1.
std::int32_t RowOfLine(std::int32_t line, std::int32_t height, bool interlaced) {
  if (!interlaced) return line;
  static constexpr std::int32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const std::int32_t lines = start[pass] < height ? (height - start[pass] + step[pass] - 1) / step[pass] : 0;
    if (line < lines) return start[pass] + line * step[pass];
    line -= lines;
  }
  return height - 1;
}

std::vector<Colour> PaletteOf(const ColorMapObject* map) {
  std::vector<Colour> palette;
  for (int i = 0; i < map->ColorCount; ++i)
    palette.push_back(MakeColour(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue));
  return palette;
}

// The screen is at least as large as the picture placed on it.
void DecodeLines(GifFileType* gif, Bitmap& screen, const ProgressFn& progress) {
  const GifImageDesc& frame = gif->Image;
  ProgressReporter reporter(progress, static_cast<std::uint64_t>(frame.Height));
  for (std::int32_t i = 0; i < frame.Height; ++i) {
    const std::int32_t y = frame.Top + RowOfLine(i, frame.Height, frame.Interlace);
    Check(gif, DGifGetLine(gif, screen.Row(y) + frame.Left, frame.Width));
    reporter.Advance(static_cast<std::uint64_t>(i + 1));
  }
  reporter.Finish();
}

}  // namespace

Bitmap ReadGif(std::span<const std::uint8_t> file, const ProgressFn& progress) {
  MemoryInput input{file.data(), file.size(), 0};
  int error = 0;
  const GifHandle gif(DGifOpen(&input, &ReadData, &error));
  if (!gif) Fail(error);
  FindFirstPicture(gif.get());

  const GifImageDesc& frame = gif->Image;
  const std::uint64_t limit = codecs::MaxPixelsFor(file.size(), kPixelsPerByte);
  codecs::CheckDeclaredSize(kFormat, frame.Width, frame.Height, limit);
  // A screen smaller than the picture grows to hold it.
  const std::int32_t width = std::max(gif->SWidth, frame.Left + frame.Width);
  const std::int32_t height = std::max(gif->SHeight, frame.Top + frame.Height);
  codecs::CheckDeclaredSize(kFormat, width, height, limit);

  const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (!map) codecs::FailToRead(kFormat, "it has no colour table");
  Bitmap screen = codecs::AllocateDecoded(kFormat, width, height, PixelFormat::Indexed8);
  screen.SetPalette(PaletteOf(map));
  const auto background = static_cast<std::uint8_t>(gif->SColorMap && !frame.ColorMap ? gif->SBackGroundColor : 0);
  for (std::int32_t y = 0; y < height; ++y) std::memset(screen.Row(y), background, static_cast<std::size_t>(width));
  DecodeLines(gif.get(), screen, progress);
  return screen;
}

}  // namespace brisko
