#include "gamedb/GameTextReader.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace qvm {
namespace {

// Reads the expected numbers one after another, then one line: what the numbers left behind.
TEST(GameTextReaderTest, NumbersAndWhatTheyConsume) {
  struct Case {
    std::string in;
    std::vector<int> numbers;
    std::string restLine;
  };
  const Case cases[] = {
      {"  12", {12}, ""},
      {"12,x", {12}, "x"},
      {"12 ,x", {12}, "x"},
      {"12 x", {12}, "x"},  // no comma or line end follows: nothing more is consumed
      {"3.5", {4}, ""},
      {"2.5", {2}, ""},
      {"-1.5", {-2}, ""},
      {"-2.5", {-2}, ""},
      {"0.5", {0}, ""},
      {"2.51", {3}, ""},
      {"2.5000000000000000000000000000000000000000000000000000000000000000000000001", {3}, ""},
      {"+7", {7}, ""},
      {".5", {0}, ""},
      {"abc\r\nx", {0}, "x"},
      {"7abc\r\nx", {7}, "x"},
      {"1,2\r\nx", {1, 2}, "x"},
      {"1 2\r\nx", {1, 2}, "x"},
      {"12\t\n\t,5", {12, 5}, ""},    // TABs and LFs after the number, then the comma
      {"1\t2,x", {12}, "x"},          // TAB inside the item is passed over
      {"12 \r\nName", {12}, "Name"},  // blanks, then the line end is consumed
      {"12\rName", {12}, "Name"},
      {"12,\r\nName", {12}, ""},      // only one of comma or line end is consumed
      {",5", {0, 5}, ""},             // an empty item reads as 0
      {"\r\n5", {0, 5}, ""},
      {"99999999999", {INT_MAX}, ""},
      {"-99999999999", {INT_MIN}, ""},
      {"12\x1A" "34", {12, 0}, ""},  // Ctrl-Z ends the file
  };
  for (const Case& c : cases) {
    GameTextReader reader(c.in);
    for (size_t i = 0; i < c.numbers.size(); ++i) {
      EXPECT_EQ(reader.ReadNumber(), c.numbers[i]) << '"' << c.in << "\" number " << i + 1;
    }
    EXPECT_EQ(reader.ReadLine(), c.restLine) << '"' << c.in << '"';
  }
}

TEST(GameTextReaderTest, NumberAtAndPastTheEndOfTheFile) {
  GameTextReader reader("12");
  bool pastEnd = true;
  EXPECT_EQ(reader.ReadNumber(&pastEnd), 12);
  EXPECT_FALSE(pastEnd);
  EXPECT_TRUE(reader.AtEnd());
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(reader.ReadNumber(&pastEnd), 0);
    EXPECT_TRUE(pastEnd);
  }
  GameTextReader trailing("5\r\n  \t\n");
  EXPECT_EQ(trailing.ReadNumber(&pastEnd), 5);
  EXPECT_EQ(trailing.ReadNumber(&pastEnd), 0);
  EXPECT_TRUE(pastEnd) << "blanks, TABs and LFs before the end are no item";
}

TEST(GameTextReaderTest, Lines) {
  struct Case {
    std::string in;
    std::vector<std::string> lines;  // then two more reads past the end give empty lines
  };
  const Case cases[] = {
      {"a\rb\r\nc", {"a", "b", "c"}},
      {"a\nb\r\nc\n", {"a\nb", "c\n"}},  // a lone LF is an ordinary character
      {"ab\x1A" "cd\r\nef", {"ab"}},      // Ctrl-Z mid-line ends line and file
      {"\x1A" "ab", {}},
      {"last", {"last"}},
      {"", {}},
      {"\r\n\r\n", {"", ""}},
      {"a\r\r\nb\r\n", {"a", "", "b"}},
      {"\r\nb", {"", "b"}},
  };
  for (const Case& c : cases) {
    GameTextReader reader(c.in);
    for (const std::string& line : c.lines) {
      EXPECT_FALSE(reader.AtEnd()) << '"' << c.in << '"';
      EXPECT_EQ(reader.ReadLine(), line) << '"' << c.in << '"';
    }
    EXPECT_TRUE(reader.AtEnd()) << '"' << c.in << '"';
    EXPECT_EQ(reader.ReadLine(), "");
    EXPECT_EQ(reader.ReadLine(), "");
  }
}

TEST(GameTextReaderTest, SeekMovesWithinTheFileAndPastItsEnd) {
  std::string bytes = "2\r\nFirst\r\n\x1A" "Second\r\n";
  GameTextReader reader(bytes);
  reader.Seek(3);
  EXPECT_EQ(reader.ReadLine(), "First");
  EXPECT_TRUE(reader.AtEnd()) << "the Ctrl-Z ends reading here";
  reader.Seek(11);
  EXPECT_EQ(reader.ReadLine(), "Second") << "a seek beyond a Ctrl-Z reads on";
  for (long long offset : {-1LL, static_cast<long long>(bytes.size()), 1LL << 40}) {
    reader.Seek(offset);
    EXPECT_TRUE(reader.AtEnd()) << offset;
    EXPECT_EQ(reader.ReadLine(), "") << offset;
    EXPECT_EQ(reader.ReadNumber(), 0) << offset;
  }
}

}  // namespace
}  // namespace qvm
