#include "inspect/render.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <vector>

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
  At(image, kObjectTypeBlock, 6, 4) = kHeadquartersType;
  At(image, kObjectIndexBlock, 6, 4) = 1;
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
      {4, 4, Terrain(16)},        {5, 4, Terrain(16)},
      {3, 5, Terrain(2)},         {4, 5, Terrain(2)},
      {5, 5, Terrain(5)},         {3, 6, Terrain(34)},
      {4, 6, Terrain(34)},        {3, 7, Terrain(8)},
      {2, 6, Terrain(5)},         {12, 1, kUnknownTerrainColour},
      {3, 2, kTreeColour},        {5, 10, kGraniteColour},
      {1, 10, kAnimalColour},     {12, 8, kPlayerColours[1]},
      {11, 9, kPlayerColours[1]}, {10, 10, kMarkBorderColour},
      {14, 6, kMarkBorderColour}, {9, 8, Terrain(5)},
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
  EXPECT_EQ(PixelAt(rgb, 8, 6, 4), kPlayerColours[1]);  // 3 x 3 inside its border
  EXPECT_EQ(PixelAt(rgb, 8, 4, 2), kMarkBorderColour);
}

TEST(Render, SlopesTowardsTheLowerRightAreLit) {
  Image image = KnownMap();
  At(image, kHeightBlock, 3, 2) = 12;  // the lava of (2, 2): right corner 2 up
  const auto rgb = RenderPicture(image, Layer::kTerrain, 2);
  // 256 + 12 x 2 = 280 in 256ths: 204, 52, 22 become 223, 56, 24.
  EXPECT_EQ(PixelAt(rgb, 16, 4, 4), (Rgb{223, 56, 24}));
}

TEST(Render, HeightsAndResourcesLayers) {
  Image image = KnownMap();
  At(image, kHeightBlock, 1, 1) = 60;
  At(image, kHeightBlock, 2, 1) = 61;
  At(image, kHeightBlock, 3, 1) = 30;
  At(image, kResourceBlock, 1, 1) = 0x21;
  At(image, kResourceBlock, 2, 1) = 0x57;
  At(image, kResourceBlock, 3, 1) = 0x48;
  const auto heights = RenderPicture(image, Layer::kHeights, 2);
  // Row 1 is odd: vertex x covers pixels 2x + 1 and 2x + 2.
  EXPECT_EQ(PixelAt(heights, 16, 3, 2), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(heights, 16, 6, 3), kTooHighColour);
  EXPECT_EQ(PixelAt(heights, 16, 7, 2), (Rgb{127, 127, 127}));
  EXPECT_EQ(PixelAt(heights, 16, 0, 0), (Rgb{42, 42, 42}));
  const auto resources = RenderPicture(image, Layer::kResources, 2);
  EXPECT_EQ(PixelAt(resources, 16, 3, 2), kResourceColours[1]);
  EXPECT_EQ(PixelAt(resources, 16, 5, 2), kResourceColours[4]);  // gold 7: the full colour
  EXPECT_EQ(PixelAt(resources, 16, 7, 3), kUnknownResourceColour);
  EXPECT_EQ(PixelAt(resources, 16, 0, 0), kResourceColours[0]);
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
