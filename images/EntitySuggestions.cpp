#include "images/EntitySuggestions.h"

#include "images/AttachPictures.h"
#include "tree/Keys.h"

namespace qvm {
namespace {

// A name that is its own key.
SuggestionCandidate::Name Named(Text name) { return {std::string(name), std::string(name)}; }

}  // namespace

SuggestionCandidate EntityCandidate(const GameDatabase& db, EntityRef e) {
  SuggestionCandidate candidate;
  auto& names = candidate.names;
  switch (e.kind) {
    case RecordKind::Wrestler: {
      const Wrestler& w = db.wrestlers[e.index];
      names.push_back(Named(w.name));
      for (const Alias& alias : w.aliases) names.push_back(Named(alias.text));
      break;
    }
    case RecordKind::TagTeam: {
      const Team& t = db.teams[e.index];
      names.push_back({std::string(t.name), TeamKey(t.name, t.member1, t.member2)});
      break;
    }
    case RecordKind::Stable: {
      const Stable& s = db.stables[e.index];
      names.push_back({std::string(s.name), StableKeyWithAllMembers(db, s)});
      break;
    }
    case RecordKind::Manager:
    case RecordKind::Title:
      names.push_back(Named(EntityName(db, e)));
      break;
    case RecordKind::None:
      break;
  }
  return candidate;
}

std::vector<EntitySuggestion> SuggestForMissing(const GameDatabase& db, const ImageIndex& index,
                                                const std::vector<std::string>& pictures) {
  std::vector<MissingEntity> missing = EntitiesWithoutPictures(db, index);
  std::vector<SuggestionCandidate> candidates;
  candidates.reserve(missing.size());
  for (const MissingEntity& m : missing) {
    // A stable's key sorts up to a thousand member names: made only for the few that match.
    if (m.entity.kind == RecordKind::Stable) {
      candidates.push_back({{{std::string(m.name), std::string()}}});
    } else {
      candidates.push_back(EntityCandidate(db, m.entity));
    }
  }
  std::vector<EntitySuggestion> out;
  std::size_t keyOf = missing.size();  // the stable whose key `stableKey` holds
  std::string stableKey;
  for (Suggestion& s : SuggestPictures(candidates, pictures)) {
    const MissingEntity& m = missing[s.candidate];
    if (m.entity.kind == RecordKind::Stable) {
      if (keyOf != s.candidate) {
        stableKey = StableKeyWithAllMembers(db, db.stables[m.entity.index]);
        keyOf = s.candidate;
      }
      s.key = stableKey;
    }
    out.push_back({m, pictures[s.picture], std::move(s.key), s.ambiguous});
  }
  return out;
}

bool AttachSuggestion(ImageIndex& index, const EntitySuggestion& s,
                      std::vector<std::string>& problems) {
  AttachReport report = AttachMediaNames(index, s.key, {s.picture});
  if (!report.added.empty()) return true;
  if (report.problems.empty()) {
    problems.push_back(s.picture + " was not attached: the entry of " + s.key +
                       " lists it already, in other letter case.");
  }
  problems.insert(problems.end(), report.problems.begin(), report.problems.end());
  return false;
}

}  // namespace qvm
