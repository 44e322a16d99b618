// The process entry. The command line is ignored.
#include <windows.h>

#include "application.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*command_line*/, int /*show*/) {
  return quorvel::app::RunProgram(instance, quorvel::ui::BuiltInDescriptions());
}
