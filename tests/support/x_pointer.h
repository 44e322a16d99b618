// Real drags for tests under Wine: the X pointer moved by xdotool, a Linux program that Wine
// starts like any other. The Wine desktop sits at the X root's origin, so window rectangles are
// X root coordinates.
#pragma once

#include <windows.h>

#include <string>

namespace quorvel::testing {

inline constexpr char kXdotool[] = "Z:\\usr\\bin\\xdotool";

inline bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Why a real drag cannot run here; empty when it can.
inline std::string WhyNoRealDrag() {
  if (!UnderWine()) return "drives the X pointer with xdotool: runs under Wine only";
  if (GetFileAttributesA(kXdotool) == INVALID_FILE_ATTRIBUTES) return "xdotool is not installed";
  return {};
}

inline POINT Centre(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The xdotool command line of one drag: press at `from`, six moves of 0.1 s onto `to`, release
// there. Slower steps than a hand would make, so that OLE sees every move.
inline std::string DragCommand(POINT from, POINT to) {
  std::string command = std::string(kXdotool) + " mousemove " + std::to_string(from.x) + " " +
                        std::to_string(from.y) + " sleep 0.2 mousedown 1";
  for (int step = 1; step <= 6; ++step) {
    command += " mousemove " + std::to_string(from.x + (to.x - from.x) * step / 6) + " " +
               std::to_string(from.y + (to.y - from.y) * step / 6) + " sleep 0.1";
  }
  return command + " sleep 0.3 mouseup 1";
}

}  // namespace quorvel::testing
