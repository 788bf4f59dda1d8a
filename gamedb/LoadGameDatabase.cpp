#include "gamedb/LoadGameDatabase.h"

#include "tree/SortedView.h"

namespace qvm {

void LoadGameDatabase(const std::filesystem::path& gameFolder, GameDatabase& db,
                      MessageBox& messages) {
  db.indexState = LoadImageIndex(gameFolder, db.imageIndex, messages);
}

}  // namespace qvm
