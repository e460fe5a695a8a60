#include "console/console.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace plandrix {
namespace {

struct Reply {
  const char* input;
  std::int32_t first;
  std::int32_t second;  // what the next read gets: the rest of the line is always gone
};

TEST(ReadNumber, ReadsOneNumberAndDropsTheRestOfItsLine) {
  const Reply replies[] = {
      {"7\n8\n", 7, 8},
      {"  \n\n 12\n3\n", 12, 3},  // white space and empty lines are skipped
      {"3abc\n4\n", 3, 4},        // letters after the number go with the line
      {"5 6\n9\n", 5, 9},         // a second number on the line is thrown away
      {"-3\n1\n", -3, 1},         // negative numbers are numbers
      {"+2\n1\n", 2, 1},
      {"abc\n1\n", -1, 1},  // no number: -1, and the input recovers
      {"-\n1\n", -1, 1},
      {"2147483647\n1\n", 2147483647, 1},
      {"-2147483648\n1\n", -2147483647 - 1, 1},
      {"2147483648\n1\n", -1, 1},  // beyond 32 bits
      {"99999999999999999999999\n1\n", -1, 1},
      {"1", 1, 0},  // then the end of input
      {"", 0, 0},   // end of input reads 0, again and again
      {"  \n", 0, 0},
  };
  for (const Reply& reply : replies) {
    std::istringstream in(reply.input);
    EXPECT_EQ(ReadNumber(in), reply.first) << reply.input;
    EXPECT_EQ(ReadNumber(in), reply.second) << reply.input;
  }
}

TEST(AskYesNo, OnlyOneMeansYes) {
  for (auto [input, yes] :
       {std::pair{"1\n", true}, std::pair{"2\n", false}, std::pair{"0\n", false},
        std::pair{"1x\n", true}, std::pair{"yes\n", false}, std::pair{"", false},
        std::pair{"11\n", false}}) {
    std::istringstream in(input);
    std::ostringstream out;
    Console console{in, out};
    EXPECT_EQ(AskYesNo(console, "Place Trees? (1 = yes, else = no)"), yes) << input;
    EXPECT_EQ(out.str(), "Place Trees? (1 = yes, else = no)\n");
  }
}

TEST(WarnLargeMap, WarnsFrom256InEitherDirection) {
  const std::string warning =
      "\nWarning: This is a large map!\nSome functions maybe need some time!\n"
      "Please be patient...\n";
  for (auto [w, h, warns] :
       {std::tuple{256, 10, true}, std::tuple{10, 256, true}, std::tuple{255, 255, false},
        std::tuple{0, 0, false}, std::tuple{65535, 1, true}}) {
    std::ostringstream out;
    WarnLargeMap(out, static_cast<std::size_t>(w), static_cast<std::size_t>(h));
    EXPECT_EQ(out.str(), warns ? warning : "") << w << " x " << h;
  }
}

}  // namespace
}  // namespace plandrix
