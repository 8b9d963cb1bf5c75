#include "writer/edge_text.h"

#include <charconv>
#include <vector>

#include "base/prefetch.h"
#include "xml/xml_escape.h"

namespace marovel {
namespace {

// Whether each name needs escaping in an attribute value, found out the
// first time the name is written: most names are written many times and
// need none.
class NameEscapes {
 public:
  explicit NameEscapes(const NameTable& names)
      : names_(names), state_(names.size(), kUnknown) {}

  void append(std::string& out, NameId name) {
    const std::string_view text = names_[name];
    uint8_t& state = state_[name];
    if (state == kUnknown)
      state = needs_escaping_in_attribute(text) ? kEscaped : kPlain;
    if (state == kPlain) {
      out.append(text);
    } else {
      append_escaped(out, text, /*in_attribute=*/true);
    }
  }

 private:
  static constexpr uint8_t kUnknown = 0, kPlain = 1, kEscaped = 2;
  const NameTable& names_;
  std::vector<uint8_t> state_;
};

}  // namespace

void format_edge_list(const NetModel& model, size_t piece_bytes,
                      const std::function<void(std::string&)>& emit) {
  std::string piece;
  piece.reserve(piece_bytes + 4096);
  NameEscapes escapes(model.names);
  std::vector<NamedNeighbour> targets;  // of the node at hand, in name order
  bool empty = true;
  piece.append("<edgelist");
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
    const NodeMap& nodes = model.nodes(kind);
    const NodeMap& others = model.nodes(other_kind(kind));
    // The names lie anywhere in the name table: those of the nodes some
    // places ahead are asked for.
    constexpr int kAhead = 4;
    auto ahead = nodes.begin();
    for (int k = 0; k < kAhead && ahead != nodes.end(); ++k) ++ahead;
    for (const auto& [from, node] : nodes) {
      if (ahead != nodes.end()) {
        for (const auto& [to, copies] : (*ahead).second.out)
          model.names.prefetch_start(others.name_of(to));
        ++ahead;
      }
      named_entries(node.out, others, targets);
      for (const auto& [to, copies] : targets) {
        if (empty) {
          piece.push_back('>');
          empty = false;
        }
        piece.append("\n    <edge from=\"");
        escapes.append(piece, from);
        piece.append("\" to=\"");
        escapes.append(piece, to);
        piece.append("\" multiplicity=\"");
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, copies);
        piece.append(digits, end.ptr);
        piece.append("\"/>");
      }
      if (piece.size() >= piece_bytes) {
        emit(piece);
        // `emit` may have taken the piece's buffer: the next piece gets
        // its full room at once rather than growing into it by copies.
        piece.clear();
        piece.reserve(piece_bytes + 4096);
      }
    }
  }
  piece.append(empty ? "/>" : "\n  </edgelist>");
  emit(piece);
}

}  // namespace marovel
