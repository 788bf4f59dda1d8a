// The behaviour the core expects of every list box (platform/Controls.h ListBox), as one suite
// that each implementation's tests run through a small driver:
//
//   class MyListBoxDriver : public ListBoxDriver { ... };
//   INSTANTIATE_TYPED_TEST_SUITE_P(My, ListBoxSuite, MyListBoxDriver);
//
// inside namespace qvm, in one source file per test binary.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/Controls.h"

namespace qvm {

// One list box under test and the user's hand on it; default constructible. The user's actions
// act on a shown, enabled list and return once the list has handled them.
class ListBoxDriver {
 public:
  enum class Modifier { None, Ctrl, Shift };

  virtual ~ListBoxDriver() = default;
  virtual ListBox& List() = 0;
  virtual void Click(int index, Modifier modifier) = 0;
  virtual void DoubleClick(int index) = 0;
  // The notifications the list sent so far: selection changes and double-clicks.
  virtual int SelectionChanges() const = 0;
  virtual int DoubleClicks() const = 0;
  // The tip of an item shown emphasised; none when the item is shown plainly.
  virtual std::optional<std::string> Emphasis(int index) = 0;
};

template <class Driver>
class ListBoxSuite : public ::testing::Test {
  static_assert(std::is_base_of_v<ListBoxDriver, Driver>);

 protected:
  void Fill(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) listBox.AddString(text);
  }
  std::vector<std::string> Items() const {
    std::vector<std::string> items;
    for (int i = 0; i < listBox.Count(); ++i) items.push_back(listBox.ItemText(i));
    return items;
  }
  std::vector<int> Selected() const { return listBox.SelItems(listBox.Count() + 1); }

  Driver driver;
  ListBox& listBox = driver.List();
};

TYPED_TEST_SUITE_P(ListBoxSuite);

TYPED_TEST_P(ListBoxSuite, AddStringInsertsAtTheListOrdersPlace) {
  ListBox& list = this->listBox;
  // Case, accents (CP1252), digits, punctuation; equal texts go after those already there.
  const std::vector<std::string> added = {"zed",      "\xC9mile", "10 Pound Boys", "!bang", "adam",
                                          "\xC4rger", "co-op",    "coop",          "Bob",   "eve",
                                          "Al",       "al"};
  for (const std::string& text : added) {
    const int place = list.AddString(text);
    EXPECT_EQ(list.ItemText(place), text);
  }
  EXPECT_THAT(this->Items(),
              ::testing::ElementsAre("!bang", "10 Pound Boys", "adam", "Al", "al", "\xC4rger",
                                     "Bob", "coop", "co-op", "\xC9mile", "eve", "zed"));
  EXPECT_EQ(list.AddString("Carl"), 7);

  // Texts come back byte for byte: an undefined byte, a no-break space, the euro sign.
  const std::string odd("\x81\xA0\x80 x", 5);
  EXPECT_EQ(list.ItemText(list.AddString(odd)), odd);
}

TYPED_TEST_P(ListBoxSuite, TheCurrentItemIsApartFromTheSelection) {
  ListBox& list = this->listBox;
  this->Fill({"a", "b", "c", "d", "e"});
  // The alias selection: one item, then a second one joins it.
  EXPECT_EQ(list.SetCurrent(0), 0);
  EXPECT_EQ(list.SetCurrent(3), 3);
  EXPECT_EQ(list.Current(), 3);
  EXPECT_EQ(list.ItemText(-1), "d");
  EXPECT_THAT(this->Selected(), ::testing::ElementsAre(0, 3));

  // Selecting and deselecting, even the current item, never moves the focus.
  EXPECT_EQ(list.SetSel(true, 4), 0);
  EXPECT_EQ(list.SetSel(false, 3), 0);
  EXPECT_EQ(list.Current(), 3);
  EXPECT_THAT(this->Selected(), ::testing::ElementsAre(0, 4));

  // A bad index changes nothing; -1 leaves nothing current or selected.
  for (int bad : {5, 99, -2}) EXPECT_EQ(list.SetCurrent(bad), -1) << bad;
  EXPECT_EQ(list.Current(), 3);
  EXPECT_THAT(this->Selected(), ::testing::ElementsAre(0, 4));
  EXPECT_EQ(list.SetCurrent(-1), -1);
  EXPECT_EQ(list.Current(), -1);
  EXPECT_EQ(list.SelCount(), 0);
  EXPECT_EQ(list.ItemText(-1), "");
}

