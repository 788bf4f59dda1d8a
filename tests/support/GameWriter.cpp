#include "tests/support/GameWriter.h"

#include <fstream>
#include <system_error>

namespace qvm::gamefiles {

namespace {

constexpr std::string_view kEnd = "\r\n";

std::string CountLine(std::size_t count, std::string_view given) {
  return given.empty() ? std::to_string(count) + std::string(kEnd) : std::string(given);
}

}  // namespace

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) (out += line) += kEnd;
  return out;
}

std::string Counted(const std::vector<std::string>& records, std::string_view countLine) {
  std::string out = CountLine(records.size(), countLine);
  for (const std::string& record : records) out += record;
  return out;
}

RecordPair MakePair(const std::vector<std::string>& records, const std::vector<int>& order,
                    std::string_view countLine) {
  RecordPair pair{CountLine(records.size(), countLine), {}};
  std::vector<std::size_t> offsets(records.size());
  auto place = [&](std::size_t k) {
    offsets[k] = pair.dat.size();
    pair.dat += records[k];
  };
  if (order.empty()) {
    for (std::size_t k = 0; k < records.size(); ++k) place(k);
  } else {
    for (int number : order) place(static_cast<std::size_t>(number) - 1);
  }
  for (std::size_t offset : offsets) (pair.idx += std::to_string(offset)) += kEnd;
  return pair;
}

std::string CircuitRecord(std::string_view name, const std::array<int, kCircuitNumbers>& numbers) {
  std::string out(name);
  out += kEnd;
  for (int number : numbers) (out += std::to_string(number)) += kEnd;
  return out;
}

std::string CircuitFile(const std::vector<std::string>& names, std::string_view countLine) {
  std::vector<std::string> records;
  records.reserve(names.size());
  for (const std::string& name : names) records.push_back(CircuitRecord(name, {}));
  return Counted(records, countLine);
}

std::string TitleRecord(std::string_view holder, std::string_view title, int number) {
  return Lines({std::string(holder), std::string(title), std::to_string(number)});
}

std::string TitleFile(const std::vector<std::string>& titles) {
  std::vector<std::string> records;
  records.reserve(titles.size());
  for (std::size_t k = 0; k < titles.size(); ++k) {
    records.push_back(TitleRecord("x", titles[k], static_cast<int>(k) + 1));
  }
  return Counted(records);
}

std::string IndexLines(std::string_view key, const std::vector<std::string>& pictures) {
  std::string out(key);
  out += kEnd;
  for (std::size_t i = 0; i < pictures.size(); ++i) (out += i ? "|" : "") += pictures[i];
  return out += kEnd;
}

bool WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

bool WritePair(const std::filesystem::path& dat, const std::filesystem::path& idx,
               const RecordPair& pair) {
  return WriteFile(dat, pair.dat) && WriteFile(idx, pair.idx);
}

}  // namespace qvm::gamefiles
