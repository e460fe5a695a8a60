// The height menu of the set heights tool.
#include "tools/set_heights_tool.h"

#include <gtest/gtest.h>

#include <sstream>

namespace plandrix {
namespace {

TEST(PrintHeightMenu, SeventeenLines) {
  std::ostringstream out;
  PrintHeightMenu(out);
  EXPECT_EQ(out.str(),
            "Which height do you want to set?\n"
            "(Use any option ranging from 1 - 61)\n"
            "--------------------------------\n"
            "00 - Close Tool\n"
            "01 - height -10 (0x00)\n"
            "02...10\n"
            "11 - height -00 (0x0A)\n"
            "12...19\n"
            "21 - height +10 (0x14)\n"
            "22...29\n"
            "31 - height +20 (0x1E)\n"
            "32...39\n"
            "41 - height +30 (0x28)\n"
            "42...49\n"
            "51 - height +40 (0x32)\n"
            "52...59\n"
            "61 - height +50 (0x3C)\n");
}

}  // namespace
}  // namespace plandrix
