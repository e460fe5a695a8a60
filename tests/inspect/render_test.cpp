#include "inspect/render.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <vector>

#include "core/map_format.h"
#include "core/map_grid.h"
#include "core/map_layout.h"
#include "core/terrain.h"
#include "inspect/png_writer.h"
#include "support/test_maps.h"

namespace plandrix {
namespace {

using testing::At;
using Image = std::vector<std::uint8_t>;

Rgb PixelAt(const std::vector<std::uint8_t>& rgb, std::size_t width, std::size_t x, std::size_t y) {
  const std::size_t i = 3 * (y * width + x);
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

Rgb Terrain(std::uint8_t code) { return TerrainOf(Landscape::kGreenland, code).colour; }

// 8 x 6 of flat water with a few known triangles, marks and one slope.
Image KnownMap() {
  Image image = testing::MakeBlankMap(8, 6);
  At(image, kTerrainBlock1, 2, 2) = 2;   // even row: snow pointing up below (2, 2)
  At(image, kTerrainBlock2, 2, 2) = 16;  // lava pointing down right of it
  At(image, kTerrainBlock1, 1, 3) = 8;   // odd row, drawn half a vertex to the right
  At(image, kTerrainBlock2, 1, 3) = 34;
  At(image, kTerrainBlock1, 6, 0) = 17;  // unknown to greenland: magenta
  At(image, kObjectTypeBlock, 1, 1) = 196;
  At(image, kObjectTypeBlock, 2, 5) = 205;
  At(image, kAnimalBlock, 0, 5) = 3;
  return image;
}

TEST(Render, TrianglesAndMarksWhereTheGameDrawsThem) {
  const Image image = KnownMap();
  const auto rgb = RenderPicture(image, Layer::kTerrain, 2);
  ASSERT_EQ(rgb.size(), 3U * 16 * 12);
  const struct {
    std::size_t x, y;
    Rgb colour;
  } pixels[] = {
      {4, 4, Terrain(16)},    {5, 4, Terrain(16)},
      {3, 5, Terrain(2)},     {4, 5, Terrain(2)},
      {5, 5, Terrain(5)},     {3, 6, Terrain(34)},
      {4, 6, Terrain(34)},    {3, 7, Terrain(8)},
      {2, 6, Terrain(5)},     {12, 1, kUnknownTerrainColour},
      {3, 2, kTreeColour},    {5, 10, kGraniteColour},
      {1, 10, kAnimalColour},
  };
  for (const auto& p : pixels) {
    EXPECT_EQ(PixelAt(rgb, 16, p.x, p.y), p.colour) << p.x << ", " << p.y;
  }
}

TEST(Render, ScaleOneIsAPixelPerVertexInTheColourOfBlock2) {
  Image image = KnownMap();
  const auto rgb = RenderPicture(image, Layer::kTerrain, 1);
  ASSERT_EQ(rgb.size(), 3U * 8 * 6);
  EXPECT_EQ(PixelAt(rgb, 8, 2, 2), Terrain(2));
  EXPECT_EQ(PixelAt(rgb, 8, 1, 3), Terrain(8));
  EXPECT_EQ(PixelAt(rgb, 8, 1, 1), kTreeColour);
}

// 4 x 2 with real slopes: block 2 meadow 1 (82, 158, 58) but desert 2 (208, 184, 118) at
// (0, 0), block 3 desert 1 (222, 202, 140). Heights:
//   row 0: 10 14 11 10
//   row 1: 12 10 13  9   (odd: drawn half a vertex right)
// The map wraps: row 1's triangles reach down into row 0, column 3's east into column 0.
Image SlopedMap() {
  Image image = testing::MakeBlankMap(4, 2);
  constexpr std::uint8_t kHeights[2][4] = {{10, 14, 11, 10}, {12, 10, 13, 9}};
  testing::FillBlock(image, kHeightBlock, [&](auto x, auto y) { return kHeights[y][x]; });
  testing::FillBlock(image, kTerrainBlock1, [](auto, auto) { return kMeadow1; });
  testing::FillBlock(image, kTerrainBlock2, [](auto, auto) { return kDesert1; });
  At(image, kTerrainBlock1, 0, 0) = kDesert2;
  return image;
}

// Light = 256 + 12 x slope (64 to 448, in 256ths); a channel = min(255, colour x light /
// 256). An up triangle's slope is 3 x below right - below left - 2 x top, a down one's
// east + 2 x below right - 3 x itself. At scale 2, picture row 2y shows the down
// triangles of row y and row 2y + 1 the up ones; on even rows up triangle k covers
// pixels 2k - 1 and 2k, on odd rows pixels 2k and 2k + 1.
TEST(Render, ShadingOfBothTrianglesAndWrapping) {
  const Image image = SlopedMap();
  const auto rgb = RenderPicture(image, Layer::kTerrain, 2);
  ASSERT_EQ(rgb.size(), 3U * 8 * 4);
  const struct {
    std::size_t x, y;
    Rgb colour;
    const char* why;
  } pixels[] = {
      // 3 x 10 - 12 - 2 x 14 = -10, light 136.
      {2, 1, {43, 83, 30}, "up (1, 0)"},
      // 11 + 2 x 10 - 3 x 14 = -11, light 124.
      {2, 0, {107, 97, 67}, "down (1, 0)"},
      // Below (1, 1) lie (1, 0) and (2, 0): 3 x 11 - 14 - 2 x 10 = -1, light 244.
      {3, 3, {78, 150, 55}, "up (1, 1), reaching into row 0"},
      // Pixel 0 of an odd row: east (0, 1), below right (0, 0): 12 + 2 x 10 - 3 x 9 = 5,
      // light 316.
      {0, 2, {255, 249, 172}, "down (3, 1), last row and column"},
      // The last pixel of an even row: below left (3, 1), below right (0, 1):
      // 3 x 12 - 9 - 2 x 10 = 7, light 340.
      {7, 1, {255, 244, 156}, "up (0, 0) across the right edge"},
      // East (0, 0), below right (3, 1): 10 + 2 x 9 - 3 x 10 = -2, light 232.
      {6, 0, {201, 183, 126}, "down (3, 0), its east corner in column 0"},
  };
  for (const auto& p : pixels) EXPECT_EQ(PixelAt(rgb, 8, p.x, p.y), p.colour) << p.why;
  // At scale 1 a pixel shows its vertex's up triangle.
  const auto one = RenderPicture(image, Layer::kTerrain, 1);
  EXPECT_EQ(PixelAt(one, 4, 1, 0), (Rgb{43, 83, 30}));
  EXPECT_EQ(PixelAt(one, 4, 1, 1), (Rgb{78, 150, 55}));
  EXPECT_EQ(PixelAt(one, 4, 0, 0), (Rgb{255, 244, 156}));
}

// Headquarters on a flat 24 x 16 map of water: a square of 7 x 7 pixels up to scale 3
// and 2s + 1 from 4 on, its outer ring black, the rest in the player's colour, wrapped
// around the picture's edges; players drawn from the last to the first, marks of no
// player (index 8 on) grey and below all.
TEST(Render, HeadquartersMarksAtEveryScale) {
  Image image = testing::MakeBlankMap(24, 16);
  struct Mark {
    std::size_t x, y, index;
  };
  // In the order they must be drawn: (14, 8) and (15, 8) overlap, player 0 on top;
  // (17, 1) and (0, 0) reach over the top edge, (0, 0) over the left one, (23, 8) over
  // the right one and (9, 15) over the bottom one.
  static constexpr Mark kMarks[] = {{17, 1, 9}, {0, 0, 6},  {9, 15, 4}, {23, 8, 3},
                                    {6, 7, 2},  {14, 8, 1}, {15, 8, 0}};
  for (const Mark& mark : kMarks) {
    At(image, kObjectTypeBlock, mark.x, mark.y) = kHeadquartersType;
    At(image, kObjectIndexBlock, mark.x, mark.y) = static_cast<std::uint8_t>(mark.index);
  }
  // The top left pixel of each square: scale 1 (x - 3, y - 3); scale 2 (2x - 3, 2y - 3),
  // a pixel further right on odd rows; scale 4 (4x - 4, 4y - 4), two pixels further
  // right on odd rows.
  const struct {
    int scale;
    int size;
    std::array<std::array<int, 2>, std::size(kMarks)> corners;
  } cases[] = {
      {1, 7, {{{14, -2}, {-3, -3}, {6, 12}, {20, 5}, {3, 4}, {11, 5}, {12, 5}}}},
      {2, 7, {{{32, -1}, {-3, -3}, {16, 27}, {43, 13}, {10, 11}, {25, 13}, {27, 13}}}},
      {4, 9, {{{66, 0}, {-4, -4}, {34, 56}, {88, 28}, {22, 24}, {52, 28}, {56, 28}}}},
  };
  for (const auto& c : cases) {
    const int width = 24 * c.scale;
    const int height = 16 * c.scale;
    // The expected picture: flat water, then each square painted in turn.
    std::vector<Rgb> expected(static_cast<std::size_t>(width * height), Terrain(kWater));
    for (std::size_t m = 0; m < std::size(kMarks); ++m) {
      const Rgb fill = kMarks[m].index < 8 ? kPlayerColours[kMarks[m].index] : Rgb{128, 128, 128};
      for (int dy = 0; dy < c.size; ++dy) {
        for (int dx = 0; dx < c.size; ++dx) {
          const int x = (c.corners[m][0] + dx + width) % width;
          const int y = (c.corners[m][1] + dy + height) % height;
          const bool ring = dx == 0 || dy == 0 || dx == c.size - 1 || dy == c.size - 1;
          expected[static_cast<std::size_t>(y * width + x)] = ring ? Rgb{0, 0, 0} : fill;
        }
      }
    }
    const auto rgb = RenderPicture(image, Layer::kTerrain, c.scale);
    ASSERT_EQ(rgb.size(), 3 * expected.size());
    int wrong = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const Rgb got = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
      if (got != expected[i] && ++wrong <= 3) {
        ADD_FAILURE() << "scale " << c.scale << ": pixel " << i % static_cast<std::size_t>(width)
                      << ", " << i / static_cast<std::size_t>(width);
      }
    }
    EXPECT_EQ(wrong, 0) << "scale " << c.scale;
  }
}

// Eight player colours, all different, none the ring's black or the grey of no player.
TEST(Render, PlayerColoursAreDistinct) {
  for (std::size_t a = 0; a < kPlayerColours.size(); ++a) {
    EXPECT_NE(kPlayerColours[a], kMarkBorderColour) << a;
    EXPECT_NE(kPlayerColours[a], kStrayMarkColour) << a;
    for (std::size_t b = a + 1; b < kPlayerColours.size(); ++b) {
      EXPECT_NE(kPlayerColours[a], kPlayerColours[b]) << a << ", " << b;
    }
  }
}

// Seven quality colours, all different, none a player's colour (which outlines the homes
// over them) nor the ring's black.
TEST(Render, QualityColoursAreDistinct) {
  for (std::size_t a = 0; a < kQualityColours.size(); ++a) {
    EXPECT_NE(kQualityColours[a], kMarkBorderColour) << a;
    for (const Rgb& player : kPlayerColours) EXPECT_NE(kQualityColours[a], player) << a;
    for (std::size_t b = a + 1; b < kQualityColours.size(); ++b) {
      EXPECT_NE(kQualityColours[a], kQualityColours[b]) << a << ", " << b;
    }
  }
}

// A 64 x 8 meadow at scale 1 (a pixel per vertex) with player 0 at (10, 4): along row 4 its
// home of 24 steps runs from column 50 round the left edge to column 34, whose ends are
// its border. A tree at (40, 2) (even row): nothing on it, a hut east of it at (41, 2), a
// flag north-west of it at (39, 1), where its flag would stand. Six mountain triangles
// round (46, 6): a mine. The headquarters is a 7 x 7 square as on the terrain layer.
TEST(Render, QualityLayerWithTheHomesOutlined) {
  Image image = testing::MakeBlankMap(64, 8);
  testing::FillBlock(image, kTerrainBlock1, [](auto, auto) { return kMeadow1; });
  testing::FillBlock(image, kTerrainBlock2, [](auto, auto) { return kMeadow1; });
  const MapGrid grid(64, 8);
  for (const Triangle& t : grid.TrianglesAround({46, 6})) {
    At(image, t.second ? kTerrainBlock2 : kTerrainBlock1, t.vertex % 64, t.vertex / 64) =
        kMountain1;
  }
  image[kPlayerCountOffset] = 1;
  At(image, kObjectTypeBlock, 10, 4) = kHeadquartersType;
  At(image, kObjectTypeBlock, 40, 2) = kFirstTreeType;
  At(image, kObjectIndexBlock, 40, 2) = 0x30;
  const auto rgb = RenderPicture(image, Layer::kQuality, 1);
  ASSERT_EQ(rgb.size(), 3U * 64 * 8);
  const auto quality = [](BuildingQuality q) {
    return kQualityColours[static_cast<std::size_t>(q)];
  };
  const struct {
    std::size_t x, y;
    Rgb colour;
  } pixels[] = {
      {33, 4, quality(BuildingQuality::kCastle)},
      {34, 4, kPlayerColours[0]},
      {35, 4, quality(BuildingQuality::kCastle)},
      {49, 4, quality(BuildingQuality::kCastle)},
      {50, 4, kPlayerColours[0]},
      {51, 4, quality(BuildingQuality::kCastle)},
      {40, 2, quality(BuildingQuality::kNothing)},
      {41, 2, quality(BuildingQuality::kHut)},
      {39, 1, quality(BuildingQuality::kFlag)},
      {46, 6, quality(BuildingQuality::kMine)},
      {7, 1, kMarkBorderColour},
      {10, 4, kPlayerColours[0]},
  };
  for (const auto& p : pixels) {
    EXPECT_EQ(PixelAt(rgb, 64, p.x, p.y), p.colour) << p.x << ", " << p.y;
  }
}

// Grey from black at the map's lowest height to white at its highest; red above 60, left
// out of the stretch; a flat map mid grey.
TEST(Render, HeightsStretchedFromLowestToHighest) {
  Image image = testing::MakeBlankMap(4, 2);
  constexpr std::uint8_t kHeights[2][4] = {{10, 20, 15, 61}, {12, 10, 20, 13}};
  testing::FillBlock(image, kHeightBlock, [&](auto x, auto y) { return kHeights[y][x]; });
  const auto rgb = RenderPicture(image, Layer::kHeights, 2);
  const auto grey = [](std::uint8_t g) { return Rgb{g, g, g}; };
  // (h - 10) x 255 / 10, rounded down; row 1 is odd: vertex x covers pixels 2x + 1 and
  // 2x + 2, and pixel 0 shows vertex 3.
  const struct {
    std::size_t x, y;
    Rgb colour;
  } pixels[] = {
      {0, 0, grey(0)},  {3, 1, grey(255)}, {4, 0, grey(127)}, {6, 1, kTooHighColour},
      {0, 2, grey(76)}, {1, 3, grey(51)},  {3, 2, grey(0)},   {5, 3, grey(255)},
  };
  for (const auto& p : pixels) {
    EXPECT_EQ(PixelAt(rgb, 8, p.x, p.y), p.colour) << p.x << ", " << p.y;
  }
  const auto flat = RenderPicture(testing::MakeBlankMap(4, 2), Layer::kHeights, 1);
  EXPECT_EQ(PixelAt(flat, 4, 3, 1), grey(128));
}

// Fish the dark blue of the sea; ground water a pale blue, less saturated than every ore
// even at amount 1; ores brighter with their amount and apart from each other; nothing a
// neutral grey darker than all; bytes outside every range magenta.
TEST(Render, ResourceColoursReadTheRightWay) {
  constexpr std::uint8_t kBytes[] = {0x00, 0x21, 0x87, 0x41, 0x47, 0x49, 0x4F,
                                     0x51, 0x57, 0x59, 0x5F, 0x40, 0x90};
  constexpr std::size_t kWidth = std::size(kBytes);
  Image image = testing::MakeBlankMap(kWidth, 2);
  testing::FillBlock(image, kResourceBlock, [&](auto x, auto) { return kBytes[x]; });
  const auto rgb = RenderPicture(image, Layer::kResources, 1);
  const auto colour = [&](std::size_t x) { return PixelAt(rgb, kWidth, x, 0); };
  const auto sum = [](Rgb c) { return c[0] + c[1] + c[2]; };
  const auto saturation = [](Rgb c) {
    return *std::max_element(c.begin(), c.end()) - *std::min_element(c.begin(), c.end());
  };
  const Rgb nothing = colour(0);
  const Rgb water = colour(1);
  const Rgb fish = colour(2);
  EXPECT_EQ(saturation(nothing), 0);
  EXPECT_GT(fish[2], std::max(fish[0], fish[1]));
  EXPECT_GT(water[2], std::max(water[0], water[1]));
  EXPECT_LT(sum(fish), sum(water));
  for (std::size_t x = 1; x < 11; ++x) EXPECT_LT(sum(nothing), sum(colour(x))) << x;
  for (std::size_t ore = 3; ore < 11; ore += 2) {  // amount 1 at ore, amount 7 at ore + 1
    EXPECT_LT(sum(colour(ore)), sum(colour(ore + 1))) << ore;
    EXPECT_LT(saturation(water), saturation(colour(ore))) << ore;
    for (std::size_t other = ore + 2; other < 11; other += 2) {
      EXPECT_NE(colour(ore), colour(other)) << ore << ", " << other;
      EXPECT_NE(colour(ore + 1), colour(other + 1)) << ore << ", " << other;
    }
  }
  EXPECT_EQ(colour(7), (Rgb{153, 128, 0}));       // gold 1: 9/15 of (255, 214, 0)
  EXPECT_EQ(colour(11), kUnknownResourceColour);  // coal of amount 0
  EXPECT_EQ(colour(12), kUnknownResourceColour);
}

TEST(Render, SizesAndRefusals) {
  EXPECT_EQ(DefaultScale(512, 512), 2);
  EXPECT_EQ(DefaultScale(513, 64), 1);
  EXPECT_EQ(DefaultScale(512, 32769), 1);  // 1024 x 65538 pixels would be too many
  EXPECT_FALSE(PictureSizeFor(0, 5, 1));
  EXPECT_FALSE(PictureSizeFor(5, 5, 0));
  EXPECT_FALSE(PictureSizeFor(5, 5, kMaxScale + 1));
  EXPECT_TRUE(PictureSizeFor(65535, 65535, 1));
  EXPECT_TRUE(PictureSizeFor(4096, 4096, 2));
  EXPECT_FALSE(PictureSizeFor(4097, 4096, 2));
  Image image = KnownMap();
  image.pop_back();
  EXPECT_TRUE(RenderPicture(image, Layer::kTerrain, 2).empty());
  std::vector<std::uint8_t> rows(3 * 16 * 2, 7);
  RenderRows(image, Layer::kTerrain, 2, 0, rows);  // no whole map: black rows
  EXPECT_EQ(rows, std::vector<std::uint8_t>(rows.size(), 0));
}

// The PNG read back by libpng gives the rendered pixels; equal input gives equal bytes.
TEST(PngWriter, ReadsBackAsRenderedAndIsReproducible) {
  const Image image = KnownMap();
  const auto rgb = RenderPicture(image, Layer::kTerrain, 3);
  const auto encode = [&] {
    return EncodePng(24, 18, 5, [&](std::size_t row, std::span<std::uint8_t> band) {
      RenderRows(image, Layer::kTerrain, 3, row, band);
    });
  };
  const auto png = encode();
  ASSERT_TRUE(png);
  EXPECT_EQ(*png, *encode());
  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&read, png->data(), png->size()));
  EXPECT_EQ(read.width, 24U);
  EXPECT_EQ(read.height, 18U);
  read.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(read));
  ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
  EXPECT_EQ(pixels, rgb);
  EXPECT_FALSE(EncodePng(0, 5, 1, [](std::size_t, std::span<std::uint8_t>) {}));
}

