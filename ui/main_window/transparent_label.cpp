#include "main_window/transparent_label.h"

#include <vector>

#include "common/unique_handle.h"
#include "main_window/main_window.h"
#include "main_window/window_styles.h"

namespace quorvel::ui {
namespace {

// One line, left, vertically centred, not clipped; without DT_NOPREFIX an ampersand underlines
// the character after it.
constexpr UINT kDrawFormat = DT_NOCLIP | DT_LEFT | DT_SINGLELINE | DT_VCENTER;
static_assert(kDrawFormat == 0x124);

// Every visible descendant, depth first: a window's children before the window itself,
// siblings from the top of the stacking order down.
void CollectVisibleDescendants(HWND parent, std::vector<HWND>& out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsWindowVisible(child) == FALSE) continue;
    CollectVisibleDescendants(child, out);
    out.push_back(child);
  }
}

}  // namespace

TransparentLabel::TransparentLabel(const LabelSettings& settings)
    : settings_(settings), caption_(settings.Caption != nullptr ? settings.Caption : "") {}

bool TransparentLabel::RegisterClassOnce(HINSTANCE instance) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, kLabelClass, &existing) != FALSE) return true;
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = &TransparentLabel::Proc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  window_class.lpszClassName = kLabelClass;
  return RegisterClassExA(&window_class) != 0;
}

bool TransparentLabel::Create(HINSTANCE instance, HWND parent, const Entry& entry, DWORD style,
                              DWORD ex_style, int child_id) {
  hwnd_ = CreateWindowExA(ex_style, kLabelClass, caption_.c_str(), style, entry.left, entry.top,
                          entry.width, entry.height, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(child_id)), instance, this);
  return hwnd_ != nullptr;
}

void TransparentLabel::SetCaption(const char* text) {
  caption_ = text != nullptr ? text : "";
  if (hwnd_ == nullptr) return;
  (void)SetWindowTextA(hwnd_, caption_.c_str());
  RepaintBeneath();
}

// The label paints no background, so whatever lies beneath it is painted again first, or the
// old text would stay visible around the new one.
void TransparentLabel::RepaintBeneath() {
  HWND top = GetAncestor(hwnd_, GA_ROOT);
  if (top == nullptr) return;
  RECT label_screen{};
  (void)GetWindowRect(hwnd_, &label_screen);

  RECT in_top = label_screen;
  (void)MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&in_top), 2);
  (void)InvalidateRect(top, &in_top, TRUE);
  (void)UpdateWindow(top);

  std::vector<HWND> windows;
  CollectVisibleDescendants(top, windows);
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    RECT window_screen{};
    RECT overlap{};
    if (GetWindowRect(*it, &window_screen) == FALSE) continue;
    if (IntersectRect(&overlap, &window_screen, &label_screen) == FALSE) continue;
    (void)MapWindowPoints(nullptr, *it, reinterpret_cast<POINT*>(&overlap), 2);
    (void)RedrawWindow(*it, &overlap, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ERASENOW | RDW_UPDATENOW);
  }
  (void)InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK TransparentLabel::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TransparentLabel*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<TransparentLabel*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    (void)SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (self == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    (void)SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcA(hwnd, message, wparam, lparam);
  }
  return self->OnMessage(message, wparam, lparam);
}

LRESULT TransparentLabel::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SETFOCUS:
      OnSetFocus(reinterpret_cast<HWND>(wparam));
      return 0;
    default:
      return DefWindowProcA(hwnd_, message, wparam, lparam);
  }
}

void TransparentLabel::OnPaint() {
  paint_scope paint(hwnd_);
  const int length = GetWindowTextLengthA(hwnd_);
  if (length <= 0) return;
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(hwnd_, text.data(), length + 1);
  if (copied <= 0) return;
  RECT client{};
  (void)GetClientRect(hwnd_, &client);

  // Made for this paint and deleted at its end (after the old font is back in the DC).
  unique_hfont font = MakeFont(settings_.font);
  HGDIOBJ chosen = font ? static_cast<HGDIOBJ>(font.get()) : GetStockObject(DEFAULT_GUI_FONT);
  select_scope selected(paint.dc(), chosen);
  (void)SetBkMode(paint.dc(), TRANSPARENT);
  (void)SetTextColor(paint.dc(), settings_.text_colour);
  (void)DrawTextA(paint.dc(), text.data(), copied, &client, kDrawFormat);
}

// A label never keeps the focus: it goes back where it came from, or to the window, which
// passes it on to its focus order.
void TransparentLabel::OnSetFocus(HWND previous) {
  char class_name[64] = {};
  const bool back_possible = previous != nullptr && IsWindow(previous) != FALSE &&
                             GetAncestor(previous, GA_ROOT) == GetAncestor(hwnd_, GA_ROOT) &&
                             GetClassNameA(previous, class_name, sizeof class_name) > 0 &&
                             lstrcmpA(class_name, kLabelClass) != 0;
  (void)SetFocus(back_possible ? previous : GetParent(hwnd_));
}

}  // namespace quorvel::ui
