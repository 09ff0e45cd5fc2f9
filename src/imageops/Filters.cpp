#include "imageops/Filters.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "imageops/Rows.h"

namespace brisko {

using imageops::ReplacePicture;

namespace {

// --- 3 x 3 filters -------------------------------------------------------------
//
// A row filter gets the rows above, at and below the output row and writes
// the inner bytes [3, bytes - 3) of `out`; the border pixels are copied
// around it. Same-channel neighbours sit three bytes apart, so all loops run
// over plain bytes and vectorise without shuffles.

struct Rows3 {
  const std::uint8_t* above;
  const std::uint8_t* own;
  const std::uint8_t* below;
};

template <class Divide>
void ConvolveRow(const Rows3& r, const Kernel3x3& k, std::size_t bytes, std::uint8_t* BRISKO_RESTRICT out,
                 Divide divide) {
  const std::uint8_t* rows[3] = {r.above, r.own, r.below};
  for (std::size_t i = 3; i + 3 < bytes; ++i) {
    int sum = 0;
    for (int y = 0; y < 3; ++y)
      sum += k[3 * y] * rows[y][i - 3] + k[3 * y + 1] * rows[y][i] + k[3 * y + 2] * rows[y][i + 3];
    out[i] = imageops::ClampToByte(divide(sum));
  }
}

BRISKO_VECTOR_CLONES void ConvolveRowUndivided(const Rows3& r, const Kernel3x3& k, std::size_t bytes,
                                               std::uint8_t* BRISKO_RESTRICT out) {
  ConvolveRow(r, k, bytes, out, [](int s) { return s; });
}

void ConvolveRowDivided(const Rows3& r, const Kernel3x3& k, std::size_t bytes, std::uint8_t* BRISKO_RESTRICT out,
                        int divisor) {
  ConvolveRow(r, k, bytes, out, [divisor](int s) { return s / divisor; });
}

// Sum of the three rows, the vertical half of the separable filters.
BRISKO_VECTOR_CLONES void AddColumns(const Rows3& r, std::size_t bytes, int centreWeight,
                                     std::uint16_t* BRISKO_RESTRICT sum) {
  for (std::size_t i = 0; i < bytes; ++i)
    sum[i] = static_cast<std::uint16_t>(r.above[i] + centreWeight * r.own[i] + r.below[i]);
}

BRISKO_VECTOR_CLONES void BlurRow(const std::uint16_t* BRISKO_RESTRICT v, std::size_t bytes,
                                  std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t i = 3; i + 3 < bytes; ++i) out[i] = static_cast<std::uint8_t>((v[i - 3] + 2 * v[i] + v[i + 3]) >> 4);
}

BRISKO_VECTOR_CLONES void ColumnDifferenceRow(const std::uint16_t* BRISKO_RESTRICT v, std::size_t bytes,
                                              std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t i = 3; i + 3 < bytes; ++i) out[i] = imageops::ClampToByte(v[i + 3] - v[i - 3]);
}

BRISKO_VECTOR_CLONES void RowDifferenceRow(const Rows3& r, std::size_t bytes, std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t i = 3; i + 3 < bytes; ++i)
    out[i] = imageops::ClampToByte((r.below[i - 3] + r.below[i] + r.below[i + 3]) -
                                   (r.above[i - 3] + r.above[i] + r.above[i + 3]));
}

BRISKO_VECTOR_CLONES void SharpenRow(const Rows3& r, std::size_t bytes, std::uint8_t* BRISKO_RESTRICT out) {
  for (std::size_t i = 3; i + 3 < bytes; ++i)
    out[i] = imageops::ClampToByte(5 * r.own[i] - r.own[i - 3] - r.own[i + 3] - r.above[i] - r.below[i]);
}

// Runs `filterRow(rows, bytes, out)` for the inner rows of a 24-bit copy of
// the source and copies the border around it.
template <class RowFilter>
void Filter3x3(const Bitmap& source, Bitmap& target, RowFilter filterRow) {
  if (&source == &target) {
    const Bitmap copy = source;
    Filter3x3(copy, target, filterRow);
    return;
  }
  Bitmap scratch;
  const Bitmap& picture = imageops::AsBgr24(source, scratch);
  const std::int32_t w = picture.Width(), h = picture.Height();
  imageops::PrepareBgr24(target, w, h);
  const std::size_t bytes = 3 * static_cast<std::size_t>(w);
  const bool filtered = w >= 3 && h >= 3;
  for (std::int32_t y = 0; y < h; ++y) {
    std::uint8_t* out = target.Row(y);
    const std::uint8_t* own = picture.Row(y);
    if (!filtered || y == 0 || y == h - 1) {
      std::memcpy(out, own, bytes);
    } else {
      filterRow(Rows3{picture.Row(y - 1), own, picture.Row(y + 1)}, bytes, out);
      imageops::CopyPixel(out, own);
      imageops::CopyPixel(out + bytes - 3, own + bytes - 3);
    }
    imageops::ZeroRowPadding(target, y);
  }
}

