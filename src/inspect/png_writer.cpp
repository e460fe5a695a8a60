#include "inspect/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <new>

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

// libpng reports failures by a jump back to the setjmp below; nothing that needs a
// destructor lives in this frame, and the rows are written by the caller's buffer.
bool WritePng(png_structp png, png_infop info, std::size_t width, std::size_t height,
              std::size_t band_rows, const RowSource& source, std::vector<std::uint8_t>& band) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, kPngCompressionLevel);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
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
                                                   std::size_t band_rows, const RowSource& source) {
  if (width == 0 || height == 0 || band_rows == 0 || width > PNG_UINT_31_MAX / 3 ||
      height > PNG_UINT_31_MAX) {
    return std::nullopt;
  }
  Output output;
  std::vector<std::uint8_t> band(3 * width * std::min(band_rows, height));
  band_rows = std::min(band_rows, height);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  bool written = false;
  if (info != nullptr) {
    // Wide pictures are allowed: the limits of libpng guard readers, not this writer.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_write_fn(png, &output, WriteBytes, FlushNothing);
    written = WritePng(png, info, width, height, band_rows, source, band);
  }
  png_destroy_write_struct(&png, &info);
  if (!written) return std::nullopt;
  return std::move(output.bytes);
}

}  // namespace plandrix
