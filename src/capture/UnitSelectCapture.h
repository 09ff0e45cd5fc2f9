#pragma once

#include <memory>
#include <optional>

#include "capture/AutoScroll.h"
#include "capture/CaptureHost.h"
#include "capture/CaptureOutput.h"
#include "capture/CaptureProfile.h"
#include "capture/FrozenScreen.h"
#include "capture/Inverting.h"
#include "capture/MenuCapture.h"
#include "capture/RegionSelect.h"
#include "capture/UnitMagnifier.h"
#include "capture/WindowRecords.h"
#include "widgets/Form.h"

namespace brisko {

class TFrmPickColor;
class TFrmShowInfo;

// The capture overlay: a borderless topmost window over the primary screen
// that shows the frozen screenshot while the user selects on it. It owns
// the start timer whose single tick grabs the screen and runs the capture
// the profile names, and every capture ends through its OutputCapture or
// EndCapture.
class TFrmSelectCapture : public win::Form {
 public:
  TFrmSelectCapture(CaptureProfile& profile, CaptureHost& host);

  // The windows made after the overlay, in the program's start order.
  void ConnectWindows(TFrmShowInfo* info, TFrmMagnifier* magnifier, TFrmPickColor* picker);

  // The Capture command's last step: the capture begins `delay` ms later.
  void ArmStartTimer(UINT delay);

  void OutputCapture();
  void EndCapture();

  // The start timer's tick: the grab and the dispatch on CaptureKind.
  void Timer1Timer();

 private:
  static constexpr UINT_PTR kTimer1 = 1;
  // One tick per auto-scroll step, 10 ms after the previous one ended.
  static constexpr UINT_PTR kTimer2 = 2;
  // The half-second ticks of the menu countdown.
  static constexpr UINT_PTR kTimerMenu = 3;
  static constexpr UINT kTimerMenuInterval = 500;
  // Esc, taken from the whole desktop while an auto-scroll capture runs
  // (the overlay is not on the screen then to receive it).
  static constexpr int kEscapeHotKey = 1;
  // Posted by the start timer's tick once the frozen screen is painted.
  static constexpr UINT kFinishFreezing = WM_APP + 10;

  // The object captures (window picking, auto-scroll, time-lapse menus)
  // start here.
  void StartWindowPicking();
  void StartAutoScroll();
  void StartMenuCapture();
  void TimerMenuTimer();
  // Ends what the object captures keep running: timers, the pointer
  // reports, the Esc key.
  void StopObjectCapture();
  // Frames the window or control under the point on the frozen screen.
  void PickAt(Point at);

  // The overlay over the screen with the frozen screen painted at once,
  // straight from the grab.
  void ShowOverlay();
  // What waits until the frozen screen is on the screen: the captured
  // bitmap and the picture the rubber bands are drawn on, both copies of
  // the grab, and the magnifier. Runs once per capture, before any input
  // is handled.
  void FinishFreezing();
  void PaintPicture(HDC dc, const RECT& area);
  void RepaintDamage();

  void Image1MouseDown(PointerButton button, WPARAM keys, LPARAM position);
  void Image1MouseMove(WPARAM keys, LPARAM position);
  void Image1MouseUp(PointerButton button, LPARAM position);
  void Image1DblClick(WPARAM keys, LPARAM position);
  void FormKeyDown(WPARAM key, bool& handled);
  void PickColorPress();
  bool SetCursorForArea();

  // What the region selection asks of the overlay.
  void DrawCrosshair(Point at);
  void DrawFigure(int shape, Point from, Point to);
  void UseCursorSlot(int slot);
  void ShowSize(const std::string& text);
  void Magnify(Point at, int mode);
  void CutRegion(const RegionResult& result);
  void PressAtPointer();
  void MovePointer(int dx, int dy);

  class Canvas final : public RegionCanvas {
   public:
    explicit Canvas(TFrmSelectCapture& overlay) : overlay_(overlay) {}
    void InvertCrosshair(Point at) override { overlay_.DrawCrosshair(at); }
    void InvertFigure(int shape, Point from, Point to) override { overlay_.DrawFigure(shape, from, to); }
    void SetCursorSlot(int slot) override { overlay_.UseCursorSlot(slot); }
    void SetSizeText(const std::string& text) override { overlay_.ShowSize(text); }
    void RefreshMagnifier(Point at, int mode) override { overlay_.Magnify(at, mode); }
    void Cancel() override { overlay_.EndCapture(); }
    void Complete(const RegionResult& result) override { overlay_.CutRegion(result); }
    void InjectLeftPress() override { overlay_.PressAtPointer(); }
    void MovePointerBy(int dx, int dy) override { overlay_.MovePointer(dx, dy); }

   private:
    TFrmSelectCapture& overlay_;
  };

  class ScrollHost final : public AutoScrollHost {
   public:
    explicit ScrollHost(TFrmSelectCapture& overlay) : overlay_(overlay) {}
    void ArmStep() override { overlay_.StartTimer(kTimer2, 10); }
    void HideInfo() override;
    bool JumpIfInfo(HWND window) override;
    void StopWatchingPointer() override;
    void Finished(Bitmap picture) override;
    void Cancelled() override { overlay_.EndCapture(); }

   private:
    TFrmSelectCapture& overlay_;
  };

  CaptureProfile& profile_;
  CaptureHost& host_;
  TFrmShowInfo* info_ = nullptr;
  TFrmMagnifier* magnifier_ = nullptr;
  TFrmPickColor* picker_ = nullptr;
  FrozenScreen frozen_;
  // Image1: the frozen screenshot with the rubber bands drawn on it; until
  // FinishFreezing makes it, the overlay paints the grab itself.
  Bitmap picture_;
  bool pictureReady_ = false;
  std::optional<MagnifierPage> magnifierPage_;
  Damage damage_;
  RegionSelection selection_;
  Canvas canvas_{*this};
  HCURSOR cursor_ = nullptr;
  // Window picking: the rectangles listed before the grab and the one
  // framed now.
  WindowRecordList records_;
  std::optional<Rect> highlight_;
  ScrollHost scrollHost_{*this};
  AutoScroll autoScroll_{scrollHost_};
  bool watchingPointer_ = false;
  MenuCapture menus_;
  bool interactive_ = false;
};

}  // namespace brisko
