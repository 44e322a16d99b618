// Texts as the handlers hold them: zero-terminated byte strings in the ANSI code page, each
// owned by exactly one holder and released after its last use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

namespace quorvel::ui {

using Text = std::unique_ptr<char[]>;

// Bytes before the terminating zero; a missing text has length 0.
[[nodiscard]] std::size_t TextLength(const char* text);

// One fresh block holding the texts one after another, in order, and a zero byte; a missing
// text counts as the empty text.
[[nodiscard]] Text Concat(std::initializer_list<const char*> texts);

// Plain decimal digits, as "%d" writes them.
[[nodiscard]] Text Digits(std::int32_t number);

// The fixed pieces of the result texts, as GBK bytes.
inline constexpr char kTitlePrefix[] = "\xC4\xFA\xB5\xC4\xB3\xCC\xD0\xF2\xCE\xAA\xA3\xBA";  // 您的程序为：
inline constexpr char kCaptionPrefix[] = "  \xC4\xFA\xB5\xC4\xB3\xCC\xD0\xF2\xCE\xAA\xA3\xBA";  // "  您的程序为："
inline constexpr char kSuffix[] = "\xCE\xBB\xB3\xCC\xD0\xF2";  // 位程序

}  // namespace quorvel::ui