// Pictures of up to 255 colours are written with a palette, others as RGB; both read back
// as the pixels given.
TEST(PngWriter, PaletteUpTo255ColoursElseRgb) {
  constexpr std::size_t kWidth = 40;
  constexpr std::size_t kHeight = 30;
  for (const std::size_t colours : {1U, 255U, 256U, 1200U}) {
    std::vector<std::uint8_t> rgb(3 * kWidth * kHeight);
    for (std::size_t i = 0; i < kWidth * kHeight; ++i) {
      const std::size_t colour = (i * 7) % colours;  // every colour appears
      rgb[3 * i] = static_cast<std::uint8_t>(colour);
      rgb[3 * i + 1] = static_cast<std::uint8_t>(colour >> 8);
      rgb[3 * i + 2] = 9;
    }
    const auto png =
        EncodePng(kWidth, kHeight, 7, [&](std::size_t row, std::span<std::uint8_t> band) {
          std::copy_n(rgb.begin() + static_cast<std::ptrdiff_t>(3 * kWidth * row), band.size(),
                      band.begin());
        });
    ASSERT_TRUE(png) << colours;
    // IHDR's colour type: 3 a palette, 2 RGB.
    EXPECT_EQ((*png)[25], colours <= kMostPaletteColours ? 3 : 2) << colours;
    png_image read{};
    read.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&read, png->data(), png->size()));
    read.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(read));
    ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
    EXPECT_EQ(pixels, rgb) << colours;
  }
}

}  // namespace
}  // namespace plandrix
