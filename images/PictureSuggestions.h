// Stray pictures named after the game's entities: the one rule that says whether a picture's
// file name names an entity, so that a picture pack named after the wrestlers can be matched
// to the entities that have no picture yet.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qvm {

// The text names are compared by: letter case and accents folded as the list order folds
// them ("Zoë" = "zoe"), and every space, underscore, hyphen, dot and apostrophe dropped
// ("O'Brien" = "obrien"). CP1252 in; the result is only for comparing.
std::string SuggestionFold(std::string_view cp1252);

// The folded texts a picture's file name (CP1252) stands for: the name without its extension
// and, when that ends in one variant marker ("_2", "-2", " 2", " (2)", "_alt", "-alt"), also
// the name without the marker. Empty when nothing is left to compare.
std::vector<std::string> PictureNameForms(std::string_view fileName);

// An entity that may get pictures, with the names it answers to, each with the index key a
// picture named so would be attached under (for a wrestler: the alias that matched).
struct SuggestionCandidate {
  struct Name {
    std::string text;  // CP1252
    std::string key;   // CP1252
  };
  std::vector<Name> names;  // in the order they are tried: the first that matches gives the key
};

struct Suggestion {
  std::size_t candidate = 0;  // position in the candidates given
  std::size_t picture = 0;    // position in the pictures given
  std::string key;
  bool ambiguous = false;  // the picture names two or more of the candidates
};

// Pictures with their name forms worked out once, at the first question, so that asking which
// of them name one entity costs a few lookups (the window asks at every selection). Not for
// use from two threads at once.
class PictureNames {
 public:
  explicit PictureNames(std::vector<std::string> pictures = {}) : pictures_(std::move(pictures)) {}
  const std::vector<std::string>& Pictures() const { return pictures_; }
  // The pictures that name `candidate`, in the pictures' order, each with the key of the first
  // of the candidate's names it matches; `candidate` and `ambiguous` are left at their defaults.
  std::vector<Suggestion> Naming(const SuggestionCandidate& candidate) const;

 private:
  std::vector<std::string> pictures_;
  mutable bool indexed_ = false;
  mutable std::unordered_map<std::string, std::vector<std::size_t>> byForm_;  // form -> pictures
};

// Every (candidate, picture) pair where the picture names the candidate, ordered by candidate
// and then by picture, as given.
std::vector<Suggestion> SuggestPictures(const std::vector<SuggestionCandidate>& candidates,
                                        const std::vector<std::string>& pictures);
std::vector<Suggestion> SuggestPictures(const std::vector<SuggestionCandidate>& candidates,
                                        const PictureNames& pictures);

}  // namespace qvm
