// Writers of the game's own file formats, shared by the unit tests, the end-to-end tests (through
// qvm-game-files), the demo game and the full-capacity game. Texts are the game's bytes
// (Windows-1252); callers with UTF-8 texts convert them first. Every line ends with CR LF.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qvm::gamefiles {

// The texts as lines, each ended by CR LF.
std::string Lines(const std::vector<std::string>& lines);

// The count line, then the records as they are (circxdb.dat, card.ttl). `countLine` replaces
// the count line when it is not empty (a count that does not match, a damaged line).
std::string Counted(const std::vector<std::string>& records, std::string_view countLine = {});

// A record file (.dat: the count line, then the records) and its offset file (.idx: line k
// holds the byte offset of record k in the .dat). `order` (record numbers from 1) is the order
// in which the records lie in the .dat; by default they lie in record order.
struct RecordPair {
  std::string dat;
  std::string idx;
};
RecordPair MakePair(const std::vector<std::string>& records, const std::vector<int>& order = {},
                    std::string_view countLine = {});

// One circxdb.dat record: the wrestler's name in the circuit, then 17 lines of numbers.
inline constexpr int kCircuitNumbers = 17;
std::string CircuitRecord(std::string_view name, const std::array<int, kCircuitNumbers>& numbers);
// A circxdb.dat with one record per name, the numbers 0.
std::string CircuitFile(const std::vector<std::string>& names, std::string_view countLine = {});

// One card.ttl record: the holder, the title's name, a number.
std::string TitleRecord(std::string_view holder, std::string_view title, int number);
// A card.ttl with one record per title, held by "x" and numbered from 1.
std::string TitleFile(const std::vector<std::string>& titles);

// One media/index.dat entry: the key's line, then the picture names joined by "|".
std::string IndexLines(std::string_view key, const std::vector<std::string>& pictures);

// Writes `bytes` to `path`, creating the folders on the way; false when that fails.
bool WriteFile(const std::filesystem::path& path, std::string_view bytes);
// Writes both files of a record pair.
bool WritePair(const std::filesystem::path& dat, const std::filesystem::path& idx,
               const RecordPair& pair);

}  // namespace qvm::gamefiles
