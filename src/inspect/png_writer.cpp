#include "inspect/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "core/large_buffer.h"

namespace plandrix {
namespace {

struct Output {
  std::vector<std::uint8_t> bytes;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* output = static_cast<Output*>(png_get_io_ptr(png));
  bool stored = true;
  try {
    output->bytes.insert(output->bytes.end(), data, data + length);
  } catch (const std::bad_alloc&) {
    stored = false;
  }
  // The jump out of libpng is taken only once the exception is done with.
  if (!stored) png_error(png, "out of memory");
}

void FlushNothing(png_structp) {}

// libpng's lines, kept in fixed storage: its handlers are called from C and may neither
// allocate (which could throw) nor return (the error handler).
struct Said {
  std::array<char, 200> error{};
  std::array<char, 200> warning{};  // the first warning
  std::size_t warnings = 0;
};

void Keep(std::array<char, 200>& into, png_const_charp text) {
  std::size_t i = 0;
  for (; text != nullptr && text[i] != '\0' && i + 1 < into.size(); ++i) into[i] = text[i];
  into[i] = '\0';
}

extern "C" void KeepError(png_structp png, png_const_charp text) {
  Keep(static_cast<Said*>(png_get_error_ptr(png))->error, text);
  png_longjmp(png, 1);  // back to the setjmp of the write
}

extern "C" void KeepWarning(png_structp png, png_const_charp text) {
  Said& said = *static_cast<Said*>(png_get_error_ptr(png));
  if (said.warnings++ == 0) Keep(said.warning, text);
}

void Report(const Said& said, PngMessages* messages) {
  if (messages == nullptr) return;
  messages->error = said.error.data();
  if (said.warnings > 0) messages->warnings.emplace_back(said.warning.data());
  if (said.warnings > 1) {
    messages->warnings.push_back(std::to_string(said.warnings - 1) + " more warnings");
  }
}

// Runs of one index are what a palette picture repeats most (a terrain at one slope);
// matching runs only is faster than deflate's general search and smaller here. RGB
// pictures compress better with the general search.
constexpr int kPaletteStrategy = Z_RLE;
constexpr int kRgbStrategy = Z_DEFAULT_STRATEGY;

// A picture of few colours as indices into a palette of them, in the order they first
// appear (so equal pixels give equal bytes).
struct IndexedPicture {
  std::vector<png_color> palette;
  std::vector<std::uint8_t> indices;  // a byte per pixel, row after row
};

// Indexes picture rows first_row to end_row - 1 into indices with a palette of their own
// colours in the order they first appear; false when they have more than
// kMostPaletteColours colours or memory runs out. Each colour's place is looked up in a
// table of all 2^24 colours, of which only the few lines of the colours in use are
// touched.
bool IndexRows(std::size_t width, std::size_t first_row, std::size_t end_row, std::size_t band_rows,
               const RowSource& source, std::vector<png_color>& palette,
               std::uint8_t* indices) noexcept {
  try {
    std::optional<LargeBuffer> place_of = LargeBuffer::Allocate(std::size_t{1} << 24);
    if (!place_of) return false;  // 0: not seen yet, else the index + 1
    std::vector<std::uint8_t> band(3 * width * band_rows);
    for (std::size_t row = first_row; row < end_row; row += band_rows) {
      const std::size_t pixels = std::min(band_rows, end_row - row) * width;
      source(row, std::span(band).first(3 * pixels));
      for (const std::uint8_t* rgb = band.data(); rgb != band.data() + 3 * pixels; rgb += 3) {
        std::uint8_t& place =
            (*place_of)[(std::size_t{rgb[0]} << 16) | (std::size_t{rgb[1]} << 8) | rgb[2]];
        if (place == 0) {
          if (palette.size() == kMostPaletteColours) return false;
          palette.push_back({rgb[0], rgb[1], rgb[2]});
          place = static_cast<std::uint8_t>(palette.size());
        }
        *indices++ = static_cast<std::uint8_t>(place - 1);
      }
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Adds the colours of lower to the palette of picture and renumbers the indices from
// first on, which were made with lower; false when the palettes together are too many.
bool MergePalette(const std::vector<png_color>& lower, std::size_t first, IndexedPicture& picture) {
  std::array<std::uint8_t, 256> renumber{};
  for (std::size_t k = 0; k < lower.size(); ++k) {
    const auto same = [&](const png_color& c) {
      return c.red == lower[k].red && c.green == lower[k].green && c.blue == lower[k].blue;
    };
    const auto found = std::find_if(picture.palette.begin(), picture.palette.end(), same);
    if (found == picture.palette.end() && picture.palette.size() == kMostPaletteColours) {
      return false;
    }
    renumber[k] = static_cast<std::uint8_t>(found - picture.palette.begin());
    if (found == picture.palette.end()) picture.palette.push_back(lower[k]);
  }
  for (std::size_t i = first; i < picture.indices.size(); ++i) {
    picture.indices[i] = renumber[picture.indices[i]];
  }
  return true;
}

// The picture of source as an indexed one, or nothing when it has more than
// kMostPaletteColours colours. The upper and the lower half (split on a band) are drawn
// and indexed at once on two threads, each with a palette of its own, then merged: the
// same palette whatever thread finishes first.
std::optional<IndexedPicture> IndexColours(std::size_t width, std::size_t height,
                                           std::size_t band_rows, const RowSource& source) {
  IndexedPicture picture;
  picture.indices.resize(width * height);
  const std::size_t split = height < 2 * band_rows ? height : height / 2 / band_rows * band_rows;
  std::vector<png_color> lower;
  const auto index_lower = [&] {
    return IndexRows(width, split, height, band_rows, source, lower,
                     picture.indices.data() + split * width);
  };
  bool lower_done = true;
  std::thread lower_thread;
  if (split < height) {
    try {
      lower_thread = std::thread([&] { lower_done = index_lower(); });
    } catch (const std::system_error&) {
      lower_done = false;  // no second thread: this one does both halves
    }
  }
  const bool upper_done =
      IndexRows(width, 0, split, band_rows, source, picture.palette, picture.indices.data());
  if (lower_thread.joinable()) {
    lower_thread.join();
  } else if (split < height) {
    lower_done = index_lower();
  }
  if (!upper_done || !lower_done || !MergePalette(lower, split * width, picture)) {
    return std::nullopt;
  }
  return picture;
}

void SetHeader(png_structp png, png_infop info, std::size_t width, std::size_t height,
               int colour_type, int strategy) {
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               colour_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, kPngCompressionLevel);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_strategy(png, strategy);
}

// libpng reports failures by a jump back to the setjmp below; nothing that needs a
// destructor lives in these frames, and the rows are written from the caller's buffers.
bool WriteIndexedPng(png_structp png, png_infop info, std::size_t width, std::size_t height,
                     IndexedPicture& picture) {
  if (setjmp(png_jmpbuf(png))) return false;
  SetHeader(png, info, width, height, PNG_COLOR_TYPE_PALETTE, kPaletteStrategy);
  png_set_PLTE(png, info, picture.palette.data(), static_cast<int>(picture.palette.size()));
  png_write_info(png, info);
  for (std::size_t row = 0; row < height; ++row) {
    png_write_row(png, picture.indices.data() + row * width);
  }
  png_write_end(png, info);
  return true;
}

bool WriteRgbPng(png_structp png, png_infop info, std::size_t width, std::size_t height,
                 std::size_t band_rows, const RowSource& source, std::vector<std::uint8_t>& band) {
  if (setjmp(png_jmpbuf(png))) return false;
  SetHeader(png, info, width, height, PNG_COLOR_TYPE_RGB, kRgbStrategy);
  png_write_info(png, info);
  const std::size_t row_bytes = 3 * width;
  for (std::size_t row = 0; row < height; row += band_rows) {
    const std::size_t rows = std::min(band_rows, height - row);
    source(row, std::span(band).first(rows * row_bytes));
    for (std::size_t i = 0; i < rows; ++i) png_write_row(png, band.data() + i * row_bytes);
  }
  png_write_end(png, info);
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodePng(std::size_t width, std::size_t height,
                                                   std::size_t band_rows, const RowSource& source,
                                                   PngMessages* messages) {
  if (width == 0 || height == 0 || band_rows == 0 || width > PNG_UINT_31_MAX / 3 ||
      height > PNG_UINT_31_MAX) {
    return std::nullopt;
  }
  Output output;
  std::vector<std::uint8_t> band(3 * width * std::min(band_rows, height));
  band_rows = std::min(band_rows, height);
  Said said;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &said, KeepError, KeepWarning);
  if (png == nullptr) {
    Report(said, messages);
    return std::nullopt;
  }
  png_infop info = png_create_info_struct(png);
  bool written = false;
  if (info != nullptr) {
    // Wide pictures are allowed: the limits of libpng guard readers, not this writer.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_write_fn(png, &output, WriteBytes, FlushNothing);
    // Few colours (a map of gentle slopes) are written as a palette, a byte a pixel: a
    // third of the bytes to compress. Others are drawn again and written as RGB.
    std::optional<IndexedPicture> indexed;
    try {
      indexed = IndexColours(width, height, band_rows, source);
    } catch (const std::bad_alloc&) {
    }
    written = indexed ? WriteIndexedPng(png, info, width, height, *indexed)
                      : WriteRgbPng(png, info, width, height, band_rows, source, band);
  }
  png_destroy_write_struct(&png, &info);
  Report(said, messages);
  if (!written) return std::nullopt;
  return std::move(output.bytes);
}

}  // namespace plandrix
