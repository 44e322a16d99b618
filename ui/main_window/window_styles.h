// How an entry's settings become window styles, fonts and colours.
#pragma once

#include <windows.h>

#include "common/unique_handle.h"
#include "main_window/window_description.h"

namespace quorvel::ui {

struct WindowStyles {
  DWORD style;
  DWORD ex_style;
};

// The main window's style: caption, frame and caption buttons follow from the border, the title,
// the control box and the two button settings. `title` is the current title.
DWORD MainWindowStyle(const WindowSettings& settings, const char* title);
// The caption-bar bits alone (WS_CAPTION, WS_SYSMENU), as derived again after a title change.
DWORD CaptionBarStyle(const WindowSettings& settings, const char* title);

// A control's style and extended style as given to CreateWindowExA, before it is shown; the
// text box's WS_EX_CLIENTEDGE is set after creation and is not part of `ex_style`.
WindowStyles ControlCreationStyles(const Entry& control);
// The text box's extended style, set once the box exists.
DWORD TextBoxExStyle(const TextBoxSettings& settings);

// A font made from a stored setting with the character set, precisions, quality and pitch
// replaced, so that the system's font mapper chooses; empty when there is no setting or the
// font cannot be made (the caller then uses DEFAULT_GUI_FONT).
unique_hfont MakeFont(const FontSetting& setting);
LOGFONTA FontRequest(const LOGFONTA& stored);

// A background or text colour: the system default stands for COLOR_BTNFACE, read each time.
COLORREF ResolveBackground(COLORREF colour);

// Whether the control wants this key itself (no modifiers held): a multi-line text box that is
// not read-only keeps Enter.
bool TextBoxWantsEnter(const TextBoxSettings& settings);

}  // namespace quorvel::ui
