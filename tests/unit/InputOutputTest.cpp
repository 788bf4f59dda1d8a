// What the index cannot hold is refused wherever it would come in, and what is read costs memory
// in proportion to it.
#include <gtest/gtest.h>

#include <iostream>
#include <string>

#include "images/AttachPictures.h"
#include "index/ImageIndex.h"
#include "tests/unit/Processes.h"
#include "tests/unit/TestFolder.h"

namespace qvm {
namespace {

TEST(InputOutput, KeysIndexDatCannotHoldAreRefusedEverywhere) {
  NewPool();
  for (std::string_view bad :
       {std::string_view("a\rb"), std::string_view("a\x1A"), std::string_view("a\0b", 3)}) {
    ImageIndex index;
    ParseImageIndex("K\r\na.jpg\r\n", index);
    EXPECT_EQ(index.AppendEntry(bad), 0);
    index.SetKey(1, bad);
    EXPECT_EQ(index.Entry(1).key, "K");
    const AttachReport report = AttachMediaNames(index, bad, {"b.jpg"});
    EXPECT_TRUE(report.added.empty());
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_NE(report.problems[0].find("which the picture index cannot hold"), std::string::npos);
    EXPECT_EQ(SerializeImageIndex(index), "K\r\na.jpg\r\n");
  }
  ImageIndex index;
  EXPECT_EQ(index.AppendEntry("Line\nFeed"), 1);  // a lone LF is part of its line
  ReleasePool();
}

#ifndef _WIN32  // measured on the process that fork starts
// check holds the index once, not once per finding: an index of one line of a million names
// (every one a missing picture) costs a small multiple of its size.
TEST(InputOutput, CheckOnAHugeIndexLineCostsASmallMultipleOfItsSize) {
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
#endif

}  // namespace
}  // namespace qvm
