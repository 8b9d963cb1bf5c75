// The picture's layout: Graphviz's dot engine places the input net's nodes
// once, and the page draws every step at those positions.
#ifndef MAROVEL_HTML_LAYOUT_H_
#define MAROVEL_HTML_LAYOUT_H_

#include <cstddef>
#include <vector>

#include "base/status.h"
#include "html/replay_data.h"

namespace marovel {

// Nets with more nodes or input arcs than these get no picture: dot's time
// grows much faster than the net (a dense net of 3,000 nodes did not finish
// in 20 minutes), and a picture of thousands of nodes shows nothing.
inline constexpr size_t kPictureNodes = 1000;
inline constexpr size_t kPictureArcs = 4000;

struct Layout {
  // The centre of node k at (x[k], y[k]), in points, y growing downwards,
  // within a drawing of width by height.
  std::vector<double> x, y;
  double width = 0, height = 0;
};

// Whether `data`'s input net is small enough for a picture.
bool wants_picture(const ReplayData& data);

// Lays out the input net of `data`, left to right; a kLimit Status when
// Graphviz fails.
Status lay_out(const ReplayData& data, Layout& layout);

}  // namespace marovel

#endif  // MAROVEL_HTML_LAYOUT_H_
