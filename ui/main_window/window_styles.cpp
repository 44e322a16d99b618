#include "main_window/window_styles.h"

#include <cstring>

namespace quorvel::ui {
namespace {

bool IsEmpty(const char* text) { return text == nullptr || *text == '\0'; }

DWORD CommonChildStyle(const Entry& control) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  if (control.tab_stop) style |= WS_TABSTOP;
  if (control.disabled) style |= WS_DISABLED;
  return style;
}

DWORD TextBoxStyle(const TextBoxSettings& s) {
  DWORD style = 0;
  if (s.multi_line) style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  if (s.scroll_bars == ScrollBars::Vertical || s.scroll_bars == ScrollBars::Both) style |= WS_VSCROLL;
  const bool horizontal = s.scroll_bars == ScrollBars::Horizontal || s.scroll_bars == ScrollBars::Both;
  if (horizontal) style |= WS_HSCROLL;
  // Without a horizontal bar a multi-line box wraps its lines at its right edge.
  if (horizontal || !s.multi_line) style |= ES_AUTOHSCROLL;
  if (s.alignment == HorizontalAlignment::Centre) style |= ES_CENTER;
  if (s.alignment == HorizontalAlignment::Right) style |= ES_RIGHT;
  if (s.input_mode == InputMode::ReadOnly) style |= ES_READONLY;
  if (s.input_mode == InputMode::Password) style |= ES_PASSWORD;
  if (s.case_conversion == CaseConversion::Upper) style |= ES_UPPERCASE;
  if (s.case_conversion == CaseConversion::Lower) style |= ES_LOWERCASE;
  if (!s.hide_selection) style |= ES_NOHIDESEL;
  return style;
}

DWORD ButtonStyle(const ButtonSettings& s) {
  DWORD style = s.type == ButtonType::Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  switch (s.horizontal_alignment) {
    case HorizontalAlignment::Left: style |= BS_LEFT; break;
    case HorizontalAlignment::Centre: style |= BS_CENTER; break;
    case HorizontalAlignment::Right: style |= BS_RIGHT; break;
  }
  switch (s.vertical_alignment) {
    case VerticalAlignment::Top: style |= BS_TOP; break;
    case VerticalAlignment::Centre: style |= BS_VCENTER; break;
    case VerticalAlignment::Bottom: style |= BS_BOTTOM; break;
  }
  if (!IsEmpty(s.picture)) style |= BS_BITMAP;
  // Multi-line so that a long caption wraps inside the button instead of being cut.
  return style | BS_MULTILINE;
}

}  // namespace

DWORD CaptionBarStyle(const WindowSettings& settings, const char* title) {
  if (settings.border == Border::None) return 0;
  DWORD style = 0;
  if (!IsEmpty(title) || settings.control_box) style |= WS_CAPTION;
  if (settings.control_box) style |= WS_SYSMENU;
  return style;
}

DWORD MainWindowStyle(const WindowSettings& settings, const char* title) {
  DWORD style = WS_CLIPCHILDREN;
  if (settings.border != Border::None) {
    style |= CaptionBarStyle(settings, title) | WS_DLGFRAME;
    if (settings.border == Border::Sizable) style |= WS_THICKFRAME;
  }
  if (settings.maximise_button) style |= WS_MAXIMIZEBOX;
  if (settings.minimise_button) style |= WS_MINIMIZEBOX;
  return style;
}

WindowStyles ControlCreationStyles(const Entry& control) {
  const DWORD common = CommonChildStyle(control);
  switch (control.kind) {
    case EntryKind::TextBox:
      return {common | TextBoxStyle(std::get<TextBoxSettings>(control.settings)), 0};
    case EntryKind::PushButton:
      return {common | ButtonStyle(std::get<ButtonSettings>(control.settings)), 0};
    case EntryKind::TransparentLabel:
      // Transparent: the windows beneath are painted first, and the parent's WS_CLIPCHILDREN
      // does not cut the label's area out of the parent's painting.
      return {common, WS_EX_TRANSPARENT};
    case EntryKind::FileChooser:
    case EntryKind::DropTarget:
    case EntryKind::Window:
      break;
  }
  return {common, 0};
}

DWORD TextBoxExStyle(const TextBoxSettings& settings) {
  return settings.border == TextBoxBorder::Sunken ? WS_EX_CLIENTEDGE : 0;
}

LOGFONTA FontRequest(const LOGFONTA& stored) {
  LOGFONTA request = stored;
  request.lfCharSet = DEFAULT_CHARSET;
  request.lfOutPrecision = OUT_DEFAULT_PRECIS;
  request.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  request.lfQuality = PROOF_QUALITY;
  request.lfPitchAndFamily = DEFAULT_PITCH;
  return request;
}

unique_hfont MakeFont(const FontSetting& setting) {
  if (!setting) return unique_hfont{};
  const LOGFONTA request = FontRequest(*setting);
  return unique_hfont{CreateFontIndirectA(&request)};
}

COLORREF ResolveBackground(COLORREF colour) {
  return colour == kSystemDefaultColour ? GetSysColor(COLOR_BTNFACE) : colour;
}

bool TextBoxWantsEnter(const TextBoxSettings& settings) {
  return settings.multi_line && settings.input_mode != InputMode::ReadOnly;
}

}  // namespace quorvel::ui
