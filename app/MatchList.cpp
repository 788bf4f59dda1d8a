#include "app/MatchList.h"

#include <array>

#include "app/PictureGaps.h"
#include "app/StrayList.h"
#include "app/UndoHistory.h"

namespace qvm {

std::string_view MatchColumnTitle(MatchColumn column) {
  constexpr std::array<std::string_view, kMatchColumnCount> titles = {"Picture", "Entity", "Kind",
                                                                      "Key", "Note"};
  return titles[static_cast<std::size_t>(column)];
}

MatchList::MatchList(std::vector<EntitySuggestion> suggestions) {
  rows_.reserve(suggestions.size());
  for (EntitySuggestion& s : suggestions) {
    const bool checked = !s.ambiguous && s.entity.entity.kind != RecordKind::Stable;
    rows_.push_back({std::move(s), checked});
  }
}

std::string MatchList::Text(int row, MatchColumn column) const {
  if (!Valid(row)) return {};
  const EntitySuggestion& s = rows_[Index(row)].suggestion;
  switch (column) {
    case MatchColumn::Picture:
      return s.picture;
    case MatchColumn::Entity:
      return std::string(s.entity.name);
    case MatchColumn::Kind:
      return std::string(KindText(s.entity.entity.kind));
    case MatchColumn::Key:
      return s.key;
    case MatchColumn::Note:
      break;
  }
  if (s.ambiguous) return std::string(kAmbiguousNote);
  if (s.entity.entity.kind == RecordKind::Stable) return std::string(kStableNote);
  return {};
}

void MatchList::SetChecked(int row, bool checked) {
  if (Valid(row)) rows_[Index(row)].checked = checked;
}

int MatchList::CheckedCount() const {
  int count = 0;
  for (const Row& row : rows_) count += row.checked ? 1 : 0;
  return count;
}

std::vector<EntitySuggestion> MatchList::CheckedSuggestions() const {
  std::vector<EntitySuggestion> checked;
  for (const Row& row : rows_)
    if (row.checked) checked.push_back(row.suggestion);
  return checked;
}

std::string MatchSummary(const MatchList& list) {
  return std::to_string(list.Count()) +
         " stray pictures are named after entities without a picture; " +
         std::to_string(list.CheckedCount()) +
         " are checked. Space checks or unchecks the selected row.";
}

MatchList CurrentMatches(Wizard& w) {
  ScanStrayImages(w);
  return MatchList(SuggestForMissing(w.db, w.db.imageIndex, w.strayPictures.Pictures()));
}

int AttachMatches(Wizard& w, const std::vector<EntitySuggestion>& chosen) {
  int attached = 0;
  std::vector<std::string> problems;
  UndoStep step(w.undo);  // the whole pack is one step
  for (const EntitySuggestion& s : chosen)
    attached += AttachSuggestion(w.db.imageIndex, s, problems) ? 1 : 0;
  ShowCurrentIndex(w);
  if (!problems.empty()) {
    std::string text;
    for (const std::string& line : problems) text += (text.empty() ? "" : "\n\n") + line;
    w.c.messages->Show(text);
  }
  return attached;
}

void MatchStrayPictures(Wizard& w) {
  MatchList list = CurrentMatches(w);
  if (list.Count() == 0) {
    w.c.messages->Show(kNoMatchesMessage);
    return;
  }
  if (!w.c.matchDialog || !w.c.matchDialog->Choose(list)) return;
  AttachMatches(w, list.CheckedSuggestions());
}

}  // namespace qvm
