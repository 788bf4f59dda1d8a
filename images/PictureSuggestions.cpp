#include "images/PictureSuggestions.h"

#include <algorithm>

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

std::vector<Suggestion> PictureNames::Naming(const SuggestionCandidate& candidate) const {
  if (!indexed_) {
    for (std::size_t p = 0; p < pictures_.size(); ++p) {
      for (std::string& form : PictureNameForms(pictures_[p]))
        byForm_[std::move(form)].push_back(p);
    }
    indexed_ = true;
  }
  std::vector<Suggestion> named;
  for (const SuggestionCandidate::Name& name : candidate.names) {
    auto found = byForm_.find(SuggestionFold(name.text));
    if (found == byForm_.end()) continue;
    for (std::size_t p : found->second) named.push_back({0, p, name.key, false});
  }
  // Names were tried in order, so the first suggestion of each picture has the key that counts.
  std::stable_sort(named.begin(), named.end(),
                   [](const Suggestion& a, const Suggestion& b) { return a.picture < b.picture; });
  named.erase(
      std::unique(named.begin(), named.end(),
                  [](const Suggestion& a, const Suggestion& b) { return a.picture == b.picture; }),
      named.end());
  return named;
}

std::vector<Suggestion> SuggestPictures(const std::vector<SuggestionCandidate>& candidates,
                                        const PictureNames& pictures) {
  std::vector<Suggestion> suggestions;
  std::vector<int> namedBy(pictures.Pictures().size(), 0);  // candidates naming each picture
  for (std::size_t c = 0; c < candidates.size(); ++c) {
    for (Suggestion& s : pictures.Naming(candidates[c])) {
      s.candidate = c;
      ++namedBy[s.picture];
      suggestions.push_back(std::move(s));
    }
  }
  for (Suggestion& s : suggestions) s.ambiguous = namedBy[s.picture] > 1;
  return suggestions;
}

std::vector<Suggestion> SuggestPictures(const std::vector<SuggestionCandidate>& candidates,
                                        const std::vector<std::string>& pictures) {
  return SuggestPictures(candidates, PictureNames(pictures));
}

}  // namespace qvm
