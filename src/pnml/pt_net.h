// A place/transition net as read from PNML, ready to be written in
// marovel's input format: nodes in document order and one arc per pair of
// nodes and direction, its weight the sum of the PNML arcs it stands for.
#ifndef MAROVEL_PNML_PT_NET_H_
#define MAROVEL_PNML_PT_NET_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marovel {

struct PtNode {
  std::string_view id;  // a view into the loaded document
  std::string name;     // the PNML name's text, trimmed; may be empty
  std::string marking;  // places only: decimal digits, "0" when unmarked
};

struct PtArc {
  size_t place;        // index into PtNet::places
  size_t transition;   // index into PtNet::transitions
  bool to_transition;  // place to transition, else transition to place
  int32_t weight;
};

struct PtNet {
  std::string_view id;
  std::vector<PtNode> places;
  std::vector<PtNode> transitions;
  std::vector<PtArc> arcs;  // in the order of their first PNML arc
};

}  // namespace marovel

#endif  // MAROVEL_PNML_PT_NET_H_
