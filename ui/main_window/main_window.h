// The window layer: builds windows from their description (window_description.h), raises their
// events to the handlers bound there, offers the message loop's messages to them first, and
// posts the quit message once the last loaded window is gone.
//
// Loading and using the main window
// ---------------------------------
//   quorvel::ui::WindowLayer layer(instance);         // one per process, in the application state
//   quorvel::ui::MainWindow* window = layer.Load(descriptions, quorvel::ui::kMainWindowNumber);
//   if (window == nullptr) { /* the load failed as a whole; no window exists */ }
//   layer.SetLoopRunning();                          // from now on the quit rule applies
//   while (GetMessageA(&msg, nullptr, 0, 0) > 0)
//     if (!layer.PreTranslate(msg)) { TranslateMessage(&msg); DispatchMessageA(&msg); }
//
// Handlers receive the MainWindow that raised the event and use its operations:
//   window.SetTitle(text);  window.ReadContent();  window.WriteContent(text);
//   window.WriteCaption(entry::透明标签1, text);  window.ControlHandle(entry::编辑框1);
// The two components (file chooser, drop target) are never-shown child windows; reach them with
// ControlHandle(entry::通用对话框1 / entry::拖放对象), their stored settings with
// ChooserSettingsOf / DropTargetSettingsOf, and the component objects the window builds behind
// them, made from those settings, with ChooserOf / DropTargetOf. The objects live until the
// window is gone, after the about-to-be-destroyed event; the drop target's events reach the
// table's handlers through RaiseText(entry::拖放对象, 3, text).
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "chooser/file_chooser.h"
#include "common/unique_handle.h"
#include "drop_target/drop_target.h"
#include "main_window/window_description.h"

namespace quorvel::ui {

class WindowLayer;
class TransparentLabel;

class MainWindow {
 public:
  MainWindow(WindowLayer& layer, const WindowDescription& description);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow();

  // --- Operations for the event handlers ---
  // Keeps the text, gives it to the window and derives the caption-bar styles again.
  void SetTitle(const char* text);
  // A fresh copy of the text box's current text (whatever put it there).
  std::string ReadContent(std::uint32_t text_box = entry::编辑框1) const;
  // Replaces the whole text of the box.
  void WriteContent(const char* text, std::uint32_t text_box = entry::编辑框1);
  // Keeps the text, makes it the label's window text and repaints what lies under the label.
  void WriteCaption(std::uint32_t label, const char* text);

  HWND Handle() const { return hwnd_; }
  // The window of a control by its number; nullptr when there is no such control or it is gone.
  HWND ControlHandle(std::uint32_t number) const;
  const WindowDescription& Description() const { return description_; }
  const ChooserSettings* ChooserSettingsOf(std::uint32_t number) const;
  const DropTargetSettings* DropTargetSettingsOf(std::uint32_t number) const;
  // The object that works behind a component's window; nullptr for any other entry, and once
  // the window is gone.
  FileChooser* ChooserOf(std::uint32_t number) const;
  DropTarget* DropTargetOf(std::uint32_t number) const;

  // Raises a component's text event (the drop target's events 0 to 3) into its handler.
  void RaiseText(std::uint32_t number, std::int32_t event, const char* text);

  // Alive while its window exists.
  bool Alive() const { return hwnd_ != nullptr && IsWindow(hwnd_) != FALSE; }

  // --- For the window layer ---
  // Creates the window and its controls hidden, sets the stacking order and shows the visible
  // controls. False when any of it fails; nothing is left behind then.
  [[nodiscard]] bool Build(HINSTANCE instance);
  // Raises the created event and the moved and resized notifications, then shows the window.
  void RaiseCreatedAndShow();
  // True when the message was consumed.
  bool PreTranslate(const MSG& msg);
  void Destroy();

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnPaint();
  LRESULT OnCtlColorEdit(HDC dc, HWND control);
  void OnCommand(WPARAM wparam, LPARAM lparam);
  void OnActivate(WPARAM wparam);
  void OnSetFocus();
  void OnDestroy();
  void OnNcDestroy();

  bool CreateMainWindow(HINSTANCE instance);
  bool CreateControl(HINSTANCE instance, std::size_t list_index, int child_id);
  void SetIcons(HINSTANCE instance);
  void DeriveCaptionStyles();

  bool HandleKeyDown(const MSG& msg);
  bool HandleLeftButtonDown(const MSG& msg);
  std::vector<HWND> FocusOrder() const;
  void MoveFocus(int step);
  bool IsFocusable(HWND hwnd) const;
  void RaiseClicked(const Entry& button);
  void RaisePlain(PlainHandler handler);
  const Entry* EntryOf(HWND hwnd) const;
  std::size_t IndexOf(std::uint32_t number) const;
  TransparentLabel* LabelOf(std::uint32_t number) const;

  WindowLayer& layer_;
  WindowDescription description_;
  const WindowSettings& settings_;
  std::string title_;
  HWND hwnd_ = nullptr;
  bool built_ = false;
  std::array<HWND, kControlCount> controls_{};  // list order
  std::array<std::unique_ptr<TransparentLabel>, kControlCount> labels_;
  std::array<std::unique_ptr<FileChooser>, kControlCount> choosers_;     // list order
  std::array<std::unique_ptr<DropTarget>, kControlCount> drop_targets_;  // list order
  unique_hbrush text_box_brush_;
  unique_hfont text_box_font_;
  unique_hfont button_font_;
  unique_hicon big_icon_;
  unique_hicon small_icon_;
  HWND last_focus_ = nullptr;
  HFONT font_ = nullptr;  // a stock font: never deleted
};

class WindowLayer {
 public:
  explicit WindowLayer(HINSTANCE instance);
  WindowLayer(const WindowLayer&) = delete;
  WindowLayer& operator=(const WindowLayer&) = delete;
  ~WindowLayer();

  // Builds the window with this number from the descriptions, raises its created event and shows
  // it. nullptr when there is no such description or the window or a control cannot be made.
  MainWindow* Load(std::span<const WindowDescription> descriptions, std::uint32_t number);

  // Offers a message to the loaded window it belongs to; true when consumed.
  bool PreTranslate(const MSG& msg);
  bool AnyWindowAlive() const;
  void SetLoopRunning() { loop_running_ = true; }
  bool LoopRunning() const { return loop_running_; }
  // Destroys every window still alive and forgets them all.
  void Release();
  HINSTANCE Instance() const { return instance_; }

  // Called by a window once its WM_NCDESTROY processing is over.
  void OnWindowDestroyed();

 private:
  HINSTANCE instance_;
  std::vector<std::unique_ptr<MainWindow>> loaded_;
  bool loop_running_ = false;
};

// The names of the program's own window classes.
inline constexpr const char* kMainWindowClass = "QuorvelWindow";
inline constexpr const char* kLabelClass = "QuorvelTransparentLabel";
inline constexpr const char* kComponentClass = "QuorvelComponent";

}  // namespace quorvel::ui
