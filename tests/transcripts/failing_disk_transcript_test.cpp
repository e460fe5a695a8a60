// Saves on a disk that fails: the file size limit is lowered as in a plain shell (the size
// signal at its default action, which would end a program that does not ignore it), or
// the folder does not exist.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::MakeBlankMap;
using testing::MenuText;
using testing::QuitText;

TEST(FailingDiskTranscript, SizeLimitReportsTheErrorAndKeepsTheEarlierOutput) {
  const std::vector<std::uint8_t> earlier(3000, 0x5A);  // a good earlier output, 3 KiB
  const std::string failed = "\nNothing here!\n\nERROR: Unable to save File: ntest.wld\n\n";
  // Limits in KiB: every one is too small for the 16913-byte map but not zero. Three
  // saves in a row: none may leave a temporary file.
  for (int limit : {4, 8, 16}) {
    testing::TempFolder folder;
    folder.Write("ntest.wld", earlier);
    testing::RunOptions options;
    options.prelude = "trap - XFSZ; ulimit -f " + std::to_string(limit);
    const auto run = testing::RunProgramIn(folder, "12\n12\n12\n0\n", options);
    EXPECT_EQ(run.exit_status, 0) << limit;
    EXPECT_EQ(run.output,
              MenuText() + failed + MenuText() + failed + MenuText() + failed + QuitText())
        << limit;
    // The earlier output is intact and no partial file is left behind.
    ASSERT_EQ(run.files.size(), 1u) << limit;
    EXPECT_EQ(run.files.at("ntest.wld"), earlier) << limit;
  }
}

TEST(FailingDiskTranscript, LimitLargeEnoughSaves) {
  testing::RunOptions options;
  options.prelude = "trap - XFSZ; ulimit -f 17";
  const auto run = testing::RunProgram("12\n0\n", {}, options);
  EXPECT_EQ(run.output,
            MenuText() + "\nNothing here!\n\nMap has been saved!\nName:ntest.wld\n\n" + QuitText());
  EXPECT_EQ(run.files.at("ntest.wld"), MakeBlankMap(32, 32));
}

}  // namespace
}  // namespace plandrix

namespace plandrix {
namespace {

const std::string kResourcesStart =
    "\n10 - Random-Resources-Tool(WIP)\nThis Tool will add some random resources to your map\n"
    "Please enter the Map-Filename (.swd/.wld) or 0 to abort.\nFilename: Map has been loaded!\n";

TEST(FailingDiskTranscript, FolderThatDoesNotExistAndLinkToTheInput) {
  const auto map = testing::MakeBlankMap(8, 8);
  testing::TempFolder folder;
  folder.Write("maps/a.swd", map);  // the output would go to nmaps/, which is missing
  folder.Write("b.swd", map);
  std::filesystem::create_symlink("b.swd", folder.path() / "nb.swd");  // output -> input
  const auto run = testing::RunProgramIn(folder, "10\nmaps/a.swd\n10\nb.swd\n0\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.output, testing::MenuText() + kResourcesStart +
                            "\nERROR: Unable to save File: nmaps/a.swd\n\n" + testing::MenuText() +
                            kResourcesStart + "\nERROR: Unable to save File: nb.swd\n\n" +
                            testing::QuitText());
  EXPECT_TRUE(run.written.empty());
  EXPECT_EQ(run.files.at("b.swd"), map);
  EXPECT_TRUE(std::filesystem::is_symlink(folder.path() / "nb.swd"));
}

}  // namespace
}  // namespace plandrix
