#include "capture/ShapeCut.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "capture/BitmapCut.h"

namespace brisko {

namespace {

// The box cut from the picture, and a copy of it in the background colour
// that receives the shape's spans.
struct CutPair {
  Bitmap cut;
  Bitmap result;
};

CutPair Prepare(const Bitmap& picture, const Rect& box, Colour background) {
  CutPair pair;
  pair.cut.Recreate(0, 0, picture.Format());
  if (IsIndexed(picture.Format())) pair.cut.SetPalette(picture.Palette());
  CopyRectFromBitmap(pair.cut, picture, box);
  pair.result.SetFillColour(background);
  pair.result.Recreate(pair.cut.Width(), pair.cut.Height(), pair.cut.Format());
  if (IsIndexed(pair.cut.Format())) {
    pair.result.SetPalette(pair.cut.Palette());
    pair.result.Fill(background);
  }
  return pair;
}

// Copies the pixels [from, to) of row y from the cut into the result.
void CopySpan(CutPair& pair, std::int32_t y, std::int32_t from, std::int32_t to) {
  from = std::max(from, 0);
  to = std::min(to, pair.cut.Width());
  if (from < to) pair.result.CopyFrom(pair.cut, Rect{from, y, to, y + 1}, from, y);
}

}  // namespace

Bitmap CutEllipse(const Bitmap& picture, const Rect& box, Colour background) {
  CutPair pair = Prepare(picture, box, background);
  const std::int32_t w = pair.cut.Width(), h = pair.cut.Height();
  if (w == 0 || h == 0) return std::move(pair.result);
  // Inside when ((x + 0.5 - w/2) / (w/2))^2 + ((y + 0.5 - h/2) / (h/2))^2 <= 1,
  // in integers: (2x + 1 - w)^2 h^2 + (2y + 1 - h)^2 w^2 <= w^2 h^2.
  const auto w2 = static_cast<long double>(w) * w, h2 = static_cast<long double>(h) * h;
  for (std::int32_t y = 0; y < h; ++y) {
    const long double dy = 2.0L * y + 1 - h;
    const long double room = w2 * h2 - dy * dy * w2;
    if (room < 0) continue;
    // Widest |2x + 1 - w| that fits: sqrt(room) / h.
    const long double reach = std::sqrt(room / h2);
    // 2x + 1 - w >= -reach  =>  x >= (w - 1 - reach) / 2
    const auto first = static_cast<std::int32_t>(std::ceil((w - 1 - reach) / 2.0L));
    const auto last = static_cast<std::int32_t>(std::floor((w - 1 + reach) / 2.0L));
    CopySpan(pair, y, first, last + 1);
  }
  return std::move(pair.result);
}

Rect PathBounds(std::span<const Point> vertices, std::int32_t screenWidth, std::int32_t screenHeight) {
  Rect r{screenWidth, screenHeight, 0, 0};
  for (const Point& v : vertices) {
    r.Left = std::min(r.Left, v.X);
    r.Top = std::min(r.Top, v.Y);
    r.Right = std::max(r.Right, v.X);
    r.Bottom = std::max(r.Bottom, v.Y);
  }
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

Bitmap CutPolygon(const Bitmap& picture, std::span<const Point> vertices, const Rect& box, Colour background) {
  CutPair pair = Prepare(picture, box, background);
  const std::int32_t h = pair.cut.Height();
  const std::size_t n = vertices.size();
  if (n < 3 || pair.cut.IsEmpty()) return std::move(pair.result);
  struct Crossing {
    double x;
    int direction;
  };
  std::vector<Crossing> crossings;
  for (std::int32_t y = 0; y < h; ++y) {
    // Scan along the row's centre line in picture coordinates.
    const double sy = box.Top + y + 0.5;
    crossings.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const Point& a = vertices[i];
      const Point& b = vertices[(i + 1) % n];
      if ((a.Y <= sy) == (b.Y <= sy)) continue;
      const double t = (sy - a.Y) / static_cast<double>(b.Y - a.Y);
      crossings.push_back({a.X + t * (b.X - a.X) - box.Left, b.Y > a.Y ? 1 : -1});
    }
    std::sort(crossings.begin(), crossings.end(), [](const Crossing& p, const Crossing& q) { return p.x < q.x; });
    // Inside wherever the winding number is not zero.
    int winding = 0;
    for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
      winding += crossings[i].direction;
      if (winding == 0) continue;
      // Pixels whose centre x + 0.5 lies between the two crossings.
      const auto first = static_cast<std::int32_t>(std::ceil(crossings[i].x - 0.5));
      const auto end = static_cast<std::int32_t>(std::ceil(crossings[i + 1].x - 0.5));
      CopySpan(pair, y, first, end);
    }
  }
  return std::move(pair.result);
}

}  // namespace brisko
