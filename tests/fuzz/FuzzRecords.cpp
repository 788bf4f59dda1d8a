// Every record reader on any bytes: the input is cut at 0xFF bytes into a data file, its
// offset file and the sequential files; the tables must stay within their capacities.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "gamedb/GameReaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> part;
  std::size_t start = 0;
  while (part.size() < 4) {
    std::size_t cut = bytes.find('\xFF', start);
    part.push_back(bytes.substr(start, cut == bytes.npos ? bytes.npos : cut - start));
    if (cut == bytes.npos) break;
    start = cut + 1;
  }
  part.resize(4);
  qvm::NewPool();
  {
    qvm::GameDatabase db;
    qvm::RecordFiles pair{"data\\x.dat", part[0], part[1]};
    qvm::ReadCircuitList(part[2], db);
    qvm::ReadWrestlers(pair, db);
    qvm::ReadCircuitAliases(part[2], "c\\circxdb.dat", db);
    qvm::ReadCircuitAliases(part[3], "d\\circxdb.dat", db);
    qvm::TeamReader teams(db);
    teams.ReadMain(pair);
    teams.ReadCircuit({"c\\teams.dat", part[2], part[3]});
    qvm::StableReader stables(db);
    stables.ReadMain(pair);
    stables.ReadCircuit({"c\\stables.dat", part[2], part[3]});
    stables.ReadCircuit({"d\\stables.dat", part[3], part[1]});
    qvm::ReadManagers(pair, db);
    qvm::ReadTitles(part[2], "c\\card.ttl", db);
    if (db.wrestlers.size() > qvm::kWrestlerCapacity || db.teams.size() > qvm::kTeamCapacity ||
        db.stables.size() > qvm::kStableCapacity || db.managers.size() > qvm::kManagerCapacity ||
        db.titles.size() > qvm::kTitleCapacity)
      std::abort();
    for (const auto& w : db.wrestlers)
      if (w.aliases.empty() || w.aliases.size() > qvm::kAliasCapacity) std::abort();
    for (const auto& s : db.stables)
      if (s.members.empty() || s.members.size() > qvm::kStableMemberCapacity) std::abort();
  }
  qvm::ReleasePool();
  return 0;
}
