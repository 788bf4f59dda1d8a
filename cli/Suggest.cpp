// suggest [--kind KIND] [--apply]: the stray pictures named after entities that have no picture
// yet; --apply attaches the unambiguous ones as a double-click in the stray list would.
#include <future>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "images/EntitySuggestions.h"
#include "images/StrayImages.h"
#include "platform/Background.h"
#include "platform/Gate.h"

namespace qvm::cli {
namespace {

struct Options {
  std::optional<RecordKind> only;
  bool apply = false;
};

// None (after the usage) for arguments that are not the options.
std::optional<Options> ParseOptions(Context& ctx) {
  const std::vector<std::string>& args = ctx.args;
  Options options;
  bool kind = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--apply" && !options.apply) {
      options.apply = true;
    } else if (args[i] == "--kind" && !kind && i + 1 < args.size()) {
      kind = true;
      options.only = ParseKindWord(args[++i]);
      if (!options.only) {
        UsageError(ctx, "KIND is wrestler, team, stable, manager or title");
        return std::nullopt;
      }
    } else {
      UsageError(ctx, "suggest takes only --kind KIND, --apply and --json");
      return std::nullopt;
    }
  }
  return options;
}

// Prints the suggestions as lines or one JSON array; `actions`, when given, says per
// suggestion what --apply did with it.
void Print(Context& ctx, std::ostream& out, const std::vector<EntitySuggestion>& suggestions,
           const std::vector<std::string_view>* actions) {
  if (ctx.json) {
    JsonWriter json(out);
    json.BeginArray();
    for (std::size_t i = 0; i < suggestions.size(); ++i) {
      const EntitySuggestion& s = suggestions[i];
      json.BeginObject();
      json.Member("kind", KindWord(s.entity.entity.kind));
      json.Cp1252Member("name", s.entity.name);
      json.Cp1252Member("key", s.key);
      json.Cp1252Member("picture", s.picture);
      json.Key("ambiguous");
      json.Bool(s.ambiguous);
      if (actions) json.Member("action", (*actions)[i]);
      json.EndObject();
    }
    json.EndArray();
    return;
  }
  for (std::size_t i = 0; i < suggestions.size(); ++i) {
    const EntitySuggestion& s = suggestions[i];
    std::string line = std::string(KindWord(s.entity.entity.kind)) + '\t' + OneLine(s.entity.name) +
                       '\t' + OneLine(s.key) + '\t' + OneLine(s.picture);
    if (actions) {
      line += '\t';
      line += (*actions)[i];
    } else if (s.ambiguous) {
      line += "\tambiguous";
    }
    PrintLine(out, line);
  }
}

// The suggestions of the kind kept; ambiguity is judged among all kinds, so --kind never makes
// a picture look unambiguous.
std::vector<EntitySuggestion> Suggest(const GameDatabase& db, const ImageIndex& index,
                                      const std::vector<std::string>& strays,
                                      const Options& options) {
  std::vector<EntitySuggestion> all = SuggestForMissing(db, index, strays);
  if (!options.only) return all;
  std::vector<EntitySuggestion> kept;
  for (EntitySuggestion& s : all) {
    if (s.entity.entity.kind == *options.only) kept.push_back(std::move(s));
  }
  return kept;
}

// Attaches each unambiguous suggestion but a stable's; what happened to each, in order.
std::vector<std::string_view> Attach(Context& ctx, ImageIndex& index,
                                     const std::vector<EntitySuggestion>& suggestions,
                                     bool& changed, bool& refused) {
  std::vector<std::string_view> actions;
  for (const EntitySuggestion& s : suggestions) {
    if (s.ambiguous) {
      actions.push_back("ambiguous");
      continue;
    }
    // A stable's key names the members a user picks; every member is only a guess.
    if (s.entity.entity.kind == RecordKind::Stable) {
      actions.push_back("skipped");
      continue;
    }
    std::vector<std::string> problems;
    const bool attached = AttachSuggestion(index, s, problems);
    for (const std::string& problem : problems) PrintLine(ctx.err, problem);
    changed = changed || attached;
    refused = refused || !attached;
    actions.push_back(attached ? "attached" : "refused");
  }
  return actions;
}

}  // namespace

int RunSuggest(Context& ctx) {
  const std::optional<Options> parsed = ParseOptions(ctx);
  if (!parsed) return kExitUsage;
  const Options& options = *parsed;
  // The stray pictures are worked out beside the loading of the game files: media is listed on
  // a thread of its own (the listing needs no index) once the game's own folders are, the
  // thread that reads the index matches.
  std::shared_future<std::vector<std::string>> listing;
  Gate foldersListed;  // goes first, letting the listing end
  if (!options.apply) {
    listing = StartInBackground([&, listed = foldersListed.Opened()] {
      listed.wait();
      return ListMediaPictures(ctx.os, ctx.paths);
    });
  }
  std::vector<std::string> strays;
  auto game = LoadGame(
      ctx,
      [&](const ImageIndex& index) {
        if (options.apply) return;
        strays = SortedStrayNames(listing.get(), index);
      },
      [&] { foldersListed.Open(); });
  foldersListed.Open();
  // Without the index every entity would read as missing a picture.
  if (!game->db.indexState.loaded) return kExitUsage;
  // A pending journal changed the index after the stray pictures were worked out.
  if (!options.apply && game->journalChanges > 0)
    strays = SortedStrayNames(ListMediaPictures(ctx.os, ctx.paths), game->db.imageIndex);
  if (!options.apply) {
    std::vector<EntitySuggestion> suggestions =
        Suggest(game->db, game->db.imageIndex, strays, options);
    Print(ctx, ctx.out, suggestions, nullptr);
    return suggestions.empty() ? kExitNotFound : kExitOk;
  }
  // What was attached is told only once it is saved.
  std::ostringstream told;
  bool edited = false;
  const int status = EditIndex(ctx, [&](ImageIndex& index) {
    edited = true;
    std::vector<EntitySuggestion> suggestions =
        Suggest(game->db, index, SortedStrayNames(ctx.os, ctx.paths, index), options);
    bool changed = false, refused = false;
    std::vector<std::string_view> actions = Attach(ctx, index, suggestions, changed, refused);
    Print(ctx, told, suggestions, &actions);
    return IndexEdit{changed, refused || suggestions.empty() ? kExitNotFound : kExitOk};
  });
  if (edited && status != kExitUsage) ctx.out << told.str();
  return status;
}

}  // namespace qvm::cli
