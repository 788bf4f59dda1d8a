#include "tree/CategoryTree.h"

#include <cstddef>

#include "platform/Cp1252.h"

namespace qvm {
namespace {

constexpr std::array<std::string_view, kKindCount> kRootTexts = {"Wrestlers", "Tag Teams",
                                                                 "Stables", "Managers", "Titles"};

// Every byte value once: a letter group's one-character text points into it.
constexpr std::array<char, 256> kBytes = [] {
  std::array<char, 256> bytes{};
  for (int i = 0; i < 256; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(i);
  return bytes;
}();

// Group of a name: its first byte, upper-cased as the system's code page does. An empty name
// has no first byte; such entities share slot 0 (no name can start with a NUL byte), a group
// with an empty text, which comes first because the empty name sorts first.
unsigned char GroupOf(Text name) {
  return name.empty() ? 0 : UpperCp1252(static_cast<unsigned char>(name[0]));
}

Text GroupText(unsigned char c) { return c == 0 ? Text() : Text(&kBytes[c], 1); }

// Whether a sorted position refers to a record of the table.
bool InTable(int number, std::size_t size) {
  return number >= 1 && static_cast<std::size_t>(number) <= size;
}

}  // namespace

class CategoryTreeBuilder {
 public:
  explicit CategoryTreeBuilder(CategoryTree& tree) : tree_(tree) {}

  void Reserve(std::size_t nodes) {
    tree_.nodes_.reserve(nodes + 1);
    tree_.rows_.reserve(nodes + 1);
    childCount_.reserve(nodes + 1);
  }

  NodeHandle Add(NodeHandle parent, const TreeNode& node) {
    tree_.nodes_.push_back(node);
    tree_.nodes_.back().parent = parent;
    tree_.rows_.push_back(childCount_[parent]++);
    childCount_.push_back(0);
    return tree_.nodes_.size() - 1;
  }

  // One grouped category: root, letter groups in the order their first names come, entities.
  template <class Record, class AfterEntity>
  void GroupedCategory(const GameDatabase& db, RecordKind kind, const std::vector<Record>& table,
                       AfterEntity afterEntity) {
    // Every slot starts empty for each category, so no entity can land in another category's
    // group (slot 0, the empty names' group, included).
    std::array<NodeHandle, 256> groups{};
    const NodeHandle root = AddRoot(kind);
    const SortedView& view = db.sortedViews[KindSlot(kind)];
    for (std::size_t i = 0; i < view.names.size() && i < view.records.size(); ++i) {
      const int number = view.records[i];
      if (!InTable(number, table.size())) continue;
      const Text name = view.names[i];
      const unsigned char c = GroupOf(name);
      if (groups[c] == 0) {
        groups[c] = Add(root, {.text = GroupText(c), .role = NodeRole::LetterGroup, .kind = kind});
      }
      const NodeHandle entity =
          Add(groups[c], {.text = name, .role = NodeRole::Entity, .kind = kind, .record = number});
      afterEntity(entity, table[static_cast<std::size_t>(number) - 1], number);
    }
  }

  // Titles hang directly under their root: the selection tells them apart by that.
  void Titles(const GameDatabase& db) {
    const NodeHandle root = AddRoot(RecordKind::Title);
    const SortedView& view = db.sortedViews[KindSlot(RecordKind::Title)];
    for (std::size_t i = 0; i < view.names.size() && i < view.records.size(); ++i) {
      if (!InTable(view.records[i], db.titles.size())) continue;
      Add(root, {.text = view.names[i],
                 .role = NodeRole::Entity,
                 .kind = RecordKind::Title,
                 .record = view.records[i]});
    }
  }

  // Lays every node's children out in one array. Handles grow with insertion, so visiting the
  // nodes in handle order puts each parent's children in insertion order.
  void Finish() {
    const std::size_t n = tree_.nodes_.size();
    tree_.childStart_.assign(n + 1, 0);
    for (std::size_t k = 0; k < n; ++k) {
      tree_.childStart_[k + 1] = tree_.childStart_[k] + childCount_[k];
    }
    tree_.children_.assign(n - 1, 0);
    for (std::size_t k = 1; k < n; ++k) {
      const NodeHandle parent = tree_.nodes_[k].parent;
      tree_.children_[tree_.childStart_[parent] + tree_.rows_[k]] = k;
    }
  }

 private:
  NodeHandle AddRoot(RecordKind kind) {
    const NodeHandle root =
        Add(0, {.text = kRootTexts[KindSlot(kind)], .role = NodeRole::CategoryRoot, .kind = kind});
    tree_.roots_[KindSlot(kind)] = root;
    return root;
  }

  CategoryTree& tree_;
  std::vector<std::uint32_t> childCount_ = std::vector<std::uint32_t>(1);
};

std::span<const NodeHandle> CategoryTree::Children(NodeHandle node) const {
  if (node >= nodes_.size() || childStart_.empty()) return {};
  return std::span<const NodeHandle>(children_).subspan(childStart_[node],
                                                        childStart_[node + 1] - childStart_[node]);
}

NodeHandle CategoryTree::Parent(NodeHandle node) const {
  return Contains(node) ? nodes_[node].parent : 0;
}

int CategoryTree::Row(NodeHandle node) const {
  return Contains(node) ? static_cast<int>(rows_[node]) : -1;
}

std::string_view CategoryTree::Text(NodeHandle node) const {
  return Contains(node) ? nodes_[node].text : std::string_view();
}

const TreeNode* CategoryTree::Find(NodeHandle node) const {
  return Contains(node) ? &nodes_[node] : nullptr;
}

void BuildCategoryTree(const GameDatabase& db, CategoryTree& tree) {
  tree = CategoryTree();
  std::size_t nodes = kKindCount + 256 * (kKindCount - 1);
  for (const SortedView& view : db.sortedViews) nodes += view.names.size();
  for (const Wrestler& w : db.wrestlers) {
    if (w.aliases.size() > 1) nodes += w.aliases.size();
  }
  CategoryTreeBuilder build(tree);
  build.Reserve(nodes);

  build.GroupedCategory(db, RecordKind::Wrestler, db.wrestlers,
                        [&build](NodeHandle entity, const Wrestler& w, int number) {
                          if (w.aliases.size() == 1) return;
                          int j = 0;
                          for (const Alias& alias : w.aliases) {
                            build.Add(entity, {.text = alias.text,
                                               .role = NodeRole::Alias,
                                               .kind = RecordKind::Wrestler,
                                               .record = number,
                                               .alias = ++j});
                          }
                        });
  auto noAliases = [](NodeHandle, const auto&, int) {};
  build.GroupedCategory(db, RecordKind::TagTeam, db.teams, noAliases);
  build.GroupedCategory(db, RecordKind::Stable, db.stables, noAliases);
  build.GroupedCategory(db, RecordKind::Manager, db.managers, noAliases);
  build.Titles(db);
  build.Finish();
}

std::string NodeText(const CategoryTree& tree, NodeHandle node) {
  constexpr std::size_t kMaxTextRead = 255;  // what the window's tree gives back of a text
  return std::string(tree.Text(node).substr(0, kMaxTextRead));
}

int RecordOf(const CategoryTree& tree, NodeHandle node, RecordKind kind) {
  const TreeNode* n = tree.Find(node);
  return n && n->role == NodeRole::Entity && n->kind == kind ? n->record : 0;
}

}  // namespace qvm
