// The five kinds of record of the game database.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace qvm {

// The kinds of record, numbered as the selection counts the kind of the record being edited
// (None before the first record is selected), in the order of the tree's category roots.
enum class RecordKind : int {
  None = 0,
  Wrestler = 1,
  TagTeam = 2,
  Stable = 3,
  Manager = 4,
  Title = 5
};
inline constexpr int kKindCount = 5;
inline constexpr std::array<RecordKind, kKindCount> kRecordKinds = {
    RecordKind::Wrestler, RecordKind::TagTeam, RecordKind::Stable, RecordKind::Manager,
    RecordKind::Title};
// A kind's place in the per-kind arrays (sorted views, category roots): 0 for wrestlers.
constexpr std::size_t KindSlot(RecordKind kind) { return static_cast<std::size_t>(kind) - 1; }

// The kind in words, as the window names it ("tag team"); "" for None.
constexpr std::string_view KindText(RecordKind kind) {
  constexpr std::array<std::string_view, kKindCount> texts = {"wrestler", "tag team", "stable",
                                                              "manager", "title"};
  return kind == RecordKind::None ? std::string_view() : texts[KindSlot(kind)];
}

}  // namespace qvm
