#include "tree/CategoryTree.h"

#include <array>
#include <cstddef>

#include "platform/Cp1252.h"

namespace qvm {
namespace {

constexpr std::array<std::string_view, kKindCount> kRootTexts = {"Wrestlers", "Tag Teams",
                                                                 "Stables", "Managers", "Titles"};

// Group of a name: its first byte, upper-cased as the system's code page does. An empty name
// has no first byte; such entities share slot 0 (no name can start with a NUL byte), a group
// with an empty text, which comes first because the empty name sorts first.
unsigned char GroupOf(Text name) {
  return name.empty() ? 0 : UpperCp1252(static_cast<unsigned char>(name[0]));
}

// Appends below `parent` only when the parent exists: a failed insertion (handle 0) must not
// turn its children into top-level nodes, which would read as category roots.
NodeHandle AddChild(TreeView& tree, NodeHandle parent, std::string_view text) {
  return parent ? AddNode(tree, parent, text) : 0;
}

// The record a sorted position refers to; nullptr for a number outside the table.
template <class Record>
Record* RecordAt(std::vector<Record>& table, int number) {
  if (number < 1 || static_cast<std::size_t>(number) > table.size()) return nullptr;
  return &table[static_cast<std::size_t>(number) - 1];
}

// One grouped category: root, letter groups in the order their first names come, entities.
template <class Record, class AfterEntity>
void BuildGroupedCategory(GameDatabase& db, TreeView& tree, RecordKind kind,
                          std::vector<Record>& table, AfterEntity afterEntity) {
  // Every slot starts empty for each category, so no entity can land in another category's
  // group (slot 0, the empty names' group, included).
  std::array<NodeHandle, 256> groups{};
  const std::size_t k = KindSlot(kind);
  NodeHandle root = AddNode(tree, 0, kRootTexts[k]);
  db.categoryRoots[k] = root;
  const SortedView& view = db.sortedViews[k];
  for (std::size_t i = 0; i < view.names.size() && i < view.records.size(); ++i) {
    Record* rec = RecordAt(table, view.records[i]);
    if (!rec) continue;
    Text name = view.names[i];
    unsigned char c = GroupOf(name);
    if (groups[c] == 0) {
      const char letter = static_cast<char>(c);
      groups[c] = AddChild(tree, root, std::string_view(&letter, c == 0 ? 0 : 1));
    }
    rec->node = AddChild(tree, groups[c], name);
    afterEntity(*rec);
  }
}

}  // namespace

NodeHandle AddNode(TreeView& tree, NodeHandle parent, std::string_view text) {
  if (parent) tree.SetHasChildren(parent);
  return tree.InsertItem(parent, text);
}

std::string NodeText(const TreeView& tree, NodeHandle node) {
  auto text = tree.ItemText(node);
  return text ? *text : std::string();
}

void BuildCategoryTree(GameDatabase& db, TreeView& tree) {
  // The tree knows how much is coming, so it can make room once instead of growing.
  std::size_t nodes = kKindCount + 256 * (kKindCount - 1), bytes = 0;
  for (const SortedView& view : db.sortedViews) {
    nodes += view.names.size();
    for (Text name : view.names) bytes += name.size();
  }
  for (const Wrestler& w : db.wrestlers) {
    if (w.aliases.size() < 2) continue;
    nodes += w.aliases.size();
    for (const Alias& alias : w.aliases) bytes += alias.text.size();
  }
  tree.ReserveItems(nodes, bytes);

  BuildGroupedCategory(db, tree, RecordKind::Wrestler, db.wrestlers, [&tree](Wrestler& w) {
    if (w.aliases.size() == 1) return;
    for (Alias& alias : w.aliases) alias.node = AddChild(tree, w.node, alias.text);
  });
  auto noAliases = [](auto&) {};
  BuildGroupedCategory(db, tree, RecordKind::TagTeam, db.teams, noAliases);
  BuildGroupedCategory(db, tree, RecordKind::Stable, db.stables, noAliases);
  BuildGroupedCategory(db, tree, RecordKind::Manager, db.managers, noAliases);

  // Titles hang directly under their root: the selection tells them apart by that.
  const std::size_t k = KindSlot(RecordKind::Title);
  NodeHandle root = AddNode(tree, 0, kRootTexts[k]);
  db.categoryRoots[k] = root;
  const SortedView& view = db.sortedViews[k];
  for (std::size_t i = 0; i < view.names.size() && i < view.records.size(); ++i) {
    if (Title* title = RecordAt(db.titles, view.records[i])) {
      title->node = AddChild(tree, root, view.names[i]);
    }
  }
}

}  // namespace qvm
