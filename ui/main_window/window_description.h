// The window description: the main window and its six controls as one table of data.
//
// How to use it
// -------------
// The table is `MainWindowDescription()`; `BuiltInDescriptions()` is the list the start routine
// loads from by number (`kMainWindowNumber`). Every entry holds its number, name, kind, rectangle,
// flags and the settings of its kind, and a `Handlers` block: one slot per event, nullptr when
// the event has no handler. A handler is a plain routine; its first argument is the loaded
// window that raised the event, so it can reach the window's operations (see main_window.h).
//
//   void OnButtonClicked(quorvel::ui::MainWindow& window) { ... }
//
//   quorvel::ui::WindowDescription description = quorvel::ui::MainWindowDescription();
//   description.Find(quorvel::ui::entry::按钮1)->handlers.Clicked = &OnButtonClicked;
//   quorvel::ui::WindowLayer layer(instance);
//   quorvel::ui::MainWindow* window = layer.Load({&description, 1}, quorvel::ui::kMainWindowNumber);
//
// The shipped table leaves every handler empty; the program's event handlers are bound in a copy
// of it before it is loaded. Numbers are written once, here: the window layer builds from this
// table and the tests assert against it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>

#include "chooser/chooser_settings.h"
#include "drop_target/drop_target_settings.h"

