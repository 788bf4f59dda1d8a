// Which stray pictures name which entity of the game: the suggestion rule asked about the
// game's entities, for the CLI's suggestions and the window's stray list.
#pragma once

#include <string>
#include <vector>

#include "gamedb/GameDatabase.h"
#include "images/PictureSuggestions.h"
#include "index/ImageIndex.h"
#include "tree/MissingPictures.h"

namespace qvm {

// The names `entity` answers to, each with the key a picture so named goes under: a wrestler's
// name, then each circuit alias (the key: the name itself); a tag team's name (the key: its
// team key); a stable's name (the key: the stable with every member chosen); a manager's or a
// title's name. `entity` must lie inside its table.
SuggestionCandidate EntityCandidate(const GameDatabase& db, EntityRef entity);

struct EntitySuggestion {
  MissingEntity entity;
  std::string picture;  // CP1252, as `pictures` gives it
  std::string key;      // CP1252
  bool ambiguous = false;
};

// The pictures that name an entity without a picture (EntitiesWithoutPictures), in tree order
// of the entities and then in the order of `pictures` (the stray list's). A picture that names
// two or more of those entities is ambiguous.
std::vector<EntitySuggestion> SuggestForMissing(const GameDatabase& db, const ImageIndex& index,
                                                const std::vector<std::string>& pictures);

// Attaches the suggestion's picture (a name in media) to its key through the ordinary index
// operations. False, with one line per reason added to `problems`, when nothing was attached
// (the entry lists the name in other letter case, the entry or the index is full, ...).
bool AttachSuggestion(ImageIndex& index, const EntitySuggestion& suggestion,
                      std::vector<std::string>& problems);

}  // namespace qvm
