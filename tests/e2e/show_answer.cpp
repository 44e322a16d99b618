// Makes the running quorvel.exe show an answer, for the screenshot script: clicks its button and
// confirms the given file in the open-file dialog.
//   show_answer PATH      exit code 0 when the answer is shown
#include <windows.h>

#include <cstdio>
#include <string>

#include "tool_driver.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: show_answer PATH\n");
    return 2;
  }
  HWND main_window = nullptr;
  quorvel::testing::WaitUntil([&] {
    main_window = FindWindowA(quorvel::ui::kMainWindowClass, nullptr);
    return main_window != nullptr && IsWindowVisible(main_window);
  });
  const auto tool = quorvel::e2e::ToolWindows::Of(main_window);
  if (!tool.complete()) {
    std::fprintf(stderr, "show_answer: no Quorvel window\n");
    return 1;
  }
  const std::string trouble = quorvel::e2e::ChooseInDialog(tool, argv[1]);
  if (!trouble.empty()) {
    std::fprintf(stderr, "show_answer: %s\n", trouble.c_str());
    return 1;
  }
  return 0;
}
