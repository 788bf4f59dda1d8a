#include "platform/Cp1252.h"

#include <gtest/gtest.h>

namespace qvm {
namespace {

TEST(Cp1252, CaseMappingsFollowWindows) {
  struct Case { unsigned char upper, lower; };
  const Case pairs[] = {{'A', 'a'}, {'Z', 'z'}, {0xC9, 0xE9} /* E acute */, {0xC0, 0xE0},
                        {0xDE, 0xFE}, {0x8A, 0x9A} /* S caron */, {0x8C, 0x9C} /* OE */,
                        {0x8E, 0x9E}, {0x9F, 0xFF} /* Y diaeresis */};
  for (const Case& c : pairs) {
    EXPECT_EQ(UpperCp1252(c.lower), c.upper) << int(c.lower);
    EXPECT_EQ(LowerCp1252(c.upper), c.lower) << int(c.upper);
  }
  // Bytes without a case partner in CP1252 stay as they are.
  for (int c : {0xD7 /* times */, 0xF7 /* divide */, 0xDF /* sharp s */, 0xB5 /* micro */,
                          0x83 /* f hook */, 0x31, 0x7C}) {
    auto byte = static_cast<unsigned char>(c);
    EXPECT_EQ(UpperCp1252(byte), byte) << c;
    EXPECT_EQ(LowerCp1252(byte), byte) << c;
  }
}

TEST(Cp1252, EveryByteSurvivesTheTripThroughUtf8) {
  std::string all;
  for (int i = 1; i < 256; ++i) all += static_cast<char>(i);
  auto back = Cp1252FromUtf8(Utf8FromCp1252(all));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
  EXPECT_EQ(Utf8FromCp1252("\x80\xE9"), "\xE2\x82\xAC\xC3\xA9");  // euro sign, e acute
}

TEST(Cp1252, Utf8ThatCp1252CannotHoldIsRefused) {
  for (std::string_view bad : {"\xCE\xA9" /* Greek Omega */, "\xC3" /* cut short */,
                               "\xC0\xAF" /* overlong slash */, "\xFF", "\xF0\x9F\x98\x80"}) {
    EXPECT_FALSE(Cp1252FromUtf8(bad).has_value()) << bad;
  }
}

TEST(Cp1252, ComparisonRulesDifferOnlyWhereTheyShould) {
  EXPECT_TRUE(EqualIgnoringCaseCp1252("Caf\xE9", "CAF\xC9"));
  EXPECT_FALSE(EqualIgnoringAsciiCase("Caf\xE9", "CAF\xC9"));  // only a-z folded
  EXPECT_TRUE(EqualIgnoringAsciiCase("Hero.JPG", "hero.jpg"));
  EXPECT_FALSE(EqualIgnoringCaseCp1252("ab", "abc"));
}

}  // namespace
}  // namespace qvm
