// A label that paints only its text, over whatever lies beneath it.
#pragma once

#include <windows.h>

#include <string>

#include "main_window/window_description.h"

namespace quorvel::ui {

class TransparentLabel {
 public:
  explicit TransparentLabel(const LabelSettings& settings);
  TransparentLabel(const TransparentLabel&) = delete;
  TransparentLabel& operator=(const TransparentLabel&) = delete;

  [[nodiscard]] static bool RegisterClassOnce(HINSTANCE instance);
  // Creates the label window, hidden, with its caption as window text.
  [[nodiscard]] bool Create(HINSTANCE instance, HWND parent, const Entry& entry, DWORD style,
                            DWORD ex_style, int child_id);

  HWND Handle() const { return hwnd_; }
  void SetCaption(const char* text);

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnPaint();
  void OnSetFocus(HWND previous);
  void RepaintBeneath();

  const LabelSettings& settings_;
  std::string caption_;
  HWND hwnd_ = nullptr;
};

}  // namespace quorvel::ui
