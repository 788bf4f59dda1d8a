#include "images/PictureSuggestions.h"

#include <algorithm>
#include <unordered_map>

#include "platform/ListOrder.h"

namespace qvm {
namespace {

// Bytes that never tell two names apart: space, no-break space, underscore, hyphen, dot and
// the apostrophes (the typewriter one and the typographic ones).
bool Dropped(unsigned char c) {
  return c == ' ' || c == 0xA0 || c == '_' || c == '-' || c == '.' || c == '\'' || c == 0x91 ||
         c == 0x92;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool EndsWithFolded(std::string_view text, std::string_view lowerSuffix) {
  if (text.size() < lowerSuffix.size()) return false;
  std::string_view tail = text.substr(text.size() - lowerSuffix.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != lowerSuffix[i]) return false;
  }
  return true;
}

// The stem without one trailing variant marker; the stem itself when it has none.
std::string_view WithoutVariantMarker(std::string_view stem) {
  for (std::string_view alt : {"_alt", "-alt"}) {
    if (EndsWithFolded(stem, alt)) return stem.substr(0, stem.size() - alt.size());
  }
  std::size_t end = stem.size();
  bool parenthesised = end > 0 && stem[end - 1] == ')';
  if (parenthesised) --end;
  std::size_t digits = end;
  while (digits > 0 && IsDigit(stem[digits - 1])) --digits;
  if (digits == end || digits == 0) return stem;
  if (parenthesised) {
    if (digits < 2 || stem[digits - 1] != '(' || stem[digits - 2] != ' ') return stem;
    return stem.substr(0, digits - 2);
  }
  char sep = stem[digits - 1];
  if (sep != '_' && sep != '-' && sep != ' ') return stem;
  return stem.substr(0, digits - 1);
}

}  // namespace

std::string SuggestionFold(std::string_view cp1252) {
  std::string kept;
  kept.reserve(cp1252.size());
  for (char c : cp1252) {
    if (!Dropped(static_cast<unsigned char>(c))) kept += c;
  }
  return BaseCharacters(kept);
}

std::vector<std::string> PictureNameForms(std::string_view fileName) {
  std::string_view stem = fileName.substr(0, std::min(fileName.size(), fileName.rfind('.')));
  std::vector<std::string> forms;
  for (std::string_view form : {stem, WithoutVariantMarker(stem)}) {
    std::string folded = SuggestionFold(form);
    if (!folded.empty() && std::find(forms.begin(), forms.end(), folded) == forms.end())
      forms.push_back(std::move(folded));
  }
  return forms;
}

std::vector<Suggestion> SuggestPictures(const std::vector<SuggestionCandidate>& candidates,
                                        const std::vector<std::string>& pictures) {
  // Folded name -> (candidate, name) for every name; a candidate's earlier names come first.
  std::unordered_map<std::string, std::vector<std::pair<std::size_t, std::size_t>>> byName;
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    const auto& names = candidates[c].names;
    for (std::size_t n = 0; n < names.size(); ++n) {
      std::string folded = SuggestionFold(names[n].text);
      if (!folded.empty()) byName[folded].emplace_back(c, n);
    }
  }
  std::vector<Suggestion> suggestions;
  for (std::size_t p = 0; p < pictures.size(); ++p) {
    // The candidates this picture names, each with the first of its names that matched.
    std::vector<std::pair<std::size_t, std::size_t>> named;
    for (const std::string& form : PictureNameForms(pictures[p])) {
      auto found = byName.find(form);
      if (found == byName.end()) continue;
      for (auto [c, n] : found->second) {
        auto same = std::find_if(named.begin(), named.end(),
                                 [c = c](const auto& x) { return x.first == c; });
        if (same == named.end()) {
          named.emplace_back(c, n);
        } else {
          same->second = std::min(same->second, n);
        }
      }
    }
    for (auto [c, n] : named)
      suggestions.push_back({c, p, candidates[c].names[n].key, named.size() > 1});
  }
  std::stable_sort(
      suggestions.begin(), suggestions.end(), [](const Suggestion& a, const Suggestion& b) {
        return a.candidate != b.candidate ? a.candidate < b.candidate : a.picture < b.picture;
      });
  return suggestions;
}

}  // namespace qvm
