#include "main_window/main_window.h"

#include <algorithm>

#include "main_window/transparent_label.h"
#include "main_window/window_styles.h"

namespace quorvel::ui {
namespace {

constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);

bool RegisterOnce(HINSTANCE instance, const char* name, UINT styles, WNDPROC proc) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, name, &existing) != FALSE) return true;
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = styles;
  window_class.lpfnWndProc = proc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // The window paints its own background; erasing would only make it flicker.
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  window_class.lpszClassName = name;
  return RegisterClassExA(&window_class) != 0;
}

bool Held(int virtual_key) { return GetKeyState(virtual_key) < 0; }

// 1 Ctrl + 2 Shift + 4 Alt, as the mouse event and the key matching count them.
std::int32_t KeyState() {
  return (Held(VK_CONTROL) ? 1 : 0) + (Held(VK_SHIFT) ? 2 : 0) + (Held(VK_MENU) ? 4 : 0);
}
constexpr std::int32_t kNoModifier = 0;
constexpr std::int32_t kShift = 2;

HMENU ChildId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

MainWindow::MainWindow(WindowLayer& layer, const WindowDescription& description)
    : layer_(layer),
      description_(description),
      settings_(std::get<WindowSettings>(description_.window.settings)),
      title_(settings_.Title != nullptr ? settings_.Title : "") {}

MainWindow::~MainWindow() { Destroy(); }

void MainWindow::Destroy() {
  if (Alive()) (void)DestroyWindow(hwnd_);
}

// --- Building ---

