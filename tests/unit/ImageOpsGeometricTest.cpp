#include "imageops/Geometric.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "ImageOpsPictures.h"
#include "imageops/Resample.h"

namespace brisko {
namespace {

using testpictures::Flat;
using testpictures::Numbered;
using testpictures::Random;
using testpictures::SamePixels;

Bitmap Apply(const std::function<void(const Bitmap&, Bitmap&)>& op, const Bitmap& source) {
  Bitmap out;
  op(source, out);
  return out;
}

// --- flips and quarter turns -------------------------------------------------

TEST(QuarterTurns, MovePixelsWhereTheTurnSays) {
  const Bitmap p = Numbered(5, 3);
  const Bitmap cw = Apply([](auto& s, auto& t) { Rotate90(s, t); }, p);
  ASSERT_EQ(cw.Width(), 3);
  ASSERT_EQ(cw.Height(), 5);
  EXPECT_EQ(cw.PixelAt(2, 0), p.PixelAt(0, 0)) << "top left lands top right";
  EXPECT_EQ(cw.PixelAt(3 - 1 - 2, 4), p.PixelAt(4, 2));
  const Bitmap ccw = Apply([](auto& s, auto& t) { Rotate270(s, t); }, p);
  EXPECT_EQ(ccw.PixelAt(0, 4), p.PixelAt(0, 0)) << "top left lands bottom left";
  EXPECT_EQ(ccw.PixelAt(1, 5 - 1 - 3), p.PixelAt(3, 1));
  const Bitmap half = Apply([](auto& s, auto& t) { Rotate180(s, t); }, p);
  EXPECT_EQ(half.PixelAt(4, 2), p.PixelAt(0, 0));
  EXPECT_EQ(half.PixelAt(1, 0), p.PixelAt(3, 2));
  const Bitmap mirrored = Apply([](auto& s, auto& t) { FlipHorizontal(s, t); }, p);
  EXPECT_EQ(mirrored.PixelAt(0, 1), p.PixelAt(4, 1));
  const Bitmap upsideDown = Apply([](auto& s, auto& t) { FlipVertical(s, t); }, p);
  EXPECT_EQ(upsideDown.PixelAt(3, 0), p.PixelAt(3, 2));
}

TEST(QuarterTurns, EveryPixelLandsWhereTheTurnSaysAcrossTiles) {
  // Larger than the tiles the turns walk in, with partial ones at the ends.
  const Bitmap p = Random(261, 133, 9);
  Bitmap cw, ccw;
  Rotate90(p, cw);
  Rotate270(p, ccw);
  ASSERT_EQ(cw.Width(), 133);
  ASSERT_EQ(ccw.Height(), 261);
  for (std::int32_t y = 0; y < p.Height(); ++y)
    for (std::int32_t x = 0; x < p.Width(); ++x) {
      ASSERT_EQ(cw.PixelAt(p.Height() - 1 - y, x), p.PixelAt(x, y)) << x << "," << y;
      ASSERT_EQ(ccw.PixelAt(y, p.Width() - 1 - x), p.PixelAt(x, y)) << x << "," << y;
    }
}

TEST(QuarterTurns, ComposeToTheIdentityAtAwkwardSizes) {
  for (const auto& size : {std::pair{1, 1}, std::pair{2, 7}, std::pair{131, 67}, std::pair{300, 1}, std::pair{1, 300}}) {
    const Bitmap p = Random(size.first, size.second);
    SCOPED_TRACE(testing::Message() << size.first << " x " << size.second);
    Bitmap a, b;
    Rotate90(p, a);
    Rotate270(a, b);
    EXPECT_TRUE(SamePixels(b, p));
    Rotate180(p, a);
    Rotate180(a, b);
    EXPECT_TRUE(SamePixels(b, p));
    FlipHorizontal(p, a);
    FlipHorizontal(a, b);
    EXPECT_TRUE(SamePixels(b, p));
    FlipVertical(p, a);
    FlipVertical(a, b);
    EXPECT_TRUE(SamePixels(b, p));
    Bitmap turned = p;
    for (int i = 0; i < 4; ++i) Rotate90(turned, turned);
    EXPECT_TRUE(SamePixels(turned, p));
  }
}

TEST(QuarterTurns, Rotate270InPlaceAndOnViewsOfReducedPictures) {
  const Bitmap p = Numbered(4, 6);
  Bitmap inPlace = p;
  Rotate270(inPlace);
  EXPECT_TRUE(SamePixels(inPlace, Apply([](auto& s, auto& t) { Rotate270(s, t); }, p)));
  Bitmap reduced = p;
  reduced.SetFormat(PixelFormat::Indexed4);
  ImageView view;
  view.SetPicture(reduced);
  FlipHorizontal(view);
  EXPECT_EQ(view.Picture().Format(), PixelFormat::Bgr24);
  EXPECT_EQ(view.Picture().PixelAt(0, 5), reduced.PixelAt(3, 5));
  FlipHorizontal(inPlace, inPlace);
  EXPECT_EQ(inPlace.PixelAt(0, 0), Apply([](auto& s, auto& t) { Rotate270(s, t); }, p).PixelAt(5, 0));
}

// --- RotateAngle -------------------------------------------------------------

Bitmap Rotated(const Bitmap& p, long double degrees, Colour background = MakeColour(1, 2, 3)) {
  Bitmap out;
  RotateAngle(p, out, background, degrees);
  return out;
}

TEST(RotateAngle, ZeroDegreesLosesTheOddColumnAndRow) {
  const Bitmap p = Numbered(5, 3);
  const Bitmap r = Rotated(p, 0);
  ASSERT_EQ(r.Width(), 4);
  ASSERT_EQ(r.Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(r.PixelAt(x, y), p.PixelAt(x, y));
  EXPECT_TRUE(SamePixels(Rotated(p, 360), r));
  EXPECT_EQ(Rotated(Numbered(1, 1), 0).Width(), 0);
}

TEST(RotateAngle, QuarterTurnAndDiagonal) {
  const Bitmap p = Numbered(4, 2);
  const Bitmap r = Rotated(p, 90);
  ASSERT_EQ(r.Width(), 2);
  ASSERT_EQ(r.Height(), 4);
  EXPECT_EQ(r.PixelAt(1, 0), p.PixelAt(0, 0)) << "clockwise: top left goes top right";
  EXPECT_EQ(r.PixelAt(0, 3), p.PixelAt(3, 1));
  const Colour background = MakeColour(9, 8, 7);
  const Bitmap big = Random(40, 30);
  const Bitmap d = Rotated(big, 45, background);
  EXPECT_GT(d.Width(), 40);
  EXPECT_GT(d.Height(), 30);
  EXPECT_EQ(d.PixelAt(0, 0), background);
  EXPECT_EQ(d.PixelAt(d.Width() - 1, d.Height() - 1), background);
  EXPECT_EQ(d.FillColour(), background);
}

// The rotation exactly as defined, every step in extended precision.
Bitmap ReferenceRotation(const Bitmap& p, long double degrees, Colour background) {
  const long double pi = 3.141592653589793238462643383279502884L;
  const int w = p.Width(), h = p.Height();
  const long double phi = degrees * pi / 180;
  long double xs[4], ys[4];
  const int corners[4][2] = {{-(w / 2), h / 2}, {w / 2, h / 2}, {-(w / 2), -(h / 2)}, {w / 2, -(h / 2)}};
  for (int k = 0; k < 4; ++k) {
    xs[k] = std::rint(corners[k][0] * std::cos(phi) - corners[k][1] * std::sin(phi));
    ys[k] = std::rint(corners[k][0] * std::sin(phi) + corners[k][1] * std::cos(phi));
  }
  const int W = static_cast<int>(*std::max_element(xs, xs + 4) - *std::min_element(xs, xs + 4));
  const int H = static_cast<int>(*std::max_element(ys, ys + 4) - *std::min_element(ys, ys + 4));
  Bitmap out(W, H);
  out.Fill(background);
  const int cx = W / 2, cy = H / 2, ox = (W - w) / 2, oy = (H - h) / 2;
  const long double theta = -degrees * pi / 180;
  const double sn = static_cast<double>(std::sin(theta)), cs = static_cast<double>(std::cos(theta));
  for (int j = 0; j < H; ++j)
    for (int i = 0; i < W; ++i) {
      const long double a = 2 * (i - cx) + 1, b = 2 * (j - cy) + 1;
      const long double X = (a * cs - b * sn - 1) / 2 + cx - ox, Y = (a * sn + b * cs - 1) / 2 + cy - oy;
      const long double x0 = std::rint(X), y0 = std::rint(Y);
      if (x0 < 0 || x0 >= w || y0 < 0 || y0 >= h) continue;
      const int ix = static_cast<int>(x0), iy = static_cast<int>(y0);
      const int x1 = std::min(ix + 1, w - 1), y1 = std::min(iy + 1, h - 1);
      const long double fx = X - x0, fy = Y - y0;
      std::uint8_t bgr[3];
      for (int c = 0; c < 3; ++c) {
        const long double c00 = p.Row(iy)[3 * ix + c], c10 = p.Row(iy)[3 * x1 + c];
        const long double c01 = p.Row(y1)[3 * ix + c], c11 = p.Row(y1)[3 * x1 + c];
        const long double top = c00 + fx * (c10 - c00), bottom = c01 + fx * (c11 - c01);
        bgr[c] = static_cast<std::uint8_t>(std::clamp(std::rint(top + fy * (bottom - top)), 0.0L, 255.0L));
      }
      out.SetPixelAt(i, j, MakeColour(bgr[2], bgr[1], bgr[0]));
    }
  return out;
}

TEST(RotateAngle, FastPathGivesTheExtendedPrecisionResult) {
  const Bitmap p = Random(61, 37, 5);
  // Quarter and half turns and 45 degrees put many positions and values on
  // or next to half-way points, where only the exact arithmetic decides.
  for (long double angle : {0.0L, 12.25L, 30.0L, 37.5L, 45.0L, 90.0L, 135.0L, 180.0L, -60.0L, 270.0L, 0.001L, 1e4L}) {
    SCOPED_TRACE(static_cast<double>(angle));
    EXPECT_TRUE(SamePixels(Rotated(p, angle, MakeColour(4, 5, 6)), ReferenceRotation(p, angle, MakeColour(4, 5, 6))));
  }
  Bitmap steps(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) steps.SetPixelAt(x, y, MakeColour(static_cast<std::uint8_t>(x * 13 % 2 ? 255 : 0), 1, 2));
  EXPECT_TRUE(SamePixels(Rotated(steps, 45), ReferenceRotation(steps, 45, MakeColour(1, 2, 3))));
}

TEST(RotateAngle, ViewFormReadsTheAngleText) {
  EXPECT_EQ(ParseAngle(" 12,5 ", ','), 12.5L);
  EXPECT_EQ(ParseAngle("-30"), -30.0L);
  EXPECT_THROW(ParseAngle(""), std::invalid_argument);
  EXPECT_THROW(ParseAngle("1x"), std::invalid_argument);
  EXPECT_THROW(ParseAngle("nan"), std::invalid_argument);
  ImageView source, target;
  source.SetPicture(Numbered(6, 4));
  RotateAngle(source, target, kWhite, "0");
  EXPECT_EQ(target.Width(), 6);
  EXPECT_EQ(source.Width(), 6) << "the source view keeps its picture";
}

// --- ResizeCanvas, ZoomStretch, ScaleImage -----------------------------------

TEST(ResizeCanvas, PlacesThePictureByTheAnchor) {
  const Bitmap p = Flat(10, 10, kBlack);
  Bitmap out;
  ResizeCanvas(p, out, 13, 13, 5);
  EXPECT_EQ(out.PixelAt(0, 5), kWhite);
  EXPECT_EQ(out.PixelAt(1, 1), kBlack);
  EXPECT_EQ(out.PixelAt(10, 10), kBlack);
  EXPECT_EQ(out.PixelAt(11, 11), kWhite);
  const Bitmap n = Numbered(13, 13);
  ResizeCanvas(n, out, 10, 10, 5);
  EXPECT_EQ(out.PixelAt(0, 0), n.PixelAt(1, 1));
  EXPECT_EQ(out.PixelAt(9, 9), n.PixelAt(10, 10));
  ResizeCanvas(n, out, 10, 10, 9);
  EXPECT_EQ(out.PixelAt(0, 0), n.PixelAt(3, 3));
  for (int placement : {0, 1, 10, -4}) {
    ResizeCanvas(n, out, 20, 3, placement);
    EXPECT_EQ(out.PixelAt(12, 2), n.PixelAt(12, 2));
    EXPECT_EQ(out.PixelAt(13, 0), kWhite);
  }
}

TEST(ZoomAndScale, SizesAndSmoothness) {
  const Bitmap p = Random(101, 51);
  Bitmap out;
  ZoomStretch(p, out, 0.5L);
  EXPECT_EQ(out.Width(), 50);
  EXPECT_EQ(out.Height(), 25);
  ImageView view;
  ZoomStretch(view, p, 3);
  EXPECT_EQ(view.Width(), 303);
  EXPECT_EQ(view.Picture().PixelAt(302, 152), p.PixelAt(100, 50));
  // "Smoothness": the smooth stretch at the picture's own size.
  view.SetPicture(p);
  ScaleImage(view, 101, 51, true);
  EXPECT_TRUE(SamePixels(view.Picture(), p));
  ScaleImage(view, 50, 25, false);
  EXPECT_EQ(view.Picture().PixelAt(0, 0), p.PixelAt(0, 0) & p.PixelAt(1, 0) & p.PixelAt(0, 1) & p.PixelAt(1, 1) &
                                              p.PixelAt(2, 0) & p.PixelAt(2, 1) & p.PixelAt(0, 2) & p.PixelAt(1, 2) &
                                              p.PixelAt(2, 2));
}

// --- PerspectiveShear ---------------------------------------------------------

TEST(PerspectiveShear, RowsSqueezeIntoWideningCentredSpans) {
  const Bitmap p = Flat(100, 10, kBlack);
  Bitmap out;
  PerspectiveShear(p, out);
  auto spanOf = [&](int y) {
    int first = -1, count = 0;
    for (int x = 0; x < 100; ++x)
      if (out.PixelAt(x, y) == kBlack) {
        if (first < 0) first = x;
        ++count;
      } else {
        EXPECT_EQ(out.PixelAt(x, y), kWhite);
      }
    return std::pair{first, count};
  };
  EXPECT_EQ(spanOf(0), (std::pair{25, 50}));
  EXPECT_EQ(spanOf(9), (std::pair{2, 95}));
  // The format stays, and an empty picture stays as it is.
  Bitmap reduced = Random(30, 7);
  reduced.SetFormat(PixelFormat::Indexed8);
  PerspectiveShear(reduced, out);
  EXPECT_EQ(out.Format(), PixelFormat::Indexed8);
  ImageView view;
  PerspectiveShear(view);
  EXPECT_TRUE(view.Picture().IsEmpty());
}

// Each row is the source row stretched smoothly into its span, white on
// both sides, also when the target is reused from a picture that had other
// pixels there.
TEST(PerspectiveShear, EveryRowIsItsRowStretchedIntoItsSpan) {
  for (const auto& size : {std::pair{301, 40}, std::pair{64, 7}, std::pair{7, 5}}) {
    const Bitmap p = Random(size.first, size.second, static_cast<unsigned>(size.first));
    Bitmap out = Random(size.first, size.second, 99);
    PerspectiveShear(p, out);
    const int w = p.Width(), h = p.Height();
    for (int y = 0; y < h; ++y) {
      const double step = static_cast<double>(w - w / 2) / h;
      const int span = static_cast<int>(std::trunc(static_cast<long double>(y) * step + w / 2));
      const int x0 = (w - span) / 2;
      Bitmap row(w, 1), stretched;
      std::copy(p.Row(y), p.Row(y) + 3 * w, row.Row(0));
      Resample(row, stretched, span, 1);
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(out.PixelAt(x, y), x >= x0 && x < x0 + span ? stretched.PixelAt(x - x0, 0) : kWhite)
            << size.first << "x" << size.second << " at " << x << "," << y;
    }
  }
}

// --- every operation at the edges of what a picture can be -------------------

TEST(GeometricEdges, TinyAndLopsidedPicturesNeverFail) {
  for (const auto& size : {std::pair{0, 0}, std::pair{1, 1}, std::pair{2, 9}, std::pair{9, 2}, std::pair{1, 500},
                           std::pair{500, 1}}) {
    SCOPED_TRACE(testing::Message() << size.first << " x " << size.second);
    const Bitmap p = Random(size.first, size.second);
    Bitmap out;
    for (long double angle : {0.0L, 33.0L, 90.0L, -170.0L}) RotateAngle(p, out, kBlack, angle);
    PerspectiveShear(p, out);
    EXPECT_EQ(out.Width(), p.Width());
    ScaleImage(p, out, 3, 4, true);
    ScaleImage(p, out, 3, 4, false);
    EXPECT_EQ(out.Width(), 3);
    ResizeCanvas(p, out, 4, 4, 5);
    ZoomStretch(p, out, 1.7L);
    EXPECT_EQ(out.Width(), static_cast<int>(p.Width() * 1.7L));
  }
}

}  // namespace
}  // namespace brisko
