// One owner for every handle: a move-only wrapper that closes what it holds exactly once.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <utility>

namespace quorvel::ui {

// Traits: `invalid` is the value that means "nothing held"; `Close` releases a held value.
template <typename T, typename Traits>
class unique_handle {
 public:
  unique_handle() = default;
  explicit unique_handle(T value) : value_(value) {}
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;
  unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
  unique_handle& operator=(unique_handle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_handle() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::invalid(); }
  T release() { return std::exchange(value_, Traits::invalid()); }
  void reset(T value = Traits::invalid()) {
    const T old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::Close(old);
  }

 private:
  T value_ = Traits::invalid();
};

struct KernelHandleTraits {
  static HANDLE invalid() { return nullptr; }
  static void Close(HANDLE h) { (void)CloseHandle(h); }
};
struct FileHandleTraits {
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { (void)CloseHandle(h); }
};
template <typename G>
struct GdiObjectTraits {
  static G invalid() { return nullptr; }
  static void Close(G g) { (void)DeleteObject(g); }
};
struct IconTraits {
  static HICON invalid() { return nullptr; }
  static void Close(HICON h) { (void)DestroyIcon(h); }
};
struct GlobalTraits {
  static HGLOBAL invalid() { return nullptr; }
  static void Close(HGLOBAL h) { (void)GlobalFree(h); }
};

using unique_kernel_handle = unique_handle<HANDLE, KernelHandleTraits>;
using unique_file = unique_handle<HANDLE, FileHandleTraits>;
using unique_hfont = unique_handle<HFONT, GdiObjectTraits<HFONT>>;
using unique_hbrush = unique_handle<HBRUSH, GdiObjectTraits<HBRUSH>>;
using unique_hicon = unique_handle<HICON, IconTraits>;
using unique_hglobal = unique_handle<HGLOBAL, GlobalTraits>;

// A COM pointer: Release exactly once.
template <typename I>
struct ComTraits {
  static I* invalid() { return nullptr; }
  static void Close(I* p) { (void)p->Release(); }
};
template <typename I>
using com_ptr = unique_handle<I*, ComTraits<I>>;

// GlobalLock for the length of a scope.
class global_lock {
 public:
  explicit global_lock(HGLOBAL memory) : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
  global_lock(const global_lock&) = delete;
  global_lock& operator=(const global_lock&) = delete;
  ~global_lock() {
    if (data_ != nullptr) (void)GlobalUnlock(memory_);
  }
  void* data() const { return data_; }
  SIZE_T size() const { return data_ != nullptr ? GlobalSize(memory_) : 0; }

 private:
  HGLOBAL memory_;
  void* data_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class paint_scope {
 public:
  explicit paint_scope(HWND window) : window_(window) { dc_ = BeginPaint(window_, &paint_); }
  paint_scope(const paint_scope&) = delete;
  paint_scope& operator=(const paint_scope&) = delete;
  ~paint_scope() { EndPaint(window_, &paint_); }
  HDC dc() const { return dc_; }
  const PAINTSTRUCT& paint() const { return paint_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// SelectObject that puts the previous object back at the end of the scope.
class select_scope {
 public:
  select_scope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  select_scope(const select_scope&) = delete;
  select_scope& operator=(const select_scope&) = delete;
  ~select_scope() { (void)SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace quorvel::ui
