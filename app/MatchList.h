// A picture pack in one step: the match dialog lists every stray picture named after an entity
// without a picture (the suggestions of SuggestForMissing, as the CLI's `suggest` lists them),
// the user checks the rows to take, and "Attach checked" attaches them as `suggest --apply`
// would. The dialog itself is the face's; this is its content and its two outcomes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/Wizard.h"
#include "images/EntitySuggestions.h"

namespace qvm {

inline constexpr std::string_view kMatchCommand = "Match stray pictures...";
inline constexpr std::string_view kAttachCheckedButton = "Attach checked";
inline constexpr std::string_view kCancelButton = "Cancel";
inline constexpr std::string_view kAmbiguousNote = "names two entities";
inline constexpr std::string_view kStableNote = "pick the members";
inline constexpr std::string_view kNoMatchesMessage =
    "No stray picture in the media folder is named after an entity that has no picture yet.";

// The dialog's columns, in order. The picture's column carries the check box and the small
// picture.
enum class MatchColumn { Picture, Entity, Kind, Key, Note };
inline constexpr int kMatchColumnCount = 5;
std::string_view MatchColumnTitle(MatchColumn column);

class MatchList {
 public:
  // Unambiguous rows of any kind but a stable's start checked, as `suggest --apply` takes them.
  explicit MatchList(std::vector<EntitySuggestion> suggestions);

  int Count() const { return static_cast<int>(rows_.size()); }
  const EntitySuggestion& Suggestion(int row) const { return rows_[Index(row)].suggestion; }
  // A cell's text (CP1252); "" for a row or column that is not there.
  std::string Text(int row, MatchColumn column) const;
  bool Checked(int row) const { return Valid(row) && rows_[Index(row)].checked; }
  void SetChecked(int row, bool checked);
  int CheckedCount() const;
  // The checked suggestions, in the list's order.
  std::vector<EntitySuggestion> CheckedSuggestions() const;

 private:
  struct Row {
    EntitySuggestion suggestion;
    bool checked = false;
  };
  bool Valid(int row) const { return row >= 0 && row < Count(); }
  static std::size_t Index(int row) { return static_cast<std::size_t>(row); }
  std::vector<Row> rows_;
};

// The line above the rows: how many there are and how many are checked.
std::string MatchSummary(const MatchList& list);

// The match dialog as the core sees it: shows `list` modally while the user checks rows.
// True for "Attach checked", false for "Cancel" (or the dialog closed).
class MatchChooser {
 public:
  virtual ~MatchChooser() = default;
  virtual bool Choose(MatchList& list) = 0;
};

// The suggestions for the stray pictures as they are now: the stray list is scanned again
// first, since the pictures of a pack may have been copied in since.
MatchList CurrentMatches(Wizard& w);

// Attaches the chosen suggestions in order, each as `suggest --apply` attaches one (through the
// index operations, so the crash journal keeps every one), tells what could not be attached in
// one message, then has the window show the index as it now is. Returns how many were attached.
int AttachMatches(Wizard& w, const std::vector<EntitySuggestion>& chosen);

// Ctrl+M: the current matches in the match dialog, then the checked ones attached. With no
// match the dialog is not opened: a message says there are none.
void MatchStrayPictures(Wizard& w);

}  // namespace qvm
