// The game's grid of vertices and triangles: vertex (x, y) has index y x W + x; odd rows
// lie half a triangle to the right; the world wraps around in both directions, so the
// west neighbour of column 0 is column W - 1 and the row above row 0 is row H - 1.
//
// Each vertex owns two triangles: its first (block 2) points up and lies below it, between
// the vertex and its south-west and south-east neighbours; its second (block 3) points
// down, between the vertex, its south-east and its east neighbour. The six triangles
// around a vertex are the first and second of its north-west neighbour, the first of its
// north-east neighbour, its own two and the second of its west neighbour.
//
// These are the game's rules for every map it plays (an even height); the menu program's
// placement passes keep their own neighbourhoods.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace plandrix {

enum class Direction : std::uint8_t {
  kWest,
  kNorthWest,
  kNorthEast,
  kEast,
  kSouthEast,
  kSouthWest
};
inline constexpr std::array<Direction, 6> kDirections = {
    Direction::kWest, Direction::kNorthWest, Direction::kNorthEast,
    Direction::kEast, Direction::kSouthEast, Direction::kSouthWest};

// One triangle: the vertex that owns it and which of its two it is.
struct Triangle {
  std::size_t vertex = 0;
  bool second = false;  // false: block 2 (points up), true: block 3 (points down)
  friend bool operator==(const Triangle&, const Triangle&) = default;
};

struct Point {
  std::size_t x = 0;
  std::size_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

class MapGrid {
 public:
  MapGrid(std::size_t width, std::size_t height) : width_(width), height_(height) {}

  std::size_t width() const { return width_; }
  std::size_t height() const { return height_; }
  std::size_t size() const { return width_ * height_; }
  std::size_t Index(Point p) const { return p.y * width_ + p.x; }
  Point PointOf(std::size_t v) const { return {v % width_, v / width_}; }

  Point Neighbour(Point p, Direction d) const {
    const bool odd = (p.y & 1) != 0;
    switch (d) {
      case Direction::kWest:
        return {Left(p.x), p.y};
      case Direction::kEast:
        return {Right(p.x), p.y};
      case Direction::kNorthWest:
        return {odd ? p.x : Left(p.x), Up(p.y)};
      case Direction::kNorthEast:
        return {odd ? Right(p.x) : p.x, Up(p.y)};
      case Direction::kSouthWest:
        return {odd ? p.x : Left(p.x), Down(p.y)};
      case Direction::kSouthEast:
        return {odd ? Right(p.x) : p.x, Down(p.y)};
    }
    return p;
  }
  std::size_t Neighbour(std::size_t v, Direction d) const {
    return Index(Neighbour(PointOf(v), d));
  }

  // The six neighbours in the order of kDirections.
  std::array<std::size_t, 6> Neighbours(Point p) const {
    const bool odd = (p.y & 1) != 0;
    const std::size_t left = Left(p.x);
    const std::size_t right = Right(p.x);
    const std::size_t up = Up(p.y) * width_;
    const std::size_t down = Down(p.y) * width_;
    const std::size_t row = p.y * width_;
    const std::size_t west_of_rows = odd ? p.x : left;  // the column north-west and south-west
    const std::size_t east_of_rows = odd ? right : p.x;
    return {row + left,  up + west_of_rows,   up + east_of_rows,
            row + right, down + east_of_rows, down + west_of_rows};
  }

  // The six neighbours as points, in the order of kDirections: the same as Neighbour for
  // each direction, worked out at once for the walks' queues.
  std::array<Point, 6> NeighbourPoints(Point p) const {
    const std::size_t left = Left(p.x);
    const std::size_t right = Right(p.x);
    const std::size_t up = Up(p.y);
    const std::size_t down = Down(p.y);
    const bool odd = (p.y & 1U) != 0;
    const std::size_t west_of_rows = odd ? p.x : left;  // the column of NW and SW
    const std::size_t east_of_rows = odd ? right : p.x;
    return {{{left, p.y},
             {west_of_rows, up},
             {east_of_rows, up},
             {right, p.y},
             {east_of_rows, down},
             {west_of_rows, down}}};
  }

