// The type list of the open-file dialog, turned from its stored '|' form into the form the
// system dialog reads.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace quorvel::ui {

// Trailing white space is trimmed, "||" is appended unless the text already ends in it, and
// every '|' character becomes a NUL byte. The answer holds every byte the dialog reads, the
// final NUL included ("*.exe" gives the eight bytes "*.exe\0\0\0"). No filter at all
// (std::nullopt) when the trimmed text is empty.
//
// `code_page` says how the bytes are read as characters: the trail byte of a double-byte
// character is never taken for a '|'. The program passes CP_ACP; tests name 936 explicitly.
[[nodiscard]] std::optional<std::string> PrepareFilter(std::string_view filter, UINT code_page = CP_ACP);

}  // namespace quorvel::ui