namespace quorvel::ui {

class MainWindow;

// The numbers by which the program addresses the window and its entries.
inline constexpr std::uint32_t kMainWindowNumber = 0x52010001;
namespace entry {
inline constexpr std::uint32_t MainWindow = 0x06010000;
inline constexpr std::uint32_t 透明标签2 = 0x16010018;
inline constexpr std::uint32_t 拖放对象 = 0x1601000D;
inline constexpr std::uint32_t 透明标签1 = 0x1601000A;
inline constexpr std::uint32_t 编辑框1 = 0x16010004;
inline constexpr std::uint32_t 通用对话框1 = 0x16010003;
inline constexpr std::uint32_t 按钮1 = 0x16010002;
}  // namespace entry

// Colours are COLORREF values; this one stands for the system's default colour.
inline constexpr COLORREF kSystemDefaultColour = 0xFF000000;

enum class EntryKind { Window, TransparentLabel, TextBox, PushButton, FileChooser, DropTarget };
enum class MousePointer { Default };
enum class Border { None, Fixed, Sizable };
enum class PictureLayout { Tiled, Centred, Stretched };
enum class SoundPlayMode { Once, Loop };
enum class StartPosition { Manual, CentredOnScreen };
enum class Shape { Rectangle };
enum class TextBoxBorder { None, Sunken };
enum class ScrollBars { None, Horizontal, Vertical, Both };
enum class HorizontalAlignment { Left, Centre, Right };
enum class VerticalAlignment { Top, Centre, Bottom };
enum class InputMode { Normal, ReadOnly, Password };
enum class CaseConversion { None, Upper, Lower };
enum class LabelEffect { None, Raised, Shadowed };
enum class ButtonType { Normal, Default };

// Event handlers. Event numbers are the entry's own: the window's created event is 0 and its
// about-to-be-destroyed event 2, the button's clicked event 0, the drop target's text events 0
// to 3, and -1 the left-button-pressed event of the window and each visible control.
using PlainHandler = void (*)(MainWindow& window);
// x and y in the entry's client coordinates; key state 1 Ctrl + 2 Shift + 4 Alt. No value, or
// true, lets the message through; false consumes it.
using MouseHandler = std::optional<bool> (*)(MainWindow& window, std::uint32_t x, std::uint32_t y,
                                             std::int32_t key_state);
// The text belongs to the raiser and lives for the length of the call.
using TextHandler = void (*)(MainWindow& window, const char* text);

struct Handlers {
  PlainHandler Created = nullptr;             // window, event 0
  PlainHandler Moved = nullptr;               // window notification
  PlainHandler Resized = nullptr;             // window notification
  PlainHandler AboutToBeDestroyed = nullptr;  // window, event 2
  PlainHandler Clicked = nullptr;             // push button, event 0
  MouseHandler LeftButtonPressed = nullptr;   // window and visible controls, event -1
  TextHandler TextReceived = nullptr;         // drop target, event 0
  TextHandler HtmlReceived = nullptr;         // drop target, event 1
  TextHandler UrlReceived = nullptr;          // drop target, event 2
  TextHandler FilesReceived = nullptr;        // drop target, event 3
};

// A font setting: a stored LOGFONTA, or nothing (DEFAULT_GUI_FONT).
using FontSetting = std::optional<LOGFONTA>;

// Settings from number 8 on, in their numbered order, per kind.
struct WindowSettings {
  const char* Title;
  Border border;
  COLORREF background_colour;
  const char* background_picture;  // empty: none
  PictureLayout picture_layout;
  const char* background_sound;  // empty: none
  SoundPlayMode sound_play_mode;
  bool control_box;
  bool maximise_button;
  bool minimise_button;
  StartPosition start_position;
  bool movable;
  const char* icon;  // empty: the icon resource DEFAULT_ICON
  bool enter_moves_focus;
  bool esc_closes;
  bool f1_opens_help;
  const char* help_file;
  std::int32_t help_topic;
  bool shown_in_taskbar;
  bool drag_from_anywhere;
  Shape shape;
  bool always_on_top;
  bool caption_kept_active;
  const char* window_class_name;  // empty: the program's own default class
};

struct TextBoxSettings {
  const char* Content;
  TextBoxBorder border;
  COLORREF text_colour;
  COLORREF background_colour;
  FontSetting font;
  bool hide_selection;
  std::int32_t maximum_length;
  bool multi_line;
  ScrollBars scroll_bars;
  HorizontalAlignment alignment;
  InputMode input_mode;
  const char* password_character;
  CaseConversion case_conversion;
  bool spin_adjuster;
  std::int32_t adjuster_minimum;
  std::int32_t adjuster_maximum;
  std::int32_t selection_start;
  std::int32_t selection_length;
  const char* data_source;
  const char* data_column;
};

struct LabelSettings {
  const char* Caption;
  LabelEffect effect;
  FontSetting font;
  COLORREF text_colour;
  HorizontalAlignment horizontal_alignment;
  bool word_wrap;
  VerticalAlignment vertical_alignment;
};

struct ButtonSettings {
  const char* picture;  // empty: a text button
  ButtonType type;
  const char* Caption;
  HorizontalAlignment horizontal_alignment;
  VerticalAlignment vertical_alignment;
  FontSetting font;
};

using Settings = std::variant<WindowSettings, LabelSettings, TextBoxSettings, ButtonSettings,
                              ChooserSettings, DropTargetSettings>;

struct Entry {
  std::uint32_t number;
  const char* name;  // GBK; empty for the window itself
  EntryKind kind;
  std::int32_t left, top, width, height;
  const char* tag;
  bool visible;
  bool disabled;
  bool tab_stop;
  std::int32_t tab_order;
  MousePointer mouse_pointer;
  Settings settings;
  Handlers handlers;
};

inline constexpr std::size_t kControlCount = 6;

struct WindowDescription {
  std::uint32_t number;
  Entry window;
  // In list order: the first lies on top of the stacking order and is created last.
  std::array<Entry, kControlCount> controls;

  // The window's own entry or one of the controls, by number; nullptr when there is none.
  Entry* Find(std::uint32_t entry_number);
  const Entry* Find(std::uint32_t entry_number) const;
};

// The description of the program's main window, as built into the program.
const WindowDescription& MainWindowDescription();
// Every window description the program holds, searched by number when a window is loaded.
std::span<const WindowDescription> BuiltInDescriptions();

// The child-window identifier of the control created n-th (0-based): 100, 110, 120 ...
constexpr int ChildIdForCreationIndex(std::size_t n) { return 100 + 10 * static_cast<int>(n); }

}  // namespace quorvel::ui