TYPED_TEST_P(ListBoxSuite, SelectionQueriesAndBadIndexes) {
  ListBox& list = this->listBox;
  EXPECT_EQ(list.ItemText(-1), "");
  EXPECT_EQ(list.ItemText(0), "");
  EXPECT_EQ(list.FindExact(-1, ""), -1);
  this->Fill({"a", "b", "c", "d", "e"});
  EXPECT_EQ(list.SetSel(true, -1), 0);
  EXPECT_EQ(list.SelCount(), 5);
  EXPECT_THAT(list.SelItems(3), ::testing::ElementsAre(0, 1, 2));
  EXPECT_THAT(list.SelItems(0), ::testing::IsEmpty());
  EXPECT_EQ(list.SetSel(false, 1), 0);
  for (int bad : {5, -2}) EXPECT_EQ(list.SetSel(false, bad), -1) << bad;
  EXPECT_THAT(list.SelItems(100), ::testing::ElementsAre(0, 2, 3, 4));
  EXPECT_EQ(list.SetSel(false, -1), 0);
  EXPECT_EQ(list.SelCount(), 0);
  EXPECT_EQ(list.ItemText(4), "e");
  EXPECT_EQ(list.ItemText(5), "");
}

TYPED_TEST_P(ListBoxSuite, FindExactIgnoresCaseStartsAfterTheGivenItemAndWraps) {
  this->Fill({"Al", "Bo", "al", "Cy", "\xC9lan"});
  ASSERT_THAT(this->Items(), ::testing::ElementsAre("Al", "al", "Bo", "Cy", "\xC9lan"));
  struct Case {
    int start;
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {-1, "AL", 0}, {0, "AL", 1},      {1, "al", 0},    {2, "AL", 0},   {3, "cy", 3}, {4, "al", 0},
      {99, "bo", 2}, {0, "\xE9LAN", 4}, {0, "elan", -1}, {0, "Alx", -1}, {0, "A", -1}, {0, "", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(this->listBox.FindExact(c.start, c.text), c.expected) << c.start << " " << c.text;
  }
}

TYPED_TEST_P(ListBoxSuite, OtherItemsComingAndGoingLeaveTheFocusAndSelectionInPlace) {
  ListBox& list = this->listBox;
  this->Fill({"b", "d", "f"});
  list.SetCurrent(1);    // d
  list.SetSel(true, 2);  // f
  list.AddString("a");
  list.AddString("e");
  EXPECT_EQ(list.ItemText(-1), "d");
  EXPECT_THAT(this->Selected(), ::testing::ElementsAre(2, 4));  // a b [d] e [f]

  // Indexes count from 0; the result is the number of items left.
  EXPECT_EQ(list.DeleteString(0), 4);
  EXPECT_EQ(list.DeleteString(2), 3);
  EXPECT_THAT(this->Items(), ::testing::ElementsAre("b", "d", "f"));
  EXPECT_EQ(list.ItemText(-1), "d");
  EXPECT_THAT(this->Selected(), ::testing::ElementsAre(1, 2));
  for (int bad : {3, -1}) EXPECT_EQ(list.DeleteString(bad), -1) << bad;

  // The focus passes to the item that takes the deleted one's place, or to the last item.
  EXPECT_EQ(list.DeleteString(1), 2);
  EXPECT_EQ(list.ItemText(-1), "f");
  list.DeleteString(1);
  EXPECT_EQ(list.ItemText(-1), "b");
  list.DeleteString(0);
  EXPECT_EQ(list.Current(), -1);

  this->Fill({"x", "y"});
  list.SetCurrent(1);
  list.ResetContent();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Current(), -1);
  EXPECT_EQ(list.SelCount(), 0);
}