constexpr Kernel3x3 kColumnDifference = {-1, 0, 1, -1, 0, 1, -1, 0, 1};

// --- Twist -------------------------------------------------------------------

// (-n) mod size counted back from the last index, as the distortions wrap.
inline std::int64_t WrapIndex(std::int64_t i, std::int64_t size) {
  if (i < 0) return (size - 1) - ((-i) % size);
  if (i > size - 1) return i % size;
  return i;
}

constexpr float kHalfPi = 1.5707964f;
constexpr float kPiSingle = 3.14159265f;

void TwistRow(const Bitmap& picture, float amount, std::int32_t ty, std::uint8_t* out) {
  const std::int32_t w = picture.Width(), h = picture.Height();
  const float cx = static_cast<float>(w - 1) / 2, cy = static_cast<float>(h - 1) / 2;
  const float dy = static_cast<float>(ty) - cy;
  for (std::int32_t tx = 0; tx < w; ++tx) {
    const float dx = static_cast<float>(tx) - cx;
    const float r = std::sqrt(dx * dx + dy * dy);
    float offsetX = 0, offsetY = 0;
    if (r != 0) {
      float angle;
      if (dx == 0)
        angle = dy > 0 ? kHalfPi : -kHalfPi;
      else if (dx > 0)
        angle = std::atan(dy / dx);
      else
        angle = std::atan(dy / dx) + kPiSingle;
      const float theta = angle - r / amount + kHalfPi;
      offsetX = r * std::cos(theta);
      offsetY = r * std::sin(theta);
    }
    const float fx = cx + offsetX, fy = cy + offsetY;
    const auto ix = static_cast<std::int64_t>(std::trunc(fx)), iy = static_cast<std::int64_t>(std::trunc(fy));
    float wx[2], wy[2];
    if (fx >= 0) {
      wx[1] = fx - static_cast<float>(ix);
      wx[0] = 1 - wx[1];
    } else {
      wx[0] = static_cast<float>(ix) - fx;
      wx[1] = 1 - wx[0];
    }
    if (fy >= 0) {
      wy[1] = fy - static_cast<float>(iy);
      wy[0] = 1 - wy[1];
    } else {
      wy[0] = static_cast<float>(iy) - fy;
      wy[1] = 1 - wy[0];
    }
    const std::int64_t x = WrapIndex(ix, w), y = WrapIndex(iy, h);
    float sum[3] = {0, 0, 0};
    for (int oy = 0; oy < 2; ++oy) {
      const std::int64_t row = y + oy < h ? y + oy : h - y - oy;
      const std::uint8_t* in = picture.Row(static_cast<std::int32_t>(row));
      for (int ox = 0; ox < 2; ++ox) {
        const std::int64_t column = x + ox < w ? x + ox : w - x - ox;
        const float weight = wx[ox] * wy[oy];
        for (int c = 0; c < 3; ++c) sum[c] += static_cast<float>(in[3 * column + c]) * weight;
      }
    }
    for (int c = 0; c < 3; ++c) {
      const double v = imageops::RoundHalfEven(sum[c]);
      out[3 * tx + c] = static_cast<std::uint8_t>(v >= 255 ? 255 : (v > 0 ? v : 0));
    }
  }
}

// --- WaveWarp ----------------------------------------------------------------

// A shift amplitude * sin(index / period), in extended precision, to be
// added to whole positions and rounded.
struct WaveShift {
  long double value = 0;
  std::int64_t rounded = 0;
  bool nearHalf = false;
};

WaveShift WaveShiftAt(long double amplitude, long double period, std::int32_t index) {
  WaveShift s;
  s.value = amplitude * std::sin(static_cast<long double>(index) / period);
  s.rounded = static_cast<std::int64_t>(imageops::RoundHalfEvenExtended(s.value));
  s.nearHalf = std::fabs(s.value - std::floor(s.value) - 0.5L) <= 1e-9L;
  return s;
}

// round(shift + position). Adding a position below 2^21 to the shift rounds
// in the 64-bit mantissa by less than 2^-42, so unless the shift lies that
// close to a half-way point the sum rounds as position + round(shift); near
// one, the sum itself is rounded, a tie to the even side.
inline std::int64_t Shifted(const WaveShift& s, std::int32_t position) {
  if (!s.nearHalf) return position + s.rounded;
  return static_cast<std::int64_t>(imageops::RoundHalfEvenExtended(s.value + static_cast<long double>(position)));
}

}  // namespace

