// tree: the category tree exactly as the window builds it, one node per line.
#include <string>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "tree/CategoryTree.h"

namespace qvm::cli {
namespace {

void PrintBelow(Context& ctx, const CategoryTree& tree, NodeHandle parent, std::size_t depth) {
  for (NodeHandle node : tree.Children(parent)) {
    for (std::size_t level = 0; level < depth; ++level) ctx.out << "  ";
    PrintItem(ctx.out, tree.Text(node));
    PrintBelow(ctx, tree, node, depth + 1);
  }
}

// [{"text": ..., "children": [...]}, ...]: every node with its children, leaves included.
void WriteBelow(JsonWriter& json, const CategoryTree& tree, NodeHandle parent) {
  json.BeginArray();
  for (NodeHandle node : tree.Children(parent)) {
    json.BeginObject();
    json.Cp1252Member("text", tree.Text(node));
    json.Key("children");
    WriteBelow(json, tree, node);
    json.EndObject();
  }
  json.EndArray();
}

}  // namespace

int RunTree(Context& ctx) {
  if (!ctx.args.empty()) return UsageError(ctx, "tree takes no arguments");
  auto game = LoadGame(ctx);
  CategoryTree tree;
  BuildCategoryTree(game->db, tree);
  if (ctx.json) {
    JsonWriter json(ctx.out);
    WriteBelow(json, tree, 0);
  } else {
    PrintBelow(ctx, tree, 0, 0);
  }
  return kExitOk;
}

}  // namespace qvm::cli
