#include "texts.h"

#include <cstdio>
#include <cstring>

namespace quorvel::ui {

std::size_t TextLength(const char* text) { return text != nullptr ? std::strlen(text) : 0; }

Text Concat(std::initializer_list<const char*> texts) {
  std::size_t total = 0;
  for (const char* text : texts) total += TextLength(text);
  Text block(new char[total + 1]);
  char* out = block.get();
  for (const char* text : texts) {
    const std::size_t length = TextLength(text);
    if (length != 0) std::memcpy(out, text, length);
    out += length;
  }
  *out = '\0';
  return block;
}

Text Digits(std::int32_t number) {
  char digits[16];
  const int written = std::snprintf(digits, sizeof digits, "%d", static_cast<int>(number));
  return Concat({written > 0 ? digits : ""});
}

}  // namespace quorvel::ui
