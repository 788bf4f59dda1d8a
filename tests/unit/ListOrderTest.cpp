#include "platform/ListOrder.h"

#include <gtest/gtest.h>

#include <string>

namespace qvm {
namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(ListOrderTest, PairsCompareAsAWindowsListBox) {
  struct Case {
    const char* a;
    const char* b;
    int expected;  // sign of CompareListOrder(a, b)
  };
  const Case cases[] = {
      // Letter case never decides.
      {"adam", "Adam", 0},
      {"alice", "Bob", -1},
      {"ALICE", "bob", -1},
      {"\xE9lan", "\xC9LAN", 0},
      // Accented letters stand beside their base letter; the plain letter first on a tie.
      {"\xC9lan", "Emma", -1},
      {"Zoe", "\xC9mile", 1},
      {"e", "\xE9", -1},
      {"\xE9", "f", -1},
      {"\xC9" "a", "eb", -1},
      {"M\xFCller", "Muller", 1},
      {"Mueller", "M\xFCller", -1},
      {"\x8A" "arko", "Sasha", -1},
      {"\x8A" "arko", "Sarko", 1},
      // Ligatures spell out their letters.
      {"\xC6on", "Aeon", 1},
      {"\xC6on", "Afon", -1},
      {"Stra\xDF" "e", "Strast", -1},
      // Hyphen and apostrophe are skipped and only break ties.
      {"co-op", "coop", 1},
      {"co-op", "cooq", -1},
      {"Jean-Luc", "Jeanette", 1},
      {"O'Neil", "Oliver", 1},
      {"O'Neil", "ONeil", 1},
      // Punctuation before digits before letters.
      {"!Bang", "0", -1},
      {"#1", "1", -1},
      {"10 Pound Boys", "Alpha", -1},
      {"9", "A", -1},
      {"_x", "Zed", -1},
      {"A B", "AB", -1},
      {"\xB2", "2", 1},
      {"\xB2", "3", -1},
      // A beginning sorts before the longer text.
      {"Al", "Albert", -1},
      {"", "A", -1},
      {"", "", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(CompareListOrder(c.a, c.b)), c.expected) << c.a << " : " << c.b;
    EXPECT_EQ(Sign(CompareListOrder(c.b, c.a)), -c.expected) << c.b << " : " << c.a;
  }
}

// Every byte takes part in the order: most by their own weight, the skipped ones as a
// tie-breaker only.
TEST(ListOrderTest, EveryByteHasAPlace) {
  auto skipped = [](int c) {
    return c < 0x20 || c == 0x7F || c == '-' || c == '\'' || c == 0xAD || c == 0x81 ||
           c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
  };
  for (int c = 1; c < 256; ++c) {
    std::string one(1, static_cast<char>(c));
    if (skipped(c)) {
      EXPECT_LT(CompareListOrder("a" + one, "b"), 0) << c;
      EXPECT_GT(CompareListOrder("a" + one, "a"), 0) << c;
    } else {
      EXPECT_GT(CompareListOrder(one, ""), 0) << c;
    }
  }
}

}  // namespace
}  // namespace qvm
