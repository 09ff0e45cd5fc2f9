"""OpenCV and Pillow peers for the image-operation comparison.

Each operation runs on the same 3840 x 2160 BGR picture as ours, one
thread, operation only (no file I/O), median of several runs. OpenCV is
timed twice: into an output array reused between runs ("reused") and into a
fresh one ("fresh"); Pillow always makes a fresh image. Prints one
"library condition operation milliseconds" line per figure.
"""

import math
import sys
import time

import cv2
import numpy as np
from PIL import Image, ImageFilter, ImageOps

W, H = 3840, 2160


def picture():
    y, x = np.mgrid[0:H, 0:W].astype(np.uint32)
    noise = (x * 7 + y * 13) & 15
    img = np.empty((H, W, 3), np.uint8)
    img[..., 0] = (x + noise) & 255
    img[..., 1] = (y + noise) & 255
    img[..., 2] = ((x ^ y) + noise) & 255
    return img


def median_ms(fn, budget=1.5):
    times = []
    deadline = time.perf_counter() + budget
    while len(times) < 3 or (len(times) < 15 and time.perf_counter() < deadline):
        start = time.perf_counter()
        fn()
        times.append((time.perf_counter() - start) * 1000)
    times.sort()
    return times[len(times) // 2]


def rotation_matrix(angle):
    rad = math.radians(angle)
    c, s = abs(math.cos(rad)), abs(math.sin(rad))
    nw, nh = int(W * c + H * s), int(W * s + H * c)
    m = cv2.getRotationMatrix2D((W / 2, H / 2), -angle, 1.0)
    m[0, 2] += (nw - W) / 2
    m[1, 2] += (nh - H) / 2
    return m, (nw, nh)


def opencv_ops(img):
    gauss = np.array([[1, 2, 1], [2, 4, 2], [1, 2, 1]], np.float32) / 16
    sharp = np.array([[0, -1, 0], [-1, 5, -1], [0, -1, 0]], np.float32)
    edge = np.array([[-1, 0, 1], [-1, 0, 1], [-1, 0, 1]], np.float32)
    rot, rot_size = rotation_matrix(37.5)
    gamma = np.array([min(255, round(255 * (i / 256) ** 0.8)) for i in range(256)], np.uint8)
    yy, xx = np.mgrid[0:H, 0:W].astype(np.float32)
    wave_x = np.mod(np.round(2 * np.sin(yy / 6) + xx), W).astype(np.float32)
    wave_y = np.mod(np.round(2 * np.sin(xx / 2) + yy), H).astype(np.float32)
    grey = np.empty((H, W), np.uint8)
    box = np.ones((3, 3), np.float32) / 9
    zoom_size = (int(W * 0.75), int(H * 0.75))

    def twist(dst):
        # The maps of our Twist (amount 150), built on every call as ours are.
        cx, cy = np.float32((W - 1) / 2), np.float32((H - 1) / 2)
        dx = np.arange(W, dtype=np.float32) - cx
        dy = (np.arange(H, dtype=np.float32) - cy)[:, None]
        r = np.sqrt(dx * dx + dy * dy)
        theta = np.arctan2(dy, dx) - r / np.float32(150) + np.float32(math.pi / 2)
        map_x = cx + r * np.cos(theta)
        map_y = cy + r * np.sin(theta)
        return cv2.remap(img, map_x, map_y, cv2.INTER_LINEAR, dst=dst, borderMode=cv2.BORDER_WRAP)

    def perspective(dst):
        # Row y squeezed into a centred span of trunc(y * step + W / 2)
        # columns on white, as our PerspectiveShear; maps built per call.
        top = W // 2
        span = np.trunc(np.arange(H, dtype=np.float64) * ((W - top) / H) + top)
        left = (W - span) // 2
        xs = np.arange(W, dtype=np.float32)
        scale = (W / span).astype(np.float32)[:, None]
        map_x = (xs - left.astype(np.float32)[:, None] + np.float32(0.5)) * scale - np.float32(0.5)
        map_x[(xs < left[:, None]) | (xs >= (left + span)[:, None])] = -2
        map_y = np.broadcast_to(np.arange(H, dtype=np.float32)[:, None], (H, W))
        return cv2.remap(img, map_x, np.ascontiguousarray(map_y), cv2.INTER_LINEAR, dst=dst,
                         borderMode=cv2.BORDER_CONSTANT, borderValue=(255, 255, 255))

    def grey24(dst):
        cv2.cvtColor(img, cv2.COLOR_BGR2GRAY, dst=grey)
        return cv2.cvtColor(grey, cv2.COLOR_GRAY2BGR, dst=dst)

    def stretch(dst):
        cv2.cvtColor(img, cv2.COLOR_BGR2GRAY, dst=grey)
        cv2.normalize(grey, grey, 0, 255, cv2.NORM_MINMAX)
        return cv2.cvtColor(grey, cv2.COLOR_GRAY2BGR, dst=dst)

    # name -> (function taking dst or None, output shape)
    return {
        "GaussianBlur": (lambda d: cv2.GaussianBlur(img, (3, 3), 0, dst=d), img.shape),
        "GaussianBlur(filter2D)": (lambda d: cv2.filter2D(img, -1, gauss, dst=d), img.shape),
        "Sharpen": (lambda d: cv2.filter2D(img, -1, sharp, dst=d), img.shape),
        "EdgeDetect": (lambda d: cv2.filter2D(img, -1, edge, dst=d), img.shape),
        "Convolve3x3": (lambda d: cv2.filter2D(img, -1, box, dst=d), img.shape),
        "Twist": (twist, img.shape),
        "PerspectiveShear": (perspective, img.shape),
        "RotateAngle37.5": (lambda d: cv2.warpAffine(img, rot, rot_size, dst=d, flags=cv2.INTER_LINEAR,
                                                     borderValue=(255, 255, 255)), (rot_size[1], rot_size[0], 3)),
        "Rotate90": (lambda d: cv2.rotate(img, cv2.ROTATE_90_CLOCKWISE, dst=d), (W, H, 3)),
        "Rotate180": (lambda d: cv2.rotate(img, cv2.ROTATE_180, dst=d), img.shape),
        "Rotate270": (lambda d: cv2.rotate(img, cv2.ROTATE_90_COUNTERCLOCKWISE, dst=d), (W, H, 3)),
        "FlipHorizontal": (lambda d: cv2.flip(img, 1, dst=d), img.shape),
        "FlipVertical": (lambda d: cv2.flip(img, 0, dst=d), img.shape),
        "ScaleSmooth50": (lambda d: cv2.resize(img, (W // 2, H // 2), dst=d, interpolation=cv2.INTER_AREA),
                          (H // 2, W // 2, 3)),
        "ScalePlain50": (lambda d: cv2.resize(img, (W // 2, H // 2), dst=d, interpolation=cv2.INTER_NEAREST),
                         (H // 2, W // 2, 3)),
        "ZoomStretch75": (lambda d: cv2.resize(img, zoom_size, dst=d, interpolation=cv2.INTER_NEAREST),
                          (zoom_size[1], zoom_size[0], 3)),
        "ScalePlain200": (lambda d: cv2.resize(img, (W * 2, H * 2), dst=d, interpolation=cv2.INTER_NEAREST),
                          (H * 2, W * 2, 3)),
        "ScaleSmooth200": (lambda d: cv2.resize(img, (W * 2, H * 2), dst=d, interpolation=cv2.INTER_LINEAR),
                           (H * 2, W * 2, 3)),
        "ResizeCanvas": (lambda d: cv2.copyMakeBorder(img, 70, 70, 80, 80, cv2.BORDER_CONSTANT, dst=d,
                                                      value=(255, 255, 255)), (2300, 4000, 3)),
        "AdjustGamma": (lambda d: cv2.LUT(img, gamma, dst=d), img.shape),
        "InvertColors": (lambda d: cv2.bitwise_not(img, dst=d), img.shape),
        "AdjustBrightness": (lambda d: cv2.add(img, (40, 40, 40, 0), dst=d), img.shape),
        "GreyTo24": (grey24, img.shape),
        "GrayScale": (stretch, img.shape),
        "WaveWarp": (lambda d: cv2.remap(img, wave_x, wave_y, cv2.INTER_NEAREST, dst=d), img.shape),
    }


def pillow_ops(img):
    pil = Image.fromarray(img[..., ::-1].copy(), "RGB")
    gamma = [min(255, round(255 * (i / 256) ** 0.8)) for i in range(256)] * 3
    palette = Image.new("P", (1, 1))
    cube = []
    for b in range(6):
        for g in range(6):
            for r in range(6):
                cube += [r * 51, g * 51, b * 51]
    palette.putpalette(cube + [0] * (768 - len(cube)))
    return {
        "GaussianBlur": lambda: pil.filter(ImageFilter.Kernel((3, 3), [1, 2, 1, 2, 4, 2, 1, 2, 1], 16)),
        "Sharpen": lambda: pil.filter(ImageFilter.Kernel((3, 3), [0, -1, 0, -1, 5, -1, 0, -1, 0], 1)),
        "EdgeDetect": lambda: pil.filter(ImageFilter.Kernel((3, 3), [-1, 0, 1, -1, 0, 1, -1, 0, 1], 1)),
        "RotateAngle37.5": lambda: pil.rotate(-37.5, Image.BILINEAR, expand=True, fillcolor=(255, 255, 255)),
        "Rotate90": lambda: pil.transpose(Image.ROTATE_270),
        "Rotate180": lambda: pil.transpose(Image.ROTATE_180),
        "Rotate270": lambda: pil.transpose(Image.ROTATE_90),
        "FlipHorizontal": lambda: pil.transpose(Image.FLIP_LEFT_RIGHT),
        "FlipVertical": lambda: pil.transpose(Image.FLIP_TOP_BOTTOM),
        "ScaleSmooth50": lambda: pil.reduce(2),
        "ScalePlain200": lambda: pil.resize((W * 2, H * 2), Image.NEAREST),
        "ScaleSmooth200": lambda: pil.resize((W * 2, H * 2), Image.BILINEAR),
        "AdjustGamma": lambda: pil.point(gamma),
        "InvertColors": lambda: ImageOps.invert(pil),
        "GreyTo24": lambda: pil.convert("L").convert("RGB"),
        "GrayScale": lambda: ImageOps.autocontrast(pil.convert("L")).convert("RGB"),
        "ReduceColors8": lambda: pil.quantize(palette=palette, dither=Image.Dither.NONE),
    }


def main():
    cv2.setNumThreads(1)
    img = picture()
    for name, (fn, shape) in opencv_ops(img).items():
        dst = np.empty(shape, np.uint8)
        print("opencv reused", name, "%.3f" % median_ms(lambda: fn(dst)))
        print("opencv fresh", name, "%.3f" % median_ms(lambda: fn(None)))
    for name, fn in pillow_ops(img).items():
        print("pillow fresh", name, "%.3f" % median_ms(fn))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
