#include <gtest/gtest.h>

#include <string>

#include "texts.h"

namespace quorvel::ui {
namespace {

TEST(Texts, LengthCountsBytesAndTreatsMissingAsEmpty) {
  EXPECT_EQ(TextLength(nullptr), 0u);
  EXPECT_EQ(TextLength(""), 0u);
  EXPECT_EQ(TextLength(kTitlePrefix), 12u);
  EXPECT_EQ(TextLength(kCaptionPrefix), 14u);
  EXPECT_EQ(TextLength(kSuffix), 6u);
}

TEST(Texts, ConcatJoinsInOrderWithMissingTextsEmpty) {
  struct Case {
    std::initializer_list<const char*> parts;
    std::string joined;
  };
  const Case cases[] = {
      {{"a"}, "a"},
      {{""}, ""},
      {{nullptr}, ""},
      {{"ab", nullptr, "c", ""}, "abc"},
      {{"C:\\x y\\", "\xD6\xD0\xCE\xC4", ".exe"}, "C:\\x y\\\xD6\xD0\xCE\xC4.exe"},
  };
  for (const Case& c : cases) {
    const Text joined = Concat(c.parts);
    ASSERT_NE(joined, nullptr);
    EXPECT_EQ(std::string(joined.get()), c.joined);
  }
}

TEST(Texts, DigitsAreDecimal) {
  EXPECT_STREQ(Digits(64).get(), "64");
  EXPECT_STREQ(Digits(32).get(), "32");
  EXPECT_STREQ(Digits(0).get(), "0");
  EXPECT_STREQ(Digits(-1).get(), "-1");
}

// The exact GBK bytes of the three fixed pieces; a re-encoding (UTF-8 source, ASCII colon) shows here.
TEST(Texts, FixedPiecesAreTheGbkBytes) {
  const unsigned char title[] = {0xC4, 0xFA, 0xB5, 0xC4, 0xB3, 0xCC, 0xD0, 0xF2, 0xCE, 0xAA, 0xA3, 0xBA};
  const unsigned char suffix[] = {0xCE, 0xBB, 0xB3, 0xCC, 0xD0, 0xF2};
  EXPECT_EQ(std::string(kTitlePrefix), std::string(reinterpret_cast<const char*>(title), sizeof title));
  EXPECT_EQ(std::string(kCaptionPrefix), "  " + std::string(kTitlePrefix));
  EXPECT_EQ(std::string(kSuffix), std::string(reinterpret_cast<const char*>(suffix), sizeof suffix));
}

}  // namespace
}  // namespace quorvel::ui
