#include "chooser_filter.h"

#include <vector>

namespace quorvel::ui {
namespace {

bool IsTrailingSpace(char c) {
  // The ASCII white space of the C locale. No GBK trail byte (0x40 to 0xFE) is among these,
  // so trimming byte by byte never splits a character.
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Where each character of `text` starts. A lead byte takes the byte after it along, even a
// '|' (0x7C is a valid GBK trail byte); a lead byte at the very end stands alone.
std::vector<std::size_t> CharacterStarts(std::string_view text, UINT code_page) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size(); ++i) {
    starts.push_back(i);
    const auto byte = static_cast<BYTE>(text[i]);
    if (IsDBCSLeadByteEx(code_page, byte) && i + 1 < text.size()) ++i;
  }
  return starts;
}

bool IsBarAt(std::string_view text, std::size_t at) { return text[at] == '|'; }

}  // namespace

std::optional<std::string> PrepareFilter(std::string_view filter, UINT code_page) {
  std::size_t end = filter.size();
  while (end > 0 && IsTrailingSpace(filter[end - 1])) --end;
  if (end == 0) return std::nullopt;

  std::string text(filter.substr(0, end));
  auto starts = CharacterStarts(text, code_page);

  // "Ends in ||" is a question about the last two characters, not the last two bytes: a
  // double-byte character whose trail byte is 0x7C followed by one '|' ends in one bar only.
  const std::size_t count = starts.size();
  const bool terminated = count >= 2 && starts[count - 1] == text.size() - 1 &&
                          starts[count - 2] == text.size() - 2 && IsBarAt(text, text.size() - 1) &&
                          IsBarAt(text, text.size() - 2);
  if (!terminated) {
    starts.push_back(text.size());
    starts.push_back(text.size() + 1);
    text += "||";
  }

  for (const std::size_t at : starts) {
    if (text[at] == '|') text[at] = '\0';
  }
  text.push_back('\0');
  return text;
}

}  // namespace quorvel::ui
