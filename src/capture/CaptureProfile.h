#pragma once

#include "core/Bitmap.h"
#include "core/Colour.h"

namespace brisko {

// What to capture (the profile list's entry index).
enum CaptureKindValue : int {
  kCaptureRegion = 0,
  kCaptureWindowObject = 1,
  kCaptureForegroundWindow = 2,
  kCaptureFullScreen = 3,
  kCaptureWeb = 4,
  kCapturePickColor = 5,
};
enum RegionShapeValue : int { kShapeRectangle = 0, kShapeElliptic = 1, kShapeFreeHand = 2 };
enum ObjectModeValue : int { kObjectWindows = 0, kObjectAutoScroll = 1, kObjectMenuTime = 2 };
enum OutputTargetValue : int { kOutputImageView = 0, kOutputClipboard = 1, kOutputFile = 2 };

// The capture profile and the picture every grab goes into. The main window
// owns it and keeps it in step with its controls; the capture windows read
// it at the moment they need a value.
struct CaptureProfile {
  int CaptureKind = kCaptureRegion;
  int RegionShape = kShapeRectangle;
  int ObjectMode = kObjectWindows;
  int OutputTarget = kOutputImageView;
  int DelayTime = 200;
  int MenuTime = 4000;
  bool SoundFlag = false;
  int SoundFile = 1;
  bool CursorFlag = false;
  Colour BackgroundColor = kWhite;
  bool HiddenToTray = false;
  Bitmap CapturedBitmap;
};

}  // namespace brisko
