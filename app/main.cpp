// The process entry. The command line is ignored.
#include <windows.h>

#include "application.h"
#include "events.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/, int /*show*/) {
  // The built-in description with the program's own handlers bound to its events.
  const quorvel::ui::WindowDescription description = quorvel::ui::events::ProgramDescription();
  return quorvel::app::RunProgram(instance, {&description, 1});
}
