/* ImageMagick peers for the image-operation comparison, through the
 * MagickWand C API: each operation on a clone of the 3840 x 2160 picture,
 * one thread, median of several runs in milliseconds minus the median of
 * the clone alone; one "name ms" line per operation. */

#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <wand/MagickWand.h>

static double now_ms(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static int compare(const void* a, const void* b) {
  const double x = *(const double*)a, y = *(const double*)b;
  return (x > y) - (x < y);
}

enum { RUNS = 5 };

static double median_ms(MagickWand* source, int op) {
  double times[RUNS];
  PixelWand* white = NewPixelWand();
  PixelSetColor(white, "white");
  for (int i = 0; i < RUNS; ++i) {
    const double start = now_ms();
    MagickWand* w = CloneMagickWand(source);
    switch (op) {
      case 1: MagickRotateImage(w, white, 90); break;
      case 2: MagickFlopImage(w); break;
      case 3: MagickFlipImage(w); break;
      case 4: MagickScaleImage(w, 1920, 1080); break;
      case 5: MagickSampleImage(w, 7680, 4320); break;
      case 6: MagickNegateImage(w, MagickFalse); break;
      case 7: MagickRotateImage(w, white, 37.5); break;
      case 8: MagickRotateImage(w, white, 180); break;
      case 9: MagickRotateImage(w, white, 270); break;
      default: break;
    }
    times[i] = now_ms() - start;
    DestroyMagickWand(w);
  }
  DestroyPixelWand(white);
  qsort(times, RUNS, sizeof times[0], compare);
  return times[RUNS / 2];
}

int main(void) {
  MagickWandGenesis();
  SetMagickResourceLimit(ThreadResource, 1);
  const size_t w = 3840, h = 2160;
  unsigned char* pixels = malloc(w * h * 3);
  for (size_t y = 0; y < h; ++y)
    for (size_t x = 0; x < w; ++x) {
      unsigned char* p = pixels + (y * w + x) * 3;
      const unsigned noise = (x * 7 + y * 13) & 15;
      p[0] = (unsigned char)(x + noise);
      p[1] = (unsigned char)(y + noise);
      p[2] = (unsigned char)((x ^ y) + noise);
    }
  MagickWand* source = NewMagickWand();
  MagickConstituteImage(source, w, h, "BGR", CharPixel, pixels);
  const double clone = median_ms(source, 0);
  const char* names[] = {"", "Rotate90", "FlipHorizontal", "FlipVertical", "ScaleSmooth50", "ScalePlain200",
                         "InvertColors", "RotateAngle37.5", "Rotate180", "Rotate270"};
  for (int op = 1; op <= 9; ++op) printf("%s %.3f\n", names[op], median_ms(source, op) - clone);
  DestroyMagickWand(source);
  MagickWandTerminus();
  free(pixels);
  return 0;
}