void Convolve3x3(const Bitmap& source, Bitmap& target, const Kernel3x3& kernel, std::uint16_t divisor) {
  const int d = divisor == 0 ? 1 : divisor;
  if (d == 1)
    Filter3x3(source, target, [&](const Rows3& r, std::size_t n, std::uint8_t* out) {
      ConvolveRowUndivided(r, kernel, n, out);
    });
  else
    Filter3x3(source, target, [&](const Rows3& r, std::size_t n, std::uint8_t* out) {
      ConvolveRowDivided(r, kernel, n, out, d);
    });
}

void Convolve3x3(Bitmap& bitmap, const Kernel3x3& kernel, std::uint16_t divisor) {
  Convolve3x3(bitmap, bitmap, kernel, divisor);
}

void EdgeDetect(const Bitmap& source, Bitmap& target, int kind) {
  if (kind == 1 || kind == 2) {
    std::vector<std::uint16_t> sum;
    Filter3x3(source, target, [&](const Rows3& r, std::size_t n, std::uint8_t* out) {
      sum.resize(n);
      AddColumns(r, n, 1, sum.data());
      ColumnDifferenceRow(sum.data(), n, out);
    });
  } else {
    Filter3x3(source, target, RowDifferenceRow);
  }
}

void EdgeDetect(ImageView& view, int kind) {
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { EdgeDetect(s, t, kind); });
}

void Sharpen(const Bitmap& source, Bitmap& target) { Filter3x3(source, target, SharpenRow); }

void Sharpen(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { Sharpen(s, t); });
}

void GaussianBlur(const Bitmap& source, Bitmap& target) {
  std::vector<std::uint16_t> sum;
  Filter3x3(source, target, [&](const Rows3& r, std::size_t n, std::uint8_t* out) {
    sum.resize(n);
    AddColumns(r, n, 2, sum.data());
    BlurRow(sum.data(), n, out);
  });
}

void GaussianBlur(ImageView& view) {
  ReplacePicture(view, [](const Bitmap& s, Bitmap& t) { GaussianBlur(s, t); });
}

void Twist(const Bitmap& source, Bitmap& target, float amount) {
  if (&source == &target) {
    const Bitmap copy = source;
    Twist(copy, target, amount);
    return;
  }
  if (source.IsEmpty() || amount == 0) {
    target = source;
    return;
  }
  Bitmap scratch;
  const Bitmap& picture = imageops::AsBgr24(source, scratch);
  imageops::PrepareBgr24(target, picture.Width(), picture.Height());
  for (std::int32_t y = 0; y < picture.Height(); ++y) {
    TwistRow(picture, amount, y, target.Row(y));
    imageops::ZeroRowPadding(target, y);
  }
}

void Twist(ImageView& view, float amount) {
  if (view.Picture().IsEmpty() || amount == 0) return;
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { Twist(s, t, amount); });
}

void WaveWarp(const Bitmap& source, Bitmap& target, int xPeriod, int yPeriod, int amplitude) {
  if (&source == &target) {
    const Bitmap copy = source;
    WaveWarp(copy, target, xPeriod, yPeriod, amplitude);
    return;
  }
  if (source.IsEmpty() || xPeriod == 0 || yPeriod == 0) {
    target = source;
    return;
  }
  Bitmap scratch;
  const Bitmap& picture = imageops::AsBgr24(source, scratch);
  const std::int32_t w = picture.Width(), h = picture.Height();
  imageops::PrepareBgr24(target, w, h);
  std::vector<WaveShift> down(static_cast<std::size_t>(w));
  for (std::int32_t x = 0; x < w; ++x) down[static_cast<std::size_t>(x)] = WaveShiftAt(amplitude, xPeriod, x);
  for (std::int32_t y = 0; y < h; ++y) {
    const WaveShift across = WaveShiftAt(amplitude, yPeriod, y);
    std::uint8_t* out = target.Row(y);
    for (std::int32_t x = 0; x < w; ++x) {
      const std::int64_t fromX = WrapIndex(Shifted(across, x), w);
      const std::int64_t fromY = WrapIndex(Shifted(down[static_cast<std::size_t>(x)], y), h);
      imageops::CopyPixel(out + 3 * x, picture.Row(static_cast<std::int32_t>(fromY)) + 3 * fromX);
    }
    imageops::ZeroRowPadding(target, y);
  }
}

void WaveWarp(ImageView& view, int xPeriod, int yPeriod, int amplitude) {
  if (view.Picture().IsEmpty() || xPeriod == 0 || yPeriod == 0) return;
  ReplacePicture(view, [&](const Bitmap& s, Bitmap& t) { WaveWarp(s, t, xPeriod, yPeriod, amplitude); });
}

}  // namespace brisko
