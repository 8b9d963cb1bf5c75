#include "html/layout.h"

#include <graphviz/cgraph.h>
#include <graphviz/gvc.h>

#include <memory>
#include <string>

namespace marovel {
namespace {

struct GvcClose {
  void operator()(GVC_t* gvc) const { gvFreeContext(gvc); }
};

char* text(const char* value) { return const_cast<char*>(value); }

}  // namespace

bool wants_picture(const ReplayData& data) {
  return data.names.size() <= kPictureNodes &&
         data.input_arc_count <= kPictureArcs;
}

Status lay_out(const ReplayData& data, Layout& layout) {
  const auto failed = [] {
    return Status::error(Status::Code::kLimit,
                         "Graphviz could not lay out the net");
  };
  std::unique_ptr<GVC_t, GvcClose> gvc(gvContext());
  if (!gvc) return failed();
  Agraph_t* graph = agopen(text("net"), Agdirected, nullptr);
  if (graph == nullptr) return failed();
  agattr(graph, AGRAPH, text("rankdir"), text("LR"));
  // Fewer rounds of crossing reduction and of network simplex: the layout
  // of a net near the picture's limit stays within seconds.
  agattr(graph, AGRAPH, text("mclimit"), text("0.5"));
  agattr(graph, AGRAPH, text("nslimit"), text("4"));
  agattr(graph, AGRAPH, text("nslimit1"), text("4"));
  agattr(graph, AGNODE, text("shape"), text("circle"));
  agattr(graph, AGNODE, text("width"), text("0.4"));
  agattr(graph, AGNODE, text("height"), text("0.4"));
  agattr(graph, AGNODE, text("fixedsize"), text("true"));
  agattr(graph, AGNODE, text("label"), text(""));
  std::vector<Agnode_t*> nodes(data.names.size());
  for (size_t k = 0; k < nodes.size(); ++k) {
    const std::string id = "n" + std::to_string(k);
    nodes[k] = agnode(graph, text(id.c_str()), 1);
    if (k >= data.place_count) {
      agsafeset(nodes[k], text("shape"), text("box"), text("circle"));
      agsafeset(nodes[k], text("height"), text("0.3"), text("0.4"));
    }
  }
  for (size_t k = 0; k < data.input_arc_count; ++k)
    agedge(graph, nodes[data.arcs[k].from], nodes[data.arcs[k].to], nullptr, 1);
  if (gvLayout(gvc.get(), graph, "dot") != 0) {
    agclose(graph);
    return failed();
  }
  const boxf box = GD_bb(graph);
  layout.width = box.UR.x - box.LL.x;
  layout.height = box.UR.y - box.LL.y;
  layout.x.resize(nodes.size());
  layout.y.resize(nodes.size());
  for (size_t k = 0; k < nodes.size(); ++k) {
    layout.x[k] = ND_coord(nodes[k]).x - box.LL.x;
    layout.y[k] = box.UR.y - ND_coord(nodes[k]).y;
  }
  gvFreeLayout(gvc.get(), graph);
  agclose(graph);
  return Status();
}

}  // namespace marovel
