// libvips peers for the image-operation comparison: each operation on a
// 3840 x 2160 uchar BGR picture held in memory, output written to memory,
// one thread, median of several runs in milliseconds, one "name ms" line
// per operation.

#include <vips/vips.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Op = std::function<int(VipsImage*, VipsImage**)>;

double MedianMs(VipsImage* in, const Op& op) {
  std::vector<double> times;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  while (times.size() < 3 || (times.size() < 15 && std::chrono::steady_clock::now() < deadline)) {
    const auto start = std::chrono::steady_clock::now();
    VipsImage* out = nullptr;
    if (op(in, &out)) return -1;
    size_t size = 0;
    void* memory = vips_image_write_to_memory(out, &size);
    const auto stop = std::chrono::steady_clock::now();
    g_free(memory);
    g_object_unref(out);
    times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

VipsImage* Matrix(int w, int h, std::vector<double> values, double scale) {
  VipsImage* m = vips_image_new_matrixv(w, h, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0);
  for (int i = 0; i < w * h; ++i) *VIPS_MATRIX(m, i % w, i / w) = values[static_cast<size_t>(i)];
  vips_image_set_double(m, "scale", scale);
  vips_image_set_double(m, "offset", 0);
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (VIPS_INIT(argv[0])) return 1;
  vips_concurrency_set(1);
  vips_cache_set_max(0);
  const int w = 3840, h = 2160;
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      unsigned char* p = &pixels[(static_cast<size_t>(y) * w + x) * 3];
      const unsigned noise = (x * 7 + y * 13) & 15;
      p[0] = static_cast<unsigned char>(x + noise);
      p[1] = static_cast<unsigned char>(y + noise);
      p[2] = static_cast<unsigned char>((x ^ y) + noise);
    }
  VipsImage* in = vips_image_new_from_memory(pixels.data(), pixels.size(), w, h, 3, VIPS_FORMAT_UCHAR);
  VipsImage* gauss = Matrix(3, 3, {1, 2, 1, 2, 4, 2, 1, 2, 1}, 16);
  VipsImage* sharp = Matrix(3, 3, {0, -1, 0, -1, 5, -1, 0, -1, 0}, 1);
  VipsImage* edge = Matrix(3, 3, {-1, 0, 1, -1, 0, 1, -1, 0, 1}, 1);
  std::vector<double> gammaTable(256);
  for (int i = 0; i < 256; ++i) gammaTable[static_cast<size_t>(i)] = std::min(255.0, 255.0 * std::pow(i / 256.0, 0.8));
  VipsImage* lut = vips_image_new_matrix_from_array(256, 1, gammaTable.data(), 256);
  VipsImage* lutUchar = nullptr;
  vips_cast_uchar(lut, &lutUchar, nullptr);
  auto conv = [](VipsImage* mask) {
    return [mask](VipsImage* i, VipsImage** o) { return vips_conv(i, o, mask, "precision", VIPS_PRECISION_INTEGER, nullptr); };
  };
  const std::vector<std::pair<std::string, Op>> ops = {
      {"GaussianBlur", conv(gauss)},
      {"Sharpen", conv(sharp)},
      {"EdgeDetect", conv(edge)},
      {"RotateAngle37.5",
       [](VipsImage* i, VipsImage** o) {
         return vips_rotate(i, o, 37.5, "interpolate", vips_interpolate_bilinear_static(), nullptr);
       }},
      {"Rotate90", [](VipsImage* i, VipsImage** o) { return vips_rot(i, o, VIPS_ANGLE_D90, nullptr); }},
      {"Rotate180", [](VipsImage* i, VipsImage** o) { return vips_rot(i, o, VIPS_ANGLE_D180, nullptr); }},
      {"Rotate270", [](VipsImage* i, VipsImage** o) { return vips_rot(i, o, VIPS_ANGLE_D270, nullptr); }},
      {"FlipHorizontal", [](VipsImage* i, VipsImage** o) { return vips_flip(i, o, VIPS_DIRECTION_HORIZONTAL, nullptr); }},
      {"FlipVertical", [](VipsImage* i, VipsImage** o) { return vips_flip(i, o, VIPS_DIRECTION_VERTICAL, nullptr); }},
      {"ScaleSmooth50", [](VipsImage* i, VipsImage** o) { return vips_shrink(i, o, 2.0, 2.0, nullptr); }},
      {"ScalePlain200", [](VipsImage* i, VipsImage** o) { return vips_zoom(i, o, 2, 2, nullptr); }},
      {"ScaleSmooth200",
       [](VipsImage* i, VipsImage** o) { return vips_resize(i, o, 2.0, "kernel", VIPS_KERNEL_LINEAR, nullptr); }},
      {"AdjustGamma", [lutUchar](VipsImage* i, VipsImage** o) { return vips_maplut(i, o, lutUchar, nullptr); }},
      {"InvertColors", [](VipsImage* i, VipsImage** o) { return vips_invert(i, o, nullptr); }},
      {"ResizeCanvas",
       [](VipsImage* i, VipsImage** o) {
         VipsArrayDouble* white = vips_array_double_newv(3, 255.0, 255.0, 255.0);
         const int r = vips_embed(i, o, 80, 70, 4000, 2300, "extend", VIPS_EXTEND_BACKGROUND, "background", white, nullptr);
         vips_area_unref(VIPS_AREA(white));
         return r;
       }},
  };
  for (const auto& [name, op] : ops) {
    const double ms = MedianMs(in, op);
    if (ms >= 0) std::printf("%s %.3f\n", name.c_str(), ms);
  }
  return 0;
}
