#include <algorithm>
#include <exception>
#include <memory>
#include <vector>

#include "codecs/Jpeg.h"
#include "codecs/JpegCommon.h"
#include "codecs/Limits.h"

namespace brisko {

namespace {

constexpr const char* kFormat = "JPEG";
constexpr int kBandRows = 16;
constexpr std::size_t kBufferSize = 1 << 16;
// What JPEG's frame header can hold.
constexpr std::int32_t kMaxSide = 65500;

// libjpeg's destination, emptied into a ByteSink. A failing sink must not
// throw through libjpeg: Deliver keeps the exception and the callback raises
// a libjpeg error, which the writer turns back into the kept exception.
struct SinkDestination {
  jpeg_destination_mgr manager;  // first member: libjpeg's pointer is ours
  ByteSink* sink;
  std::exception_ptr failure;
  JOCTET buffer[kBufferSize];
};

bool Deliver(SinkDestination& destination, std::size_t size) noexcept {
  try {
    destination.sink->Write(destination.buffer, size);
    return true;
  } catch (...) {
    destination.failure = std::current_exception();
    return false;
  }
}

SinkDestination& DestinationOf(j_compress_ptr info) { return *reinterpret_cast<SinkDestination*>(info->dest); }

void InitDestination(j_compress_ptr info) {
  SinkDestination& d = DestinationOf(info);
  d.manager.next_output_byte = d.buffer;
  d.manager.free_in_buffer = kBufferSize;
}

boolean EmptyBuffer(j_compress_ptr info) {
  SinkDestination& d = DestinationOf(info);
  if (!Deliver(d, kBufferSize)) ERREXIT(info, JERR_FILE_WRITE);
  InitDestination(info);
  return TRUE;
}

void TermDestination(j_compress_ptr info) {
  SinkDestination& d = DestinationOf(info);
  if (!Deliver(d, kBufferSize - d.manager.free_in_buffer)) ERREXIT(info, JERR_FILE_WRITE);
}

class Compressor {
 public:
  explicit Compressor(ByteSink& sink) : destination_(std::make_unique<SinkDestination>()) {
    info_.err = codecs::InstallTrap(trap_);
    Run(&Create, &info_);
    destination_->manager.init_destination = &InitDestination;
    destination_->manager.empty_output_buffer = &EmptyBuffer;
    destination_->manager.term_destination = &TermDestination;
    destination_->sink = &sink;
    info_.dest = &destination_->manager;
  }
  ~Compressor() { jpeg_destroy_compress(&info_); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  jpeg_compress_struct& Info() { return info_; }

  void Run(codecs::JpegStep step, void* context) {
    if (codecs::JpegProtect(trap_, step, context)) return;
    if (destination_ && destination_->failure) std::rethrow_exception(destination_->failure);
    codecs::FailToWrite(kFormat, trap_.message);
  }

 private:
  static void Create(void* info) { jpeg_create_compress(static_cast<jpeg_compress_struct*>(info)); }

  codecs::JpegErrorTrap trap_{};
  jpeg_compress_struct info_{};
  std::unique_ptr<SinkDestination> destination_;
};

struct SetupStep {
  jpeg_compress_struct* info;
  int quality;
  int smoothing;
};

void Setup(void* context) {
  auto& step = *static_cast<SetupStep*>(context);
  jpeg_compress_struct& info = *step.info;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, step.quality, TRUE);
  info.smoothing_factor = step.smoothing;
  // 96 dots per inch, what the screen reports, so a capture prints at its
  // on-screen size.
  info.density_unit = 1;
  info.X_density = 96;
  info.Y_density = 96;
  jpeg_start_compress(&info, TRUE);
}

struct RowsStep {
  jpeg_compress_struct* info;
  JSAMPROW* rows;
  JDIMENSION count;
};

void WriteRows(void* context) {
  auto& step = *static_cast<RowsStep*>(context);
  JDIMENSION written = 0;
  while (written < step.count) {
    const JDIMENSION n = jpeg_write_scanlines(step.info, step.rows + written, step.count - written);
    if (n == 0) break;
    written += n;
  }
}

void Finish(void* info) { jpeg_finish_compress(static_cast<jpeg_compress_struct*>(info)); }

void CompressRows(Compressor& encoder, const Bitmap& picture, const ProgressFn& progress) {
  const std::int32_t width = picture.Width(), height = picture.Height();
  // Other layouts pass through a band of 24-bit rows; 24-bit rows go as they are.
  const bool direct = picture.Format() == PixelFormat::Bgr24;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> band(direct ? 0 : rowBytes * kBandRows);
  std::vector<JSAMPROW> rows(kBandRows);
  ProgressReporter reporter(progress, static_cast<std::uint64_t>(height));
  for (std::int32_t top = 0; top < height; top += kBandRows) {
    const std::int32_t count = std::min(kBandRows, height - top);
    for (std::int32_t i = 0; i < count; ++i) {
      if (direct) {
        // libjpeg only reads the rows it is given.
        rows[i] = const_cast<JSAMPROW>(picture.Row(top + i));
      } else {
        rows[i] = band.data() + rowBytes * static_cast<std::size_t>(i);
        RowToBgr24(picture.Row(top + i), picture.Format(), picture.Palette(), width, rows[i]);
      }
    }
    RowsStep step{&encoder.Info(), rows.data(), static_cast<JDIMENSION>(count)};
    encoder.Run(&WriteRows, &step);
    reporter.Advance(static_cast<std::uint64_t>(top + count));
  }
  encoder.Run(&Finish, &encoder.Info());
  reporter.Finish();
}

}  // namespace

void WriteJpeg(const Bitmap& picture, int quality, int smoothing, ByteSink& sink, const ProgressFn& progress) {
  if (picture.IsEmpty()) codecs::FailToWrite(kFormat, "it has no pixels");
  if (picture.Width() > kMaxSide || picture.Height() > kMaxSide)
    codecs::FailToWrite(kFormat, "it is larger than 65500 pixels on a side");
  Compressor encoder(sink);
  jpeg_compress_struct& info = encoder.Info();
  info.image_width = static_cast<JDIMENSION>(picture.Width());
  info.image_height = static_cast<JDIMENSION>(picture.Height());
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  SetupStep setup{&info, std::clamp(quality, 1, 100), std::clamp(smoothing, 0, 100)};
  encoder.Run(&Setup, &setup);
  CompressRows(encoder, picture, progress);
}

}  // namespace brisko
