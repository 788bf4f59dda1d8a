// tree: the category tree exactly as the window builds it, one node per line.
#include <string>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "platform/MemoryControls.h"
#include "tree/CategoryTree.h"

namespace qvm::cli {
namespace {

void PrintBelow(Context& ctx, const MemoryTree& tree, NodeHandle parent, std::size_t depth) {
  for (NodeHandle node = tree.FirstChild(parent); node != 0; node = tree.NextSibling(node)) {
    std::string line(2 * depth, ' ');
    line += tree.FullText(node);
    PrintLine(ctx.out, line);
    PrintBelow(ctx, tree, node, depth + 1);
  }
}

// [{"text": ..., "children": [...]}, ...]: every node with its children, leaves included.
void WriteBelow(JsonWriter& json, const MemoryTree& tree, NodeHandle parent) {
  json.BeginArray();
  for (NodeHandle node = tree.FirstChild(parent); node != 0; node = tree.NextSibling(node)) {
    json.BeginObject();
    json.Cp1252Member("text", tree.FullText(node));
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
  MemoryTree tree;
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
