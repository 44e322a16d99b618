// Each block is held in a buffer of exactly its own size, so a walk past its end shows up as a
// wrong count here and as a heap overflow in the sanitizer run.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "path_list.h"

namespace quorvel::ui {
namespace {

// The 20-byte header, then `list` as it stands (each test writes its own NULs).
std::string Block(const std::string& list, bool wide = false, std::uint32_t list_at = 20) {
  std::string block(20, '\0');
  for (int i = 0; i < 4; ++i) block[static_cast<std::size_t>(i)] = static_cast<char>(list_at >> (8 * i));
  block[16] = wide ? '\x01' : '\0';
  block.resize(list_at, '\0');
  return block + list;
}

using namespace std::string_literals;

struct ListCase {
  const char* name;
  std::string block;
  unsigned names;
};

class PathListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(PathListTest, CountsTheNamesInsideTheBlockOnly) {
  const std::string& bytes = GetParam().block;
  const auto exact = std::make_unique<unsigned char[]>(bytes.size());
  bytes.copy(reinterpret_cast<char*>(exact.get()), bytes.size());
  EXPECT_EQ(NamesInPathList(exact.get(), bytes.size()), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PathListTest,
    ::testing::Values(
        ListCase{"OneName", Block("C:\\a.exe\0\0"s), 1},
        ListCase{"ThreeNames", Block("C:\\a\0C:\\b c\0D:\\\xB3\xCC\xD0\xF2\0\0"s), 3},
        ListCase{"EmptyListClosedByOneNul", Block("\0"s), 0},
        ListCase{"EmptyListClosedByTwoNuls", Block("\0\0"s), 0},
        ListCase{"BytesAfterTheClosingNameAreNotNames", Block("C:\\a\0\0C:\\b\0\0"s), 1},
        ListCase{"ListNeverClosed", Block("C:\\a\0C:\\b\0"s), 0},
        ListCase{"NameNeverClosed", Block("C:\\a"s), 0},
        ListCase{"NoListAtAll", Block(""), 0},
        ListCase{"ListStartsFurtherOn", Block("C:\\a\0\0"s, false, 28), 1},
        ListCase{"ListStartsPastTheEnd", Block("C:\\a\0\0"s).substr(0, 20).replace(0, 1, "\x40"), 0},
        ListCase{"ListOffsetAtItsLargest", Block("\0\0"s).replace(0, 4, "\xFF\xFF\xFF\xFF"), 0},
        ListCase{"HeaderCutShort", Block("\0\0"s).substr(0, 19), 0},
        ListCase{"WideNames", Block("C\0:\0\\\0a\0\0\0\x0B\x7A\x8F\x5E\0\0\0\0"s, true), 2},
        ListCase{"WideZeroHighBytesAreNotNuls", Block("A\0\0\0\0\0"s, true), 1},
        ListCase{"WideEmptyList", Block("\0\0"s, true), 0},
        ListCase{"WideListEndsInHalfACharacter", Block("A\0\0\0\0"s, true), 0}),
    [](const ::testing::TestParamInfo<ListCase>& row) { return std::string(row.param.name); });

TEST(PathList, NoBlockHoldsNoNames) { EXPECT_EQ(NamesInPathList(nullptr, 64), 0u); }

}  // namespace
}  // namespace quorvel::ui
