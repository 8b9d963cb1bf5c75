// Gathers, while a PNML document is parsed, what converting one of its nets
// takes: the nets there are, and of the chosen one its id, its places and
// transitions at any depth of pages (ids, names and markings) and its
// references and arcs as written. Everything else is skipped unread. What
// can be refused before ids are resolved is refused here, first fault in
// document order.
#ifndef MAROVEL_PNML_PNML_GATHERER_H_
#define MAROVEL_PNML_PNML_GATHERER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "pnml/pnml_net_parts.h"
#include "pnml/pt_net.h"
#include "xml/xml_parser.h"

namespace marovel {

class PnmlGatherer final : public XmlContentHandler {
 public:
  // `wanted_net` picks a net by id; empty means the document's only net.
  // The chosen net's id and nodes go to `net`, which keeps all the text
  // gathered, and its references and arcs to `parts`.
  PnmlGatherer(std::string_view wanted_net, PtNet& net, PnmlNetParts& parts);

  void start_element(std::string_view name,
                     std::span<const XmlAttribute> attributes) override;
  void end_element() override;
  void content(XmlNodeType type, std::string_view text) override;
  XmlInterest interest() const override;

  // Once the whole document went through: whether the chosen net can go on
  // to be resolved; if not, a kInvalidInput that says why, in one line.
  Status finish() const;

 private:
  enum class Role : uint8_t {
    kRoot,       // the pnml element
    kContainer,  // the chosen net or a page in it
    kNode,       // a place or a transition
    kLabel,      // a node's name or initial marking, an arc's inscription
    kLabelText,  // the text or value child of a label or of an arc kind
    kKind,       // an element that declares an arc's kind
    kArc,
    kArcPart,  // any other element inside an arc
  };
  enum class Label : uint8_t { kName, kMarking, kInscription };

  struct Frame {
    Role role;
    // Inside an arc and outside its inscriptions and drawings, where any
    // element may declare the arc's kind.
    bool scans_kinds = false;
    bool gathers_text = false;   // its own text makes up a value
    bool is_place = false;       // kNode
    Label label = Label::kName;  // kLabel
    bool into_value = false;     // kLabelText: fills the value, not the text
    // The first child of each name that counts has been seen.
    bool has_name = false, has_marking = false;  // kNode
    bool has_inscription = false;                // kArc
    bool has_text = false, has_value = false;    // kLabel, kKind
    uint32_t kind_order = 0;                     // kKind: its place in the arc
  };

  // What a label or a kind element gathers: its text child's text, its
  // value child's and, for a kind element, its own.
  struct LabelText {
    std::string text, value, own;
  };

  // Passes over the element just started, whose end comes next.
  void skip() { skipping_ = true; }
  void push(const Frame& frame);
  // Sets the fault that refuses the chosen net; the rest of it is skipped.
  void fail(std::string message);
  std::string_view keep(std::string_view text);

  void start_root(std::string_view name, std::string_view local);
  void start_net(std::span<const XmlAttribute> attributes);
  void start_in_container(std::string_view local,
                          std::span<const XmlAttribute> attributes);
  void start_node(std::span<const XmlAttribute> attributes, bool is_place);
  void add_reference(std::span<const XmlAttribute> attributes, bool to_place);
  void note_recent(std::string_view id, PnmlEntry entry);
  PnmlArcEnd arc_end(std::string_view id);
  void start_arc(std::span<const XmlAttribute> attributes);
  void start_in_arc(Frame& parent, std::string_view local,
                    std::span<const XmlAttribute> attributes);
  void start_kind(std::span<const XmlAttribute> attributes);
  void start_label_child(Frame& parent, std::string_view local, bool scans);

  std::optional<std::string_view> label_value(const Frame& label,
                                              size_t depth) const;
  void end_label(const Frame& label, size_t depth);
  void end_kind(const Frame& kind, size_t depth);
  void end_arc();
  void note_kind(std::string_view kind, uint32_t order);

  const std::string_view wanted_;
  PtNet& net_;
  PnmlNetParts& parts_;

  // The nodes and references met last, one per slot of their id's hash.
  // Most arcs name nodes written shortly before them: finding those here,
  // while their text is still in cache, spares the lookup of every id at
  // the end, which costs a sort.
  struct RecentId {
    uint64_t hash = 0;
    std::string_view id;  // empty: the slot is unused
    PnmlEntry entry{};
  };
  std::vector<RecentId> recent_;

  std::vector<Frame> frames_;
  std::vector<LabelText> texts_;  // by the depth of the frame they serve
  bool skipping_ = false;

  bool has_root_ = false;
  std::optional<std::string> wrong_root_;  // the root's name when not pnml
  size_t net_count_ = 0;
  std::string nets_listed_;  // the first ten ids, for messages
  bool chosen_ = false;
  std::string net_fault_;  // refuses the chosen net when not empty

  // The current arc's faults so far: the first kind other than ordinary it
  // declares, with its place among the declarations, and an inscription
  // that is no weight.
  std::optional<std::string_view> arc_kind_;
  uint32_t kind_count_ = 0;  // kind elements met in the current arc
  uint32_t kind_order_ = 0;
  std::optional<std::string_view> arc_bad_inscription_;
};

}  // namespace marovel

#endif  // MAROVEL_PNML_PNML_GATHERER_H_
