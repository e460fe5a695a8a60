// RGB pixels to the bytes of a PNG file, through libpng. The rows are asked for band by
// band, so that a picture is never held whole beside its compressed bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plandrix {

// Fills rgb with picture rows first_row onwards (3 bytes per pixel, whole rows).
using RowSource = std::function<void(std::size_t first_row, std::span<std::uint8_t> rgb)>;

// zlib level 1 and no row filter. A picture of at most 255 colours (any map of gentle
// slopes: the colours are the terrains times their shades) is written with a palette, a
// byte a pixel, and compressed by runs (Z_RLE); others as RGB with deflate's general
// search. On a 4096 x 4096 random map that is 10 MB in 0.3 s of CPU, against 17 MB in
// 0.66 s for RGB; no row filter predicted the shaded colours better (RGB with "sub" or
// "up" gave 27 and 29 MB, slower). No chunk carries a time or anything else that changes
// from run to run, so equal pixels give equal bytes.
inline constexpr int kPngCompressionLevel = 1;
// A picture of at most this many colours is written with a palette.
inline constexpr std::size_t kMostPaletteColours = 255;

// What libpng said while writing, instead of its own lines on standard error: its error
// (when nothing was written) and its warnings.
struct PngMessages {
  std::string error;
  std::vector<std::string> warnings;
};

// The PNG file of a width x height RGB picture, rows taken from source band_rows at a
// time. Nothing when libpng fails (out of memory, or a size that PNG cannot hold); what
// libpng said goes to messages when given.
std::optional<std::vector<std::uint8_t>> EncodePng(std::size_t width, std::size_t height,
                                                   std::size_t band_rows, const RowSource& source,
                                                   PngMessages* messages = nullptr);

}  // namespace plandrix
