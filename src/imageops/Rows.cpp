#include "imageops/Rows.h"

namespace brisko::imageops {

void PrepareBgr24(Bitmap& target, std::int32_t width, std::int32_t height) {
  if (target.Width() != width || target.Height() != height || target.Format() != PixelFormat::Bgr24 ||
      target.Data() == nullptr)
    target = Bitmap::ForOverwrite(width, height, PixelFormat::Bgr24);
  target.SetFillColour(kWhite);
}

void ZeroPadding(Bitmap& bitmap) {
  for (std::int32_t y = 0; y < bitmap.Height(); ++y) ZeroRowPadding(bitmap, y);
}

const Bitmap& AsBgr24(const Bitmap& source, Bitmap& scratch) {
  if (source.Format() == PixelFormat::Bgr24) return source;
  scratch = source;
  scratch.SetFormat(PixelFormat::Bgr24);
  return scratch;
}

Bgr24Rows::Bgr24Rows(const Bitmap& source) : source_(source) {
  if (source.Format() != PixelFormat::Bgr24) buffer_.resize(static_cast<std::size_t>(source.Width()) * 3);
}

const std::uint8_t* Bgr24Rows::Row(std::int32_t y) {
  if (buffer_.empty()) return source_.Row(y);
  RowToBgr24(source_.Row(y), source_.Format(), source_.Palette(), source_.Width(), buffer_.data());
  return buffer_.data();
}

}  // namespace brisko::imageops