TYPED_TEST_P(ListBoxSuite, OnlyTheUsersActionsNotify) {
  ListBox& list = this->listBox;
  ListBoxDriver& user = this->driver;
  this->Fill({"a", "b", "c", "d", "e"});
  list.SetCurrent(1);
  list.SetSel(true, -1);
  list.SetSel(false, 3);
  list.DeleteString(4);
  list.AddString("e");
  EXPECT_EQ(user.SelectionChanges(), 0);
  list.ResetContent();
  this->Fill({"a", "b", "c", "d", "e"});

  struct Step {
    int index;
    ListBoxDriver::Modifier modifier;
    std::vector<int> selected;
  };
  using M = ListBoxDriver::Modifier;
  const Step steps[] = {
      {1, M::None, {1}},     // only the item clicked
      {3, M::Ctrl, {1, 3}},  // Ctrl adds an item
      {1, M::Ctrl, {3}},     // and takes it away again
      {2, M::None, {2}},
      {4, M::Shift, {2, 3, 4}},  // Shift: from the item clicked last without Shift
      {0, M::Shift, {0, 1, 2}},
  };
  int changes = 0;
  for (const Step& step : steps) {
    user.Click(step.index, step.modifier);
    EXPECT_EQ(list.Current(), step.index) << step.index;
    EXPECT_EQ(this->Selected(), step.selected) << step.index;
    EXPECT_EQ(user.SelectionChanges(), ++changes) << step.index;
  }
  EXPECT_EQ(user.DoubleClicks(), 0);
  user.DoubleClick(3);
  EXPECT_EQ(list.Current(), 3);
  EXPECT_THAT(this->Selected(), ::testing::ElementsAre(3));
  EXPECT_GT(user.SelectionChanges(), changes);
  EXPECT_EQ(user.DoubleClicks(), 1);
}

TYPED_TEST_P(ListBoxSuite, EmphasisFollowsTheTextsWhateverComesAndGoes) {
  ListBox& list = this->listBox;
  ListBoxDriver& view = this->driver;
  auto shown = [&] {
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) {
      if (auto tip = view.Emphasis(i)) out.push_back(list.ItemText(i) + ": " + *tip);
    }
    return out;
  };
  this->Fill({"b", "B", "d", "f"});
  list.SetEmphasis({{"B", "big"}, {"f", "eff"}, {"none", "x"}});
  EXPECT_THAT(shown(), ::testing::ElementsAre("B: big", "f: eff"));  // byte for byte
  list.AddString("a");
  list.DeleteString(list.FindExact(-1, "d"));
  list.AddString("f");  // a text inserted later is emphasised too
  EXPECT_THAT(this->Items(), ::testing::ElementsAre("a", "b", "B", "f", "f"));
  EXPECT_THAT(shown(), ::testing::ElementsAre("B: big", "f: eff", "f: eff"));
  list.ResetContent();
  this->Fill({"f", "B"});
  EXPECT_THAT(shown(), ::testing::ElementsAre("B: big", "f: eff"));
  list.SetEmphasis({{"f", "new"}});
  EXPECT_THAT(shown(), ::testing::ElementsAre("f: new"));
  list.SetEmphasis({});
  EXPECT_THAT(shown(), ::testing::IsEmpty());
  EXPECT_EQ(view.SelectionChanges(), 0);
}

REGISTER_TYPED_TEST_SUITE_P(ListBoxSuite, AddStringInsertsAtTheListOrdersPlace,
                            TheCurrentItemIsApartFromTheSelection, SelectionQueriesAndBadIndexes,
                            FindExactIgnoresCaseStartsAfterTheGivenItemAndWraps,
                            OtherItemsComingAndGoingLeaveTheFocusAndSelectionInPlace,
                            OnlyTheUsersActionsNotify, EmphasisFollowsTheTextsWhateverComesAndGoes);

}  // namespace qvm