bool MainWindow::Build(HINSTANCE instance) {
  if (!CreateMainWindow(instance)) return false;
  // Created in the reverse of the list order; child ids follow the creation order.
  for (std::size_t n = 0; n < kControlCount; ++n) {
    if (!CreateControl(instance, kControlCount - 1 - n, ChildIdForCreationIndex(n))) {
      Destroy();
      return false;
    }
  }
  // The list order is the stacking order: the first control on top.
  for (std::size_t i = 0; i < kControlCount; ++i) {
    (void)SetWindowPos(controls_[i], i == 0 ? HWND_TOP : controls_[i - 1], 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  for (std::size_t i = 0; i < kControlCount; ++i) {
    if (description_.controls[i].visible) (void)ShowWindow(controls_[i], SW_SHOWNA);
  }
  built_ = true;
  return true;
}

bool MainWindow::CreateMainWindow(HINSTANCE instance) {
  const Entry& window = description_.window;
  const char* class_name = settings_.window_class_name;
  if (class_name == nullptr || *class_name == '\0') {
    class_name = kMainWindowClass;
    if (!RegisterOnce(instance, class_name, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, &MainWindow::Proc)) {
      return false;
    }
  }
  int left = window.left;
  int top = window.top;
  if (settings_.start_position == StartPosition::CentredOnScreen) {
    // Signed division: on a screen smaller than the window the window starts off-screen.
    left = (GetSystemMetrics(SM_CXSCREEN) - window.width) / 2;
    top = (GetSystemMetrics(SM_CYSCREEN) - window.height) / 2;
  }
  // Shown in the taskbar: no owner, so the system gives the window a taskbar button.
  hwnd_ = CreateWindowExA(0, class_name, title_.c_str(), MainWindowStyle(settings_, title_.c_str()), left,
                          top, window.width, window.height, nullptr, nullptr, instance, this);
  if (hwnd_ == nullptr) return false;

  DeriveCaptionStyles();
  RECT outer{};
  (void)GetWindowRect(hwnd_, &outer);
  if (outer.right - outer.left != window.width || outer.bottom - outer.top != window.height) {
    (void)MoveWindow(hwnd_, left, top, window.width, window.height, FALSE);
  }
  SetIcons(instance);
  (void)SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return true;
}

void MainWindow::SetIcons(HINSTANCE instance) {
  // A missing icon leaves the window without one of its own.
  big_icon_.reset(static_cast<HICON>(LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
  small_icon_.reset(static_cast<HICON>(LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
  if (big_icon_) (void)SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.get()));
  if (small_icon_) (void)SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
}

bool MainWindow::CreateControl(HINSTANCE instance, std::size_t list_index, int child_id) {
  const Entry& control = description_.controls[list_index];
  const WindowStyles styles = ControlCreationStyles(control);
  HWND created = nullptr;
  switch (control.kind) {
    case EntryKind::TextBox: {
      const auto& settings = std::get<TextBoxSettings>(control.settings);
      created = CreateWindowExA(styles.ex_style, "EDIT", settings.Content, styles.style, control.left,
                                control.top, control.width, control.height, hwnd_, ChildId(child_id),
                                instance, nullptr);
      if (created == nullptr) return false;
      (void)SetWindowLongPtrA(created, GWL_EXSTYLE,
                              static_cast<LONG_PTR>(GetWindowLongPtrA(created, GWL_EXSTYLE)) |
                                  static_cast<LONG_PTR>(TextBoxExStyle(settings)));
      (void)SetWindowPos(created, nullptr, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      text_box_font_ = MakeFont(settings.font);
      HGDIOBJ font = text_box_font_ ? static_cast<HGDIOBJ>(text_box_font_.get()) : GetStockObject(DEFAULT_GUI_FONT);
      (void)SendMessageA(created, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      (void)SendMessageA(created, EM_LIMITTEXT, static_cast<WPARAM>(settings.maximum_length), 0);
      (void)SendMessageA(created, EM_SETSEL, static_cast<WPARAM>(settings.selection_start),
                         settings.selection_start + settings.selection_length);
      (void)SendMessageA(created, EM_SCROLLCARET, 0, 0);
      // One brush for the life of the window, handed out on every colour request.
      text_box_brush_.reset(CreateSolidBrush(ResolveBackground(settings.background_colour)));
      break;
    }
    case EntryKind::PushButton: {
      const auto& settings = std::get<ButtonSettings>(control.settings);
      created = CreateWindowExA(styles.ex_style, "BUTTON", settings.Caption, styles.style, control.left,
                                control.top, control.width, control.height, hwnd_, ChildId(child_id),
                                instance, nullptr);
      if (created == nullptr) return false;
      button_font_ = MakeFont(settings.font);
      HGDIOBJ font = button_font_ ? static_cast<HGDIOBJ>(button_font_.get()) : GetStockObject(DEFAULT_GUI_FONT);
      (void)SendMessageA(created, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
      break;
    }
    case EntryKind::TransparentLabel: {
      if (!TransparentLabel::RegisterClassOnce(instance)) return false;
      auto label = std::make_unique<TransparentLabel>(std::get<LabelSettings>(control.settings));
      if (!label->Create(instance, hwnd_, control, styles.style, styles.ex_style, child_id)) return false;
      created = label->Handle();
      labels_[list_index] = std::move(label);
      break;
    }
    case EntryKind::FileChooser:
    case EntryKind::DropTarget:
      // Never shown: the component's work happens behind this window.
      if (!RegisterOnce(instance, kComponentClass, 0, &DefWindowProcA)) return false;
      created = CreateWindowExA(styles.ex_style, kComponentClass, "", styles.style, control.left,
                                control.top, control.width, control.height, hwnd_, ChildId(child_id),
                                instance, nullptr);
      if (created == nullptr) return false;
      if (control.kind == EntryKind::FileChooser) {
        // The dialog is owned by the main window, which exists by now.
        choosers_[list_index] =
            std::make_unique<FileChooser>(std::get<ChooserSettings>(control.settings), hwnd_, instance);
      } else {
        auto drop_target = std::make_unique<DropTarget>(std::get<DropTargetSettings>(control.settings));
        for (int event = 0; event < DropTarget::kEventCount; ++event) {
          drop_target->SetHandler(static_cast<DropTarget::Event>(event),
                                  [this, number = control.number, event](const char* text) {
                                    RaiseText(number, event, text);
                                  });
        }
        drop_targets_[list_index] = std::move(drop_target);
      }
      break;
    case EntryKind::Window:
      return false;
  }
  controls_[list_index] = created;
  return true;
}

void MainWindow::DeriveCaptionStyles() {
  if (hwnd_ == nullptr) return;
  const auto current = static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE));
  const DWORD wanted = (current & ~static_cast<DWORD>(WS_CAPTION | WS_SYSMENU)) | CaptionBarStyle(settings_, title_.c_str());
  if (wanted == current) return;
  (void)SetWindowLongPtrA(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(wanted));
  (void)SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void MainWindow::RaiseCreatedAndShow() {
  RaisePlain(description_.window.handlers.Created);
  if (!Alive()) return;
  RaisePlain(description_.window.handlers.Moved);
  if (!Alive()) return;
  RaisePlain(description_.window.handlers.Resized);
  if (!Alive()) return;
  (void)ShowWindow(hwnd_, SW_SHOW);
}

// --- Operations ---

void MainWindow::SetTitle(const char* text) {
  title_ = text != nullptr ? text : "";
  if (!Alive()) return;
  (void)SetWindowTextA(hwnd_, title_.c_str());
  DeriveCaptionStyles();
}

std::string MainWindow::ReadContent(std::uint32_t text_box) const {
  HWND box = ControlHandle(text_box);
  if (box == nullptr) return {};
  const int length = GetWindowTextLengthA(box);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(box, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void MainWindow::WriteContent(const char* text, std::uint32_t text_box) {
  HWND box = ControlHandle(text_box);
  if (box != nullptr) (void)SetWindowTextA(box, text != nullptr ? text : "");
}

void MainWindow::WriteCaption(std::uint32_t label, const char* text) {
  if (TransparentLabel* target = LabelOf(label)) target->SetCaption(text);
}

HWND MainWindow::ControlHandle(std::uint32_t number) const {
  const std::size_t index = IndexOf(number);
  return index < kControlCount ? controls_[index] : nullptr;
}

const ChooserSettings* MainWindow::ChooserSettingsOf(std::uint32_t number) const {
  const Entry* found = description_.Find(number);
  return found != nullptr ? std::get_if<ChooserSettings>(&found->settings) : nullptr;
}

const DropTargetSettings* MainWindow::DropTargetSettingsOf(std::uint32_t number) const {
  const Entry* found = description_.Find(number);
  return found != nullptr ? std::get_if<DropTargetSettings>(&found->settings) : nullptr;
}

FileChooser* MainWindow::ChooserOf(std::uint32_t number) const {
  const std::size_t index = IndexOf(number);
  return index < kControlCount ? choosers_[index].get() : nullptr;
}

DropTarget* MainWindow::DropTargetOf(std::uint32_t number) const {
  const std::size_t index = IndexOf(number);
  return index < kControlCount ? drop_targets_[index].get() : nullptr;
}

void MainWindow::RaiseText(std::uint32_t number, std::int32_t event, const char* text) {
  const Entry* found = description_.Find(number);
  if (found == nullptr || found->kind != EntryKind::DropTarget) return;
  TextHandler handler = nullptr;
  switch (event) {
    case 0: handler = found->handlers.TextReceived; break;
    case 1: handler = found->handlers.HtmlReceived; break;
    case 2: handler = found->handlers.UrlReceived; break;
    case 3: handler = found->handlers.FilesReceived; break;
    default: break;
  }
  if (handler != nullptr) handler(*this, text != nullptr ? text : "");
}

void MainWindow::RaisePlain(PlainHandler handler) {
  if (handler != nullptr) handler(*this);
}

void MainWindow::RaiseClicked(const Entry& button) { RaisePlain(button.handlers.Clicked); }

// --- Looking things up ---

std::size_t MainWindow::IndexOf(std::uint32_t number) const {
  for (std::size_t i = 0; i < kControlCount; ++i) {
    if (description_.controls[i].number == number) return i;
  }
  return number == description_.window.number ? kControlCount : kNoEntry;
}

const Entry* MainWindow::EntryOf(HWND hwnd) const {
  if (hwnd == nullptr) return nullptr;
  if (hwnd == hwnd_) return &description_.window;
  for (std::size_t i = 0; i < kControlCount; ++i) {
    if (controls_[i] == hwnd) return &description_.controls[i];
  }
  return nullptr;
}

TransparentLabel* MainWindow::LabelOf(std::uint32_t number) const {
  const std::size_t index = IndexOf(number);
  return index < kControlCount ? labels_[index].get() : nullptr;
}

// --- Keyboard and focus ---

bool MainWindow::PreTranslate(const MSG& msg) {
  if (!Alive() || msg.hwnd == nullptr) return false;
  if (msg.hwnd != hwnd_ && IsChild(hwnd_, msg.hwnd) == FALSE) return false;
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return HandleKeyDown(msg);
    case WM_LBUTTONDOWN:
      return HandleLeftButtonDown(msg);
    default:
      return false;
  }
}

bool MainWindow::HandleLeftButtonDown(const MSG& msg) {
  const Entry* target = EntryOf(msg.hwnd);
  if (target == nullptr || !target->visible || target->handlers.LeftButtonPressed == nullptr) return false;
  const auto bits = static_cast<std::uint32_t>(msg.lParam);
  const std::optional<bool> result =
      target->handlers.LeftButtonPressed(*this, bits & 0xFFFFu, (bits >> 16) & 0xFFFFu, KeyState());
  return result.has_value() && !*result;
}

bool MainWindow::HandleKeyDown(const MSG& msg) {
  const std::int32_t modifiers = KeyState();
  const bool tab = msg.wParam == VK_TAB && modifiers == kNoModifier;
  const bool shift_tab = msg.wParam == VK_TAB && modifiers == kShift;
  const bool enter = msg.wParam == VK_RETURN && modifiers == kNoModifier;
  const bool esc = msg.wParam == VK_ESCAPE && modifiers == kNoModifier;
  if (!tab && !shift_tab && !enter && !esc) return false;

  // A key the focused control wants goes to it unchanged.
  const Entry* focused = EntryOf(GetFocus());
  if (enter && focused != nullptr && focused->kind == EntryKind::TextBox &&
      TextBoxWantsEnter(std::get<TextBoxSettings>(focused->settings))) {
    return false;
  }
  if (tab || shift_tab) {
    MoveFocus(tab ? 1 : -1);
    return true;
  }
  if (enter) {
    if (settings_.enter_moves_focus) {
      MoveFocus(1);
      return true;
    }
    const auto is_default_button = [](const Entry& e) {
      return e.kind == EntryKind::PushButton && std::get<ButtonSettings>(e.settings).type == ButtonType::Default;
    };
    if (focused != nullptr && is_default_button(*focused)) {
      RaiseClicked(*focused);
      return true;
    }
    for (const Entry& control : description_.controls) {
      if (is_default_button(control)) {
        RaiseClicked(control);
        return true;
      }
    }
    return false;
  }
  if (!settings_.esc_closes) return false;
  (void)SendMessageA(hwnd_, WM_CLOSE, 0, 0);
  return true;
}

// Tab stops that are visible and enabled, by tab order; among equal tab orders the control later
// in the list comes first.
std::vector<HWND> MainWindow::FocusOrder() const {
  std::vector<std::size_t> indices;
  for (std::size_t n = kControlCount; n-- > 0;) {
    if (IsFocusable(controls_[n])) indices.push_back(n);
  }
  std::stable_sort(indices.begin(), indices.end(), [this](std::size_t a, std::size_t b) {
    return description_.controls[a].tab_order < description_.controls[b].tab_order;
  });
  std::vector<HWND> order;
  for (std::size_t index : indices) order.push_back(controls_[index]);
  return order;
}

bool MainWindow::IsFocusable(HWND hwnd) const {
  const Entry* found = EntryOf(hwnd);
  if (found == nullptr || found == &description_.window || !found->tab_stop) return false;
  if (found->kind != EntryKind::TextBox && found->kind != EntryKind::PushButton) return false;
  return IsWindowVisible(hwnd) != FALSE && IsWindowEnabled(hwnd) != FALSE;
}

void MainWindow::MoveFocus(int step) {
  const std::vector<HWND> order = FocusOrder();
  if (order.empty()) return;
  const auto n = static_cast<std::ptrdiff_t>(order.size());
  const auto at = std::find(order.begin(), order.end(), GetFocus()) - order.begin();
  std::ptrdiff_t next = 0;
  if (at == n) {
    next = step > 0 ? 0 : n - 1;
  } else {
    next = ((at + step) % n + n) % n;
  }
  (void)SetFocus(order[static_cast<std::size_t>(next)]);
}

// --- Messages ---

LRESULT CALLBACK MainWindow::Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    (void)SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  // Wine sends WM_GETMINMAXINFO before WM_NCCREATE: nothing is bound yet then.
  if (self == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    (void)SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    const LRESULT result = DefWindowProcA(hwnd, message, wparam, lparam);
    self->OnNcDestroy();
    return result;
  }
  return self->OnMessage(message, wparam, lparam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_CTLCOLOREDIT:
      return OnCtlColorEdit(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_COMMAND:
      OnCommand(wparam, lparam);
      return 0;
    case WM_ACTIVATE:
      OnActivate(wparam);
      return DefWindowProcA(hwnd_, message, wparam, lparam);
    case WM_SETFOCUS:
      OnSetFocus();
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wparam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return DefWindowProcA(hwnd_, message, wparam, lparam);
  }
}

void MainWindow::OnPaint() {
  paint_scope paint(hwnd_);
  RECT clip{};
  if (GetClipBox(paint.dc(), &clip) == ERROR) return;
  unique_hbrush background(CreateSolidBrush(ResolveBackground(settings_.background_colour)));
  if (background) (void)FillRect(paint.dc(), &clip, background.get());
}

LRESULT MainWindow::OnCtlColorEdit(HDC dc, HWND control) {
  const Entry* box = EntryOf(control);
  if (box == nullptr || box->kind != EntryKind::TextBox || !text_box_brush_) {
    return DefWindowProcA(hwnd_, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  }
  const auto& settings = std::get<TextBoxSettings>(box->settings);
  (void)SetTextColor(dc, settings.text_colour);
  (void)SetBkColor(dc, ResolveBackground(settings.background_colour));
  return reinterpret_cast<LRESULT>(text_box_brush_.get());
}

void MainWindow::OnCommand(WPARAM wparam, LPARAM lparam) {
  const Entry* control = EntryOf(reinterpret_cast<HWND>(lparam));
  if (control != nullptr && control->kind == EntryKind::PushButton && HIWORD(wparam) == BN_CLICKED) {
    RaiseClicked(*control);
  }
}

void MainWindow::OnActivate(WPARAM wparam) {
  if (LOWORD(wparam) != WA_INACTIVE) return;
  HWND focus = GetFocus();
  if (IsFocusable(focus)) last_focus_ = focus;
}

void MainWindow::OnSetFocus() {
  HWND target = last_focus_;
  if (target == nullptr || IsWindow(target) == FALSE || !IsFocusable(target)) {
    const std::vector<HWND> order = FocusOrder();
    target = order.empty() ? nullptr : order.front();
  }
  if (target != nullptr) (void)SetFocus(target);
}

void MainWindow::OnDestroy() {
  // The controls still exist here; a handler may still reach them.
  if (built_) RaisePlain(description_.window.handlers.AboutToBeDestroyed);
}

void MainWindow::OnNcDestroy() {
  hwnd_ = nullptr;
  controls_.fill(nullptr);
  last_focus_ = nullptr;
  // Whatever worked behind the components goes with them. The about-to-be-destroyed event has
  // already run, so a drop target is unbound by now: OLE holds no reference to it any more.
  for (auto& chooser : choosers_) chooser.reset();
  for (auto& drop_target : drop_targets_) drop_target.reset();
  // The controls are gone before their parent's last message: nothing uses these any more.
  for (auto& label : labels_) label.reset();
  text_box_brush_.reset();
  text_box_font_.reset();
  button_font_.reset();
  big_icon_.reset();
  small_icon_.reset();
  layer_.OnWindowDestroyed();
}

// --- The layer ---

WindowLayer::WindowLayer(HINSTANCE instance) : instance_(instance) {}

WindowLayer::~WindowLayer() { Release(); }

MainWindow* WindowLayer::Load(std::span<const WindowDescription> descriptions, std::uint32_t number) {
  const auto found = std::find_if(descriptions.begin(), descriptions.end(),
                                  [number](const WindowDescription& d) { return d.number == number; });
  if (found == descriptions.end()) return nullptr;
  loaded_.push_back(std::make_unique<MainWindow>(*this, *found));
  MainWindow* window = loaded_.back().get();
  if (!window->Build(instance_)) {
    loaded_.pop_back();
    return nullptr;
  }
  window->RaiseCreatedAndShow();
  return window;
}

bool WindowLayer::PreTranslate(const MSG& msg) {
  for (const auto& window : loaded_) {
    if (window->PreTranslate(msg)) return true;
  }
  return false;
}

bool WindowLayer::AnyWindowAlive() const {
  return std::any_of(loaded_.begin(), loaded_.end(), [](const auto& w) { return w->Alive(); });
}

void WindowLayer::OnWindowDestroyed() {
  if (loop_running_ && !AnyWindowAlive()) PostQuitMessage(0);
}

void WindowLayer::Release() {
  // Destroying a window may call back into OnWindowDestroyed, which only reads the list.
  for (const auto& window : loaded_) window->Destroy();
  loaded_.clear();
}

}  // namespace quorvel::ui
