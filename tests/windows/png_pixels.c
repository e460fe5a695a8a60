/* Compares the pixels of two PNG files, whatever their colour types, chunks or
 * compression: both are decoded by libpng into 8-bit RGBA and compared pixel by pixel.
 * compare_with_linux.sh builds it on Linux with `cc png_pixels.c -lpng`.
 *
 *   png_pixels A.png B.png
 *
 * Exit status: 0 the same size and pixels, 1 they differ (the first difference is
 * printed), 2 a file could not be read as a PNG. */
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The picture of path as RGBA rows, or NULL (with a message) when it cannot be read. */
static png_bytep ReadRgba(const char* path, png_image* image) {
  memset(image, 0, sizeof *image);
  image->version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(image, path)) {
    fprintf(stderr, "%s: %s\n", path, image->message);
    return NULL;
  }
  image->format = PNG_FORMAT_RGBA;
  png_bytep pixels = malloc(PNG_IMAGE_SIZE(*image));
  if (pixels == NULL) {
    fprintf(stderr, "%s: out of memory\n", path);
    png_image_free(image);
    return NULL;
  }
  if (!png_image_finish_read(image, NULL, pixels, 0, NULL)) {
    fprintf(stderr, "%s: %s\n", path, image->message);
    free(pixels);
    return NULL;
  }
  return pixels;
}

/* Prints the first pixel where a and b differ; both are width x height RGBA. */
static void PrintFirstDifference(const png_byte* a, const png_byte* b, png_uint_32 width,
                                 png_uint_32 height) {
  for (size_t i = 0; i < (size_t)width * height; ++i) {
    if (memcmp(a + 4 * i, b + 4 * i, 4) != 0) {
      printf("first different pixel (%zu, %zu): %u,%u,%u,%u vs %u,%u,%u,%u\n", i % width, i / width,
             a[4 * i], a[4 * i + 1], a[4 * i + 2], a[4 * i + 3], b[4 * i], b[4 * i + 1],
             b[4 * i + 2], b[4 * i + 3]);
      return;
    }
  }
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: png_pixels A.png B.png\n");
    return 2;
  }
  png_image first;
  png_image second;
  png_bytep a = ReadRgba(argv[1], &first);
  png_bytep b = a == NULL ? NULL : ReadRgba(argv[2], &second);
  if (a == NULL || b == NULL) {
    free(a);
    return 2;
  }
  int status = 0;
  if (first.width != second.width || first.height != second.height) {
    printf("sizes %u x %u vs %u x %u\n", first.width, first.height, second.width, second.height);
    status = 1;
  } else if (memcmp(a, b, PNG_IMAGE_SIZE(first)) != 0) {
    PrintFirstDifference(a, b, first.width, first.height);
    status = 1;
  }
  free(a);
  free(b);
  return status;
}
