// The built-in description of the main window. Every number, place, text and setting of the
// window lives here and nowhere else.
#include "main_window/window_description.h"

#include <utility>

namespace quorvel::ui {
namespace {

// A stored font: only the height differs between the controls. The character set, precisions,
// quality and pitch stored here are replaced when a font is made, so the system's font mapper
// picks the face (the face name is empty).
constexpr LOGFONTA StoredFont(LONG height) {
  return LOGFONTA{height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                  GB2312_CHARSET, OUT_STROKE_PRECIS, CLIP_STROKE_PRECIS, DRAFT_QUALITY,
                  VARIABLE_PITCH | FF_SWISS, {}};
}

const WindowDescription kMainWindow{
    kMainWindowNumber,
    Entry{entry::MainWindow, "", EntryKind::Window, 50, 50, 377, 197, "", true, false, false, 0,
          MousePointer::Default,
          WindowSettings{
              "Quorvel", Border::Fixed, kSystemDefaultColour, "", PictureLayout::Tiled, "",
              SoundPlayMode::Loop,
              /*control_box=*/true, /*maximise_button=*/false, /*minimise_button=*/true,
              StartPosition::CentredOnScreen, /*movable=*/true, /*icon=*/"",
              /*enter_moves_focus=*/false, /*esc_closes=*/true, /*f1_opens_help=*/false,
              /*help_file=*/"", /*help_topic=*/0, /*shown_in_taskbar=*/true,
              /*drag_from_anywhere=*/false, Shape::Rectangle, /*always_on_top=*/false,
              /*caption_kept_active=*/false, /*window_class_name=*/""},
          {}},
    {{
        Entry{entry::透明标签2,
              "\xCD\xB8\xC3\xF7\xB1\xEA\xC7\xA9" "2",  // 透明标签2
              EntryKind::TransparentLabel, 16, 0, 352, 32, "", true, false, false, 0,
              MousePointer::Default,
              LabelSettings{
                  // " 可以拖入程序到文本框，也可以选择文件" (full-width comma)
                  " \xBF\xC9\xD2\xD4\xCD\xCF\xC8\xEB\xB3\xCC\xD0\xF2\xB5\xBD\xCE\xC4\xB1\xBE\xBF\xF2"
                  "\xA3\xAC\xD2\xB2\xBF\xC9\xD2\xD4\xD1\xA1\xD4\xF1\xCE\xC4\xBC\xFE",
                  LabelEffect::None, StoredFont(-16), 0x00008000, HorizontalAlignment::Left,
                  /*word_wrap=*/false, VerticalAlignment::Centre},
              {}},
        Entry{entry::拖放对象,
              "\xCD\xCF\xB7\xC5\xB6\xD4\xCF\xF3",  // 拖放对象
              EntryKind::DropTarget, 120, 40, 48, 24, "", false, false, false, 0,
              MousePointer::Default,
              DropTargetSettings{/*AcceptText=*/true, /*AcceptHtml=*/true, /*AcceptUrl=*/true,
                                 /*AcceptFiles=*/true},
              {}},
        Entry{entry::透明标签1,
              "\xCD\xB8\xC3\xF7\xB1\xEA\xC7\xA9" "1",  // 透明标签1
              EntryKind::TransparentLabel, -8, 96, 384, 56, "", true, false, false, 0,
              MousePointer::Default,
              LabelSettings{
                  "     \xC4\xFA\xB5\xC4\xB3\xCC\xD0\xF2\xCE\xAA\xA3\xBA",  // "     您的程序为："
                  LabelEffect::None, StoredFont(-24), 0x000000FF, HorizontalAlignment::Left,
                  /*word_wrap=*/false, VerticalAlignment::Centre},
              {}},
        Entry{entry::编辑框1,
              "\xB1\xE0\xBC\xAD\xBF\xF2" "1",  // 编辑框1
              EntryKind::TextBox, 8, 32, 264, 48, "", true, false, true, 0,
              MousePointer::Default,
              TextBoxSettings{
                  /*Content=*/"", TextBoxBorder::Sunken, 0x000000FF, 0x00FFFFFF, StoredFont(-14),
                  /*hide_selection=*/true, /*maximum_length=*/0, /*multi_line=*/true,
                  ScrollBars::Vertical, HorizontalAlignment::Left, InputMode::Normal,
                  /*password_character=*/"*", CaseConversion::None, /*spin_adjuster=*/false,
                  /*adjuster_minimum=*/0, /*adjuster_maximum=*/100, /*selection_start=*/0,
                  /*selection_length=*/0, /*data_source=*/"", /*data_column=*/""},
              {}},
        Entry{entry::通用对话框1,
              "\xCD\xA8\xD3\xC3\xB6\xD4\xBB\xB0\xBF\xF2" "1",  // 通用对话框1
              EntryKind::FileChooser, 256, 88, 72, 32, "", false, false, false, 0,
              MousePointer::Default,
              ChooserSettings{/*DialogTitle=*/"", /*FileName=*/"", /*Filter=*/"*.exe",
                              /*FilterIndex=*/0, /*InitialDirectory=*/"", /*DefaultExtension=*/"",
                              /*CreatePrompt=*/false, /*FileMustExist=*/true,
                              /*OverwritePrompt=*/true, /*PathMustExist=*/true,
                              /*NoChangeDirectory=*/false},
              {}},
        Entry{entry::按钮1,
              "\xB0\xB4\xC5\xA5" "1",  // 按钮1
              EntryKind::PushButton, 280, 32, 80, 40, "", true, false, true, 0,
              MousePointer::Default,
              ButtonSettings{/*picture=*/"", ButtonType::Normal,
                             "\xD1\xA1\xD4\xF1\xCE\xC4\xBC\xFE",  // "选择文件"
                             HorizontalAlignment::Centre, VerticalAlignment::Centre,
                             /*font=*/std::nullopt},
              {}},
    }}};

}  // namespace

Entry* WindowDescription::Find(std::uint32_t entry_number) {
  return const_cast<Entry*>(std::as_const(*this).Find(entry_number));
}

const Entry* WindowDescription::Find(std::uint32_t entry_number) const {
  if (window.number == entry_number) return &window;
  for (const Entry& control : controls) {
    if (control.number == entry_number) return &control;
  }
  return nullptr;
}

const WindowDescription& MainWindowDescription() { return kMainWindow; }

std::span<const WindowDescription> BuiltInDescriptions() { return {&kMainWindow, 1}; }

}  // namespace quorvel::ui
