// The stored settings of a file chooser, as the window description holds them.
#pragma once

#include <cstdint>

namespace quorvel::ui {

struct ChooserSettings {
  const char* DialogTitle = "";
  const char* FileName = "";
  const char* Filter = "";  // pairs of label and pattern separated by '|'
  std::int32_t FilterIndex = 0;
  const char* InitialDirectory = "";
  const char* DefaultExtension = "";
  bool CreatePrompt = false;
  bool FileMustExist = false;
  bool OverwritePrompt = false;
  bool PathMustExist = false;
  bool NoChangeDirectory = false;
};

}  // namespace quorvel::ui
