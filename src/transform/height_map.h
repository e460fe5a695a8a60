// Applying an 8-bit bitmap as the heights of a map (main menu option 9).
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <span>

namespace plandrix {

// The two answers that the conversion needs from the user, each asked when it is needed:
// whether black stands for height 10 (once, after the sizes are printed), and, after a
// step was reported, whether to take the help and start over with the next divisor
// (offered until it is first refused).
struct HeightMapAnswers {
  std::function<bool()> black_is_base;
  std::function<bool()> take_help;
};

// Writes block 1 of image from the last W x H bytes of bitmap (one byte per pixel, rows of
// exactly W bytes, stored bottom-up): height = pixel / divisor + offset, cut to 62. Asks
// whether black stands for height 10, reports every step of more than 5 between
// consecutive heights, and offers to raise the divisor and start over; ends with the
// number of steps left. Returns false, with the refusal printed and nothing written, when
// the bitmap holds fewer than W x H bytes; false without a word when image is shorter than
// the map it states. Prints on out; asks through answers.
bool ApplyHeightMap(std::ostream& out, std::span<std::uint8_t> image,
                    std::span<const std::uint8_t> bitmap, const HeightMapAnswers& answers);

}  // namespace plandrix