  // The six triangles around a vertex: NW's first and second, NE's first, its own second
  // and first, W's second.
  std::array<Triangle, 6> TrianglesAround(Point p) const {
    const std::size_t north_west = Index(Neighbour(p, Direction::kNorthWest));
    const std::size_t north_east = Index(Neighbour(p, Direction::kNorthEast));
    const std::size_t west = Index(Neighbour(p, Direction::kWest));
    const std::size_t self = Index(p);
    return {{{north_west, false},
             {north_west, true},
             {north_east, false},
             {self, true},
             {self, false},
             {west, true}}};
  }

  // Steps between two vertices along the grid, the shortest way around the world.
  std::size_t Distance(Point a, Point b) const;

 private:
  std::size_t Left(std::size_t x) const { return x == 0 ? width_ - 1 : x - 1; }
  std::size_t Right(std::size_t x) const { return x + 1 == width_ ? 0 : x + 1; }
  std::size_t Up(std::size_t y) const { return y == 0 ? height_ - 1 : y - 1; }
  std::size_t Down(std::size_t y) const { return y + 1 == height_ ? 0 : y + 1; }

  std::size_t width_;
  std::size_t height_;
};

// Steps between two points of the unbounded staggered grid: in axial coordinates
// (q = x - floor(y / 2) with odd rows to the right, r = y) a step changes q, r or both by
// one in opposite directions.
inline std::int64_t PlaneDistance(std::int64_t x1, std::int64_t y1, std::int64_t x2,
                                  std::int64_t y2) {
  const auto half_down = [](std::int64_t y) { return y >= 0 ? y / 2 : -((1 - y) / 2); };
  const std::int64_t dq = (x2 - half_down(y2)) - (x1 - half_down(y1));
  const std::int64_t dr = y2 - y1;
  return (std::llabs(dq) + std::llabs(dr) + std::llabs(dq + dr)) / 2;
}

inline std::size_t MapGrid::Distance(Point a, Point b) const {
  // The shortest walk of the wrapped world is the shortest one of the plane to any copy of
  // b shifted by whole widths and heights. A copy more rows away than the plain distance
  // cannot be nearer. For one row copy the distance is the rows plus how far the column
  // difference lies outside the span that a walk of that many rows covers for free, so
  // only the column copies on either side of that span can be nearest. An odd height
  // would shift the stagger of every other row copy; such a map is no map the game plays,
  // and only the copies an even number of heights away are counted for it.
  const auto w = static_cast<std::int64_t>(width_);
  const auto h = static_cast<std::int64_t>(height_);
  const auto floor_div = [](std::int64_t p, std::int64_t q) {
    return p >= 0 ? p / q : -((-p + q - 1) / q);
  };
  const std::int64_t ax = static_cast<std::int64_t>(a.x);
  const std::int64_t ay = static_cast<std::int64_t>(a.y);
  const std::int64_t bx = static_cast<std::int64_t>(b.x);
  const std::int64_t by = static_cast<std::int64_t>(b.y);
  std::int64_t best = PlaneDistance(ax, ay, bx, by);
  const std::int64_t row_step = h % 2 == 0 ? h : 2 * h;
  const std::int64_t first = -floor_div(by - ay + best, row_step);
  const std::int64_t last = floor_div(ay + best - by, row_step);
  for (std::int64_t l = first; l <= last; ++l) {
    const std::int64_t ty = by + l * row_step;
    const std::int64_t dr = ty - ay;
    if (std::llabs(dr) >= best) continue;
    // With the copy k widths away, dq = base + k w; the walk is free for dq in [lo, hi].
    const std::int64_t half_ty = ty >= 0 ? ty / 2 : -((1 - ty) / 2);
    const std::int64_t half_ay = ay / 2;
    const std::int64_t base = (bx - half_ty) - (ax - half_ay);
    const std::int64_t lo = dr >= 0 ? -dr : 0;
    const std::int64_t hi = dr >= 0 ? 0 : -dr;
    const std::int64_t below = floor_div(lo - base, w);   // the last copy with dq <= lo
    const std::int64_t above = -floor_div(base - hi, w);  // the first copy with dq >= hi
    for (const std::int64_t k : {below, below + 1, above - 1, above}) {
      best = std::min(best, PlaneDistance(ax, ay, bx + k * w, ty));
    }
  }
  return static_cast<std::size_t>(best);
}

}  // namespace plandrix
