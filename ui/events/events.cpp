#include "events.h"

#include <string>

#include "chooser/file_chooser.h"
#include "drop_target/drop_target.h"
#include "texts.h"

namespace quorvel::ui::events {

namespace {

// Reads 编辑框1 afresh, probes the path it holds, and makes the prefix, the digits and the suffix
// into one text.
Text AnswerText(const MainWindow& window, Probe probe, const char* prefix) {
  std::int32_t bitness = 0;
  {
    const std::string content = window.ReadContent();
    bitness = probe(content.c_str());
  }
  const Text digits = Digits(bitness);
  return Concat({prefix, digits.get(), kSuffix});
}

}  // namespace

void ShowResult(MainWindow& window, Probe probe) {
  window.SetTitle(AnswerText(window, probe, kTitlePrefix).get());
  // A second probe, which reads the file afresh: the two texts differ only if the file changed
  // in between.
  window.WriteCaption(entry::透明标签1, AnswerText(window, probe, kCaptionPrefix).get());
}

void OnCreated(MainWindow& window) {
  if (DropTarget* drop_target = window.DropTargetOf(entry::拖放对象)) {
    // Nothing else binds 编辑框1; should the system refuse, the box simply takes no drops.
    (void)drop_target->Register(window.ControlHandle(entry::编辑框1));
  }
}

void OnAboutToBeDestroyed(MainWindow& window) {
  if (DropTarget* drop_target = window.DropTargetOf(entry::拖放对象)) {
    drop_target->Revoke(window.ControlHandle(entry::编辑框1));
  }
}

void ChooseAndShow(MainWindow& window, Probe probe) {
  FileChooser* chooser = window.ChooserOf(entry::通用对话框1);
  if (chooser == nullptr) return;
  // Confirmed or not, the box gets FileName: after a cancel that is the last confirmed path, or
  // the empty text before any, and it is probed again either way.
  (void)chooser->Open();
  {
    const std::string file_name = chooser->FileName();
    window.WriteContent(file_name.c_str());
  }
  ShowResult(window, probe);
}

void ReceiveAndShow(MainWindow& window, const char* text, Probe probe) {
  window.WriteContent(text);  // the text stays the drop target's
  ShowResult(window, probe);
}

std::optional<bool> OnResultLabelPressed(MainWindow&, std::uint32_t, std::uint32_t, std::int32_t) {
  return std::nullopt;
}

}  // namespace quorvel::ui::events
