// check holds the index once, not once per finding: an index of one line of a million names
// (every one a missing picture) costs a small multiple of its size.
#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "tests/unit/Processes.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

TEST(CheckMemory, AHugeIndexLineCostsASmallMultipleOfItsSize) {
  test::GameFolder game;
  std::string line;
  for (int i = 0; i < 1000000; ++i) line += "picture" + std::to_string(1000000 + i) + ".jpg|";
  line.pop_back();
  game.Write("media/index.dat", "Key\r\n" + line + "\r\n");
  const test::CliRun run = test::RunCli({"-C", game.path().string(), "check"});
  EXPECT_EQ(run.status, 1);
  const long fileKb = static_cast<long>(line.size() / 1024);
  std::cout << "[ figure ] check on a " << fileKb / 1024 << " MB index line: peak "
            << run.maxResidentKb / 1024 << " MB\n";
  EXPECT_LT(run.maxResidentKb, 8 * fileKb + 16 * 1024);
}

}  // namespace
}  // namespace qvm
