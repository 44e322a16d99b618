#include "chooser_filter.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quorvel::ui {
namespace {

using namespace std::string_literals;

constexpr UINT kGbk = 936;

struct FilterCase {
  const char* name;
  std::string stored;
  std::optional<std::string> prepared;  // every byte the dialog reads, the last NUL included
};

class PrepareFilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(PrepareFilterTest, GivesTheBytesTheDialogReads) {
  const FilterCase& c = GetParam();
  EXPECT_EQ(PrepareFilter(c.stored, kGbk), c.prepared);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrepareFilterTest,
    ::testing::Values(
        // The stored type list: one entry labelled "*.exe" with an empty pattern.
        FilterCase{"Stored", "*.exe", "*.exe\0\0\0"s},
        FilterCase{"TrailingBlanks", "*.exe \t \r\n", "*.exe\0\0\0"s},
        FilterCase{"BlanksInsideKept", " a b |*.x ", " a b \0*.x\0\0\0"s},
        FilterCase{"AlreadyTerminated", "a|b||", "a\0b\0\0\0"s},
        FilterCase{"AlreadyTerminatedThenBlanks", "a|b||  ", "a\0b\0\0\0"s},
        FilterCase{"OneTrailingBar", "a|b|", "a\0b\0\0\0\0"s},
        FilterCase{"LabelAndPattern", "Programs|*.exe", "Programs\0*.exe\0\0\0"s},
        FilterCase{"TwoEntries", "A|*.a|B|*.b", "A\0*.a\0B\0*.b\0\0\0"s},
        FilterCase{"Empty", "", std::nullopt},
        FilterCase{"AllBlank", " \t \r\n ", std::nullopt},
        // "亅" is 0x81 0x7C in GBK: its trail byte is not a separator.
        FilterCase{"GbkTrailByteIsNoBar", "\x81\x7C|*.exe", "\x81\x7C\0*.exe\0\0\0"s},
        // "亅|" ends in one bar character, not in "||": the list still needs its end.
        FilterCase{"GbkTrailByteBeforeLastBar", "\x81\x7C|", "\x81\x7C\0\0\0\0"s},
        // "程序|*.exe" (0xB3CC 0xD0F2): ordinary double-byte characters pass unchanged.
        FilterCase{"GbkLabel", "\xB3\xCC\xD0\xF2|*.exe", "\xB3\xCC\xD0\xF2\0*.exe\0\0\0"s}),
    [](const ::testing::TestParamInfo<FilterCase>& row) { return std::string(row.param.name); });

TEST(PrepareFilterCodePage, ASingleByteCodePageTakesEveryBarAsASeparator) {
  // In code page 1252 0x81 is a character of its own, so the 0x7C after it is a bar.
  EXPECT_EQ(PrepareFilter("\x81\x7C|*.exe", 1252), std::optional<std::string>("\x81\0\0*.exe\0\0\0"s));
}

}  // namespace
}  // namespace quorvel::ui
