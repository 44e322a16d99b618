// The program's own behaviour on the main window: the handlers bound to its events, and the
// display of the probe's answer.
//
// `ProgramDescription()` is the built-in window description with these handlers bound; the start
// routine loads the window from it. The handlers are templates over the probe only so that tests
// can count the probes a click or a drop makes; the program uses GetProgramBitness.
#pragma once

#include <cstdint>
#include <optional>

#include "main_window/main_window.h"
#include "main_window/window_description.h"
#include "probe.h"

namespace quorvel::ui::events {

using Probe = std::int32_t (*)(const char* path);

// Writes the answer for the path in 编辑框1 twice, each from a probe of its own: as the window's
// Title, and with two leading spaces as the Caption of 透明标签1.
void ShowResult(MainWindow& window, Probe probe);

// Created: binds the drop target to 编辑框1.
void OnCreated(MainWindow& window);
// About to be destroyed: ends that binding while 编辑框1 still exists.
void OnAboutToBeDestroyed(MainWindow& window);
// 按钮1 clicked: the open-file dialog, then its FileName into 编辑框1, then the answer.
void ChooseAndShow(MainWindow& window, Probe probe);
// 拖放对象 FilesReceived: the dropped text into 编辑框1, then the answer.
void ReceiveAndShow(MainWindow& window, const char* text, Probe probe);
// 透明标签1 left button pressed: nothing, and no value, so the label still gets the press.
std::optional<bool> OnResultLabelPressed(MainWindow& window, std::uint32_t x, std::uint32_t y,
                                         std::int32_t key_state);

template <Probe probe>
void OnButtonClicked(MainWindow& window) {
  ChooseAndShow(window, probe);
}

template <Probe probe>
void OnFilesReceived(MainWindow& window, const char* text) {
  ReceiveAndShow(window, text, probe);
}

// The built-in description with the handlers above bound to their events.
template <Probe probe = &GetProgramBitness>
WindowDescription ProgramDescription() {
  WindowDescription description = MainWindowDescription();
  description.window.handlers.Created = &OnCreated;
  description.window.handlers.AboutToBeDestroyed = &OnAboutToBeDestroyed;
  description.Find(entry::按钮1)->handlers.Clicked = &OnButtonClicked<probe>;
  description.Find(entry::拖放对象)->handlers.FilesReceived = &OnFilesReceived<probe>;
  description.Find(entry::透明标签1)->handlers.LeftButtonPressed = &OnResultLabelPressed;
  return description;
}

}  // namespace quorvel::ui::events
