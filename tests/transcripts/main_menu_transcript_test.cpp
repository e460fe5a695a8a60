// Whole dialogues of the main menu, run on the real program.
#include <gtest/gtest.h>

#include <string>

#include "support/run_program.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::MakeBlankMap;
using testing::MenuText;
using testing::QuitText;
using testing::RunProgram;

const std::string kFarewell = "Hopefully everything went better than expected!\n";

TEST(MainMenuTranscript, ZeroQuitsWithTheFarewell) {
  const auto run = RunProgram("0\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.output, QuitText());
  EXPECT_TRUE(run.files.empty());
}

TEST(MainMenuTranscript, EndOfInputAtTheMenuQuits) {
  for (const char* input : {"", "\n\n", "   "}) {
    const auto run = RunProgram(input);
    EXPECT_EQ(run.exit_status, 0) << input;
    EXPECT_EQ(run.output, QuitText()) << input;
  }
}

TEST(MainMenuTranscript, PlaceholderAndUnknownOptions) {
  const auto run = RunProgram("4\n13\n-1\nabc\n99999999999\n4abc\n0\n");
  EXPECT_EQ(run.exit_status, 0);
  const std::string error = "\nError: not an option\n";
  EXPECT_EQ(run.output, MenuText() + "\nSWD to BMP tool still under construction\n" +  //
                            MenuText() + error +                                       // 13
                            MenuText() + error +                                       // -1
                            MenuText() + error +                                       // abc
                            MenuText() + error +                                       // too big
                            MenuText() + "\nSWD to BMP tool still under construction\n" +
                            QuitText());
  EXPECT_TRUE(run.files.empty());
}

TEST(MainMenuTranscript, InformationScreen) {
  const auto run = RunProgram("11\n0\n");
  EXPECT_EQ(run.output,
            MenuText() +
                "\nInformation about my Program\n"
                "---------------------------\n"
                "Made by the Plandrix developers for SettlersII world maps (.swd/.wld).\n"
                "Use this Program at your own risk. If you use the program wrong I can't ensure "
                "that everything wents okay. I tested program a several times but you can never "
                "be sure.\n"
                "Questions, ideas and bug reports are welcome on the project page named in the "
                "README.\n" +
                QuitText());
}

TEST(MainMenuTranscript, TestOptionWritesTheBlankMap) {
  const auto run = RunProgram("12\n0\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.output,
            MenuText() + "\nNothing here!\n\nMap has been saved!\nName:ntest.wld\n\n" + QuitText());
  ASSERT_EQ(run.files.size(), 1u);
  EXPECT_EQ(run.files.at("ntest.wld"), MakeBlankMap(32, 32));
}

TEST(MainMenuTranscript, TestOptionReplacesAnOldOutputWhole) {
  const auto run = RunProgram("12\n0\n", {{"ntest.wld", std::vector<std::uint8_t>(20000, 1)}});
  EXPECT_EQ(run.files.at("ntest.wld"), MakeBlankMap(32, 32));
}

TEST(MainMenuTranscript, TestOptionReportsAnUnwritableOutput) {
  // A folder named like the output cannot be replaced by a file.
  testing::TempFolder folder;
  std::filesystem::create_directory(folder.path() / "ntest.wld");
  const auto run = testing::RunProgramIn(folder, "12\n0\n");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(
      run.output,
      MenuText() + "\nNothing here!\n\nERROR: Unable to save File: ntest.wld\n\n" + QuitText());
  EXPECT_TRUE(run.written.empty());
}

}  // namespace
}  // namespace plandrix
