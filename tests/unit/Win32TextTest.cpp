// The command line and console output of Windows programs: UTF-16 in, UTF-8 inside.
#include <gtest/gtest.h>

#include "platform/Win32Text.h"

namespace qvm {
namespace {

// argv of a Windows program holds only what the ANSI code page can; the UTF-16 command line
// holds every name.
TEST(Win32Text, ArgumentsArriveAsUtf8) {
  EXPECT_EQ(ArgumentsFromCommandLine(
                L"qvm.exe -C \"C:\\Games\\QVM7 SE\" attach caf\u00e9 \U0001F600.jpg \"\" a\\\"b"),
            (std::vector<std::string>{"qvm.exe", "-C", "C:\\Games\\QVM7 SE", "attach",
                                      "caf\xC3\xA9", "\xF0\x9F\x98\x80.jpg", "", "a\"b"}));
}

TEST(Win32Text, ACharacterCutByTheBufferWaitsForTheRest) {
  struct Case {
    std::string text;
    std::size_t whole;
  };
  for (const Case& c : {Case{"", 0}, Case{"abc", 3}, Case{"caf\xC3", 3}, Case{"caf\xC3\xA9", 5},
                        Case{"\xE2\x82", 0}, Case{"\xE2\x82\xAC", 3}, Case{"\xF0\x9F\x98", 0},
                        Case{"\xF0\x9F\x98\x80", 4}, Case{"a\x80", 2}, Case{"a\xFF", 2}}) {
    EXPECT_EQ(WholeUtf8Length(c.text), c.whole) << c.text;
  }
}

}  // namespace
}  // namespace qvm
