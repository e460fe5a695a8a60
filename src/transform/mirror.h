// Mirroring a map left to right or top to bottom, and turning its terrain by 180 degrees
// (main menu option 3).
//
// The operations work in place on a whole map image of width x height vertices. An image
// shorter than a complete map of that size is left as it is (the loading step refuses
// such files, so the tool never passes one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <span>

namespace plandrix {

// Copies the left half of every row onto its right half (heights, both terrain layers,
// objects, animals, resources), then prints its closing line and an empty line.
void MirrorY(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
             std::ostream& out);

// Copies the upper rows onto the lower rows (heights, objects, animals, resources) and
// the upper terrain onto the lower terrain with the two layers exchanged, then prints its
// closing line and an empty line.
void MirrorX(std::span<std::uint8_t> image, std::size_t width, std::size_t height,
             std::ostream& out);

// Turns both terrain layers by 180 degrees, taking them from source (the map as stored,
// at least as long as a complete map of width x height) with the layers exchanged.
// Position 0 of each layer keeps its value; no other block changes. Prints nothing.
void Rotate180(std::span<std::uint8_t> image, std::span<const std::uint8_t> source,
               std::size_t width, std::size_t height);

// The three operations written out a byte at a time, as the plain statement of where each
// byte goes (without the closing lines). MirrorX is this one; MirrorY and Rotate180 move
// whole words and must agree with theirs; the tests, the fuzzers and the benchmarks hold
// them side by side.
void MirrorYByteByByte(std::span<std::uint8_t> image, std::size_t width, std::size_t height);
void MirrorXByteByByte(std::span<std::uint8_t> image, std::size_t width, std::size_t height);
void Rotate180ByteByByte(std::span<std::uint8_t> image, std::span<const std::uint8_t> source,
                         std::size_t width, std::size_t height);

}  // namespace plandrix
