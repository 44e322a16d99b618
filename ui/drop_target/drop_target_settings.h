// The stored settings of a drop target, as the window description holds them.
#pragma once

namespace quorvel::ui {

struct DropTargetSettings {
  bool AcceptText = false;
  bool AcceptHtml = false;
  bool AcceptUrl = false;
  bool AcceptFiles = false;
};

}  // namespace quorvel::ui
