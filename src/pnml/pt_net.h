// A place/transition net as read from PNML, ready to be written in
// marovel's input format: nodes in document order and one arc per pair of
// nodes and direction, its weight the sum of the PNML arcs it stands for.
// Its text is viewed: a reader keeps it in `text`, a hand-made net in
// literals.
#ifndef MAROVEL_PNML_PT_NET_H_
#define MAROVEL_PNML_PT_NET_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string_view>
#include <vector>

namespace marovel {

struct PtNode {
  std::string_view id;
  std::string_view name;     // the PNML name's text, trimmed; may be empty
  std::string_view marking;  // places only: decimal digits, "0" when unmarked
};

struct PtArc {
  size_t place;        // index into PtNet::places
  size_t transition;   // index into PtNet::transitions
  bool to_transition;  // place to transition, else transition to place
  uint64_t weight;
};

struct PtNet {
  std::string_view id;
  std::vector<PtNode> places;
  std::vector<PtNode> transitions;
  std::vector<PtArc> arcs;  // in the order of their first PNML arc
  // Owns the ids, names and markings of a net that was read.
  std::unique_ptr<std::pmr::monotonic_buffer_resource> text;
};

}  // namespace marovel

#endif  // MAROVEL_PNML_PT_NET_H_
