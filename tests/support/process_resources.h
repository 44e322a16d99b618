// What a process holds, for leak checks that must also work under Wine, which answers 0 to
// GetGuiResources and GetProcessHandleCount.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <cstddef>

namespace quorvel::testing {

struct ResourceCount {
  const char* method;
  long count;
};

// The process's GDI objects. Where GetGuiResources reports nothing, the handle table is walked
// instead: an object is alive when its table slot answers a type.
inline ResourceCount CountGdiObjects() {
  const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (reported != 0) return {"GetGuiResources", static_cast<long>(reported)};
  long alive = 0;
  for (ULONG_PTR slot = 1; slot < 0x10000; ++slot) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0) ++alive;
  }
  return {"GDI handle table walk", alive};
}

// The process's kernel handles: reported where the system counts them, else every handle value
// the system answers for.
inline ResourceCount CountKernelHandles() {
  DWORD reported = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &reported) && reported != 0) {
    return {"GetProcessHandleCount", static_cast<long>(reported)};
  }
  long alive = 0;
  DWORD flags = 0;
  for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++alive;
  }
  return {"kernel handle walk", alive};
}

// Private memory committed by the process, in bytes.
inline std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return counters.PagefileUsage;
}

}  // namespace quorvel::testing
