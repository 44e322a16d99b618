// The program's start routine with a main window that cannot be made: its class does not exist.
// The start-up tests run this to see the error box and the exit code of a failed load.
#include <windows.h>

#include "application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/, int /*show*/) {
  quorvel::ui::WindowDescription broken = quorvel::ui::MainWindowDescription();
  std::get<quorvel::ui::WindowSettings>(broken.window.settings).window_class_name = "QuorvelNoSuchClass";
  return quorvel::app::RunProgram(instance, {&broken, 1});
}
