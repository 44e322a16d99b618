// A drag source in a process of its own: a window that starts an OLE drag of files when the
// left mouse button goes down on it. The drag test moves the X pointer from here onto the
// window that holds the drop target.
//
//   drag_source LIST REPORT LEFT TOP WIDTH HEIGHT
// LIST holds the paths to offer, one a line, as ANSI bytes; it is read again at every drag.
// After each drag a line "done N hr=0x........ effect=E" is appended to REPORT.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_data_object.h"

namespace {

constexpr char kClassName[] = "QuorvelDragSource";
constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT kLifetimeMs = 180000;  // never outlive a run that forgot to close this window

std::string g_list;
std::string g_report;
int g_drags = 0;

class DropSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource)) {
      *object = static_cast<IDropSource*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&references_)); }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) == 0 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  LONG references_ = 1;
};

std::vector<std::string> ReadPaths() {
  std::ifstream in(g_list, std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> paths;
  std::string line;
  for (const char c : all) {
    if (c == '\n') {
      if (!line.empty()) paths.push_back(line);
      line.clear();
    } else if (c != '\r') {
      line.push_back(c);
    }
  }
  if (!line.empty()) paths.push_back(line);
  return paths;
}

void Report(HRESULT answer, DWORD effect) {
  char line[128];
  std::snprintf(line, sizeof line, "done %d hr=0x%08lx effect=%lu\n", g_drags, static_cast<unsigned long>(answer),
                static_cast<unsigned long>(effect));
  std::ofstream out(g_report, std::ios::binary | std::ios::app);
  out << line;
}

void Drag() {
  ++g_drags;
  quorvel::testing::TestDataObject data(/*counted=*/false);
  data.Offer(CF_HDROP, quorvel::testing::DropFilesBlock(ReadPaths()));
  DropSource source;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT answer = DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
  Report(answer, effect);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      Drag();
      return 0;
    case WM_TIMER:
      if (wparam == kLifetimeTimer) (void)DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: drag_source LIST REPORT LEFT TOP WIDTH HEIGHT\n");
    return 2;
  }
  g_list = argv[1];
  g_report = argv[2];
  if (FAILED(OleInitialize(nullptr))) return 3;

  WNDCLASSA window_class{};
  window_class.lpfnWndProc = &WindowProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = kClassName;
  if (RegisterClassA(&window_class) == 0) return 4;
  const HWND window =
      CreateWindowExA(0, kClassName, "drag source", WS_POPUP | WS_BORDER | WS_VISIBLE, std::atoi(argv[3]),
                      std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6]), nullptr, nullptr,
                      GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return 5;
  (void)SetTimer(window, kLifetimeTimer, kLifetimeMs, nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    (void)TranslateMessage(&message);
    (void)DispatchMessageA(&message);
  }
  OleUninitialize();
  return 0;
}
