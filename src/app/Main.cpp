// The program entry: one instance at a time, the long-lived windows in
// their order, the message loop.
#include <windows.h>

#include <commctrl.h>

#include "app/UninMain.h"
#include "capture/UnitMagnifier.h"
#include "capture/UnitPickColor.h"
#include "capture/UnitSelectCapture.h"
#include "capture/UnitShowInfo.h"
#include "editor/UnitEditPic.h"
#include "widgets/Application.h"
#include "widgets/Handles.h"

namespace {

constexpr wchar_t kInstanceMessageName[] = L"{D48CA923-4925-41cb-8F56-ABAAAFCEF789}";
constexpr wchar_t kInstanceMutexName[] = L"{1AB792D6-EEF2-4528-9A84-91356811E7A5}";

void InitialiseCommonControls() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LINK_CLASS |
                                                     ICC_UPDOWN_CLASS | ICC_BAR_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
}

int RunFirstInstance(HINSTANCE instance, UINT instanceMessage) {
  InitialiseCommonControls();
  brisko::win::Application app(instance);
  app.SetTitle(L"Brisko Capture");

  // The main window shows as soon as it exists; the hidden windows follow
  // in their order while the user already sees the program.
  brisko::TFrmMain main;
  main.Show();
  brisko::TFrmSelectCapture overlay(main.Profile(), main);
  brisko::TFrmEditPic editor(main);
  brisko::TFrmShowInfo info;
  brisko::TFrmMagnifier magnifier(overlay.Handle());
  brisko::TFrmPickColor picker(main);
  main.ConnectWindows(&overlay, &editor, &picker);
  overlay.ConnectWindows(&info, &magnifier, &picker);

  // A second start broadcasts the instance message to every top-level
  // window; each copy brings this instance forward, to the same effect.
  app.AddMessageFilter([&main, instanceMessage](MSG& msg) {
    if (msg.message != instanceMessage) return false;
    main.HandleInstanceMessage();
    return true;
  });
  return app.Run();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const UINT instanceMessage = RegisterWindowMessageW(kInstanceMessageName);
  brisko::win::ScopedHandle mutex(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
  // An abandoned mutex, left by an instance that ended badly, is ours as well.
  const DWORD wait = mutex ? WaitForSingleObject(mutex.Get(), 10) : WAIT_FAILED;
  if (wait == WAIT_TIMEOUT) {
    // The running instance may take the foreground when it answers.
    AllowSetForegroundWindow(ASFW_ANY);
    DWORD recipients = BSM_APPLICATIONS;
    BroadcastSystemMessageW(BSF_POSTMESSAGE, &recipients, instanceMessage, 0, 0);
    return 0;
  }
  int exitCode = 0;
  try {
    exitCode = RunFirstInstance(instance, instanceMessage);
  } catch (const std::exception& e) {
    MessageBoxA(nullptr, e.what(), "Brisko Capture", MB_OK | MB_ICONERROR);
    exitCode = 1;
  }
  if (mutex) ReleaseMutex(mutex.Get());
  return exitCode;
}
