// Writes a place/transition net as a PNML document of the 2009 grammar: one
// net of type ptnet with one page holding the places, the transitions and
// the arcs. All ids share one space: the nodes' come first, made from their
// names by take_node_ids() (places, then transitions), then the net's, the
// page's ("page") and the arcs' ("a1", "a2", ... in arc order), each made
// unique by XmlIdSpace::take(). A node keeps its name as its PNML name; no
// initial marking is written.
#ifndef MAROVEL_PNML_PNML_WRITER_H_
#define MAROVEL_PNML_PNML_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

#include "netfile/member_store.h"

namespace marovel {

// An element of PnmlOutNet::elements copied whole, with the declarations
// of the prefixes it uses from outside (netfile/prefixes.h) added to it.
struct PnmlToolData {
  MemberStore::Offset element;
  std::vector<MemberStore::ExtraAttribute> declarations;
};

struct PnmlOutNode {
  std::string_view name;  // any bytes
  // Copied, in this order, into the node's `<toolspecific tool="marovel"
  // version=..>` block; no block when empty.
  std::vector<PnmlToolData> tool_data;
};

struct PnmlOutArc {
  size_t place;       // index into PnmlOutNet::places
  size_t transition;  // index into PnmlOutNet::transitions
  bool to_transition;
  uint64_t weight;  // above 0; written as the inscription when not 1
};

struct PnmlOutNet {
  std::string_view name;  // the net's id is made from it, after the nodes'
  std::vector<PnmlOutNode> places;
  std::vector<PnmlOutNode> transitions;
  std::vector<PnmlOutArc> arcs;
  const MemberStore* elements = nullptr;  // holds the nodes' tool_data
};

// Returns false when the stream failed.
[[nodiscard]] bool write_pnml(const PnmlOutNet& net, std::ostream& out);

}  // namespace marovel

#endif  // MAROVEL_PNML_PNML_WRITER_H_
