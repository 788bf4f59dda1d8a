// qvm-game-files: writes one file of a game folder in the game's own formats, for the
// end-to-end tests' game folders. Texts are given in UTF-8 and written as Windows-1252.
//
//   qvm-game-files records BASE [LINE...] [-- LINE...]...  BASE.dat and BASE.idx; "--" starts
//                                                          the next record
//   qvm-game-files lines FILE [LINE...]                    card.lgs, media/index.dat
//   qvm-game-files circuit FILE [NAME...]                  circxdb.dat, one record per name
//   qvm-game-files titles FILE [TITLE...]                  card.ttl, one record per title
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Cp1252.h"
#include "tests/support/GameWriter.h"

namespace gf = qvm::gamefiles;

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: qvm-game-files records BASE [LINE...] [-- LINE...]...\n"
               "       qvm-game-files lines|circuit|titles FILE [TEXT...]\n");
  return 2;
}

int Written(bool ok, const std::string& path) {
  if (ok) return 0;
  std::fprintf(stderr, "qvm-game-files: cannot write %s\n", path.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string_view command = argv[1];
  const std::string path = argv[2];
  std::vector<std::string> texts;
  for (int i = 3; i < argc; ++i) {
    std::optional<std::string> text = qvm::Cp1252FromUtf8(argv[i]);
    if (!text) {
      std::fprintf(stderr, "qvm-game-files: \"%s\" has no Windows-1252 form\n", argv[i]);
      return 2;
    }
    texts.push_back(std::move(*text));
  }

  if (command == "records") {
    std::vector<std::string> records;
    if (!texts.empty()) records.emplace_back();
    for (const std::string& text : texts) {
      if (text == "--") {
        records.emplace_back();
      } else {
        records.back() += gf::Lines({text});
      }
    }
    return Written(gf::WritePair(path + ".dat", path + ".idx", gf::MakePair(records)), path);
  }
  if (command == "lines") return Written(gf::WriteFile(path, gf::Lines(texts)), path);
  if (command == "circuit") return Written(gf::WriteFile(path, gf::CircuitFile(texts)), path);
  if (command == "titles") return Written(gf::WriteFile(path, gf::TitleFile(texts)), path);
  return Usage();
}
