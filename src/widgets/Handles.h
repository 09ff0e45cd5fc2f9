#pragma once

#include <windows.h>

#include <utility>

namespace brisko::win {

// Owns one handle and frees it with Traits::Close. Move-only.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : handle_(h) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
  void Reset(Handle h = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = h;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { CloseHandle(h); }
};
using ScopedHandle = UniqueHandle<KernelHandleTraits>;

template <typename T>
struct GdiObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DeleteObject(h); }
};
template <typename T>
using ScopedGdiObject = UniqueHandle<GdiObjectTraits<T>>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedFont = ScopedGdiObject<HFONT>;
using ScopedRegion = ScopedGdiObject<HRGN>;

struct MemoryDCTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DeleteDC(h); }
};
using MemoryDC = UniqueHandle<MemoryDCTraits>;

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { FreeLibrary(h); }
};
using ScopedModule = UniqueHandle<ModuleTraits>;

// An export of a library bound at run time, as the function type the
// caller expects; null when the library does not have it.
template <typename Function>
Function ExportOf(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { RegCloseKey(h); }
};
using ScopedKey = UniqueHandle<RegistryKeyTraits>;

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { DestroyIcon(h); }
};
using ScopedIcon = UniqueHandle<IconTraits>;

// A device context taken with GetDC (screen or window client area) or with
// GetWindowDC (whole window, frame included), given back on destruction.
class WindowDC {
 public:
  enum class Area { Client, WholeWindow };
  explicit WindowDC(HWND window = nullptr, Area area = Area::Client)
      : window_(window), dc_(area == Area::Client ? GetDC(window) : GetWindowDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace brisko::win
