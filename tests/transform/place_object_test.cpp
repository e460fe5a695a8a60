// Placing one object: the editor asks only for vertices inside the map, but the
// operation must refuse any other without writing a byte.
#include "transform/place_object.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using testing::MakeBlankMap;

TEST(PlaceObject, VertexOutsideTheMapWritesNothing) {
  struct Case {
    std::size_t x, y;
    int refused;
  };
  // A 4 x 3 map: x runs 0 to 3, y 0 to 2. (4, 0) would be the index of (0, 1).
  for (const Case c : {Case{3, 2, 0}, Case{4, 0, 2}, Case{0, 3, 2}, Case{SIZE_MAX, 0, 2}}) {
    auto image = MakeBlankMap(4, 3);
    auto expected = image;
    if (c.refused == 0) {
      At(expected, 5, c.x, c.y) = 41;
      At(expected, 6, c.x, c.y) = 200;
    }
    EXPECT_EQ(PlaceObject(image, 4, 3, c.x, c.y, 41), c.refused) << c.x << ' ' << c.y;
    EXPECT_EQ(image, expected) << c.x << ' ' << c.y;
  }
}

}  // namespace
}  // namespace plandrix
