#include "netfile/net_file_reader.h"

#include <functional>
#include <span>
#include <unordered_map>
#include <utility>

#include "netfile/edge_reading.h"
#include "netfile/net_fault.h"
#include "netfile/net_file.h"
#include "netfile/net_file_scanner.h"
#include "xml/xml_document.h"
#include "xml/xml_parser.h"

namespace marovel {
namespace {

constexpr uint32_t kNoNode = ~uint32_t{0};

// Keeps the edges as the scan hands them on: they are read once the lists
// are known to be sound.
class EdgeKeeper final : public ScanReceiver {
 public:
  void edges(EdgeBatch&& batch) override {
    batches.push_back(std::move(batch));
  }
  std::vector<EdgeBatch> batches;
};

// Turns what a scan found into a NetFile, refusing what marovel refuses.
class NetFileBuilder {
 public:
  explicit NetFileBuilder(NetFile& net) : net_(net) {}

  Status build(const std::vector<EdgeBatch>& batches) {
    if (const std::optional<NetFault> fault =
            list_fault(net_.scan, NetReader::kCompanion))
      return fault_status(*fault, NetReader::kCompanion);
    add_nodes(/*places=*/true);
    add_nodes(/*places=*/false);
    for (const EdgeBatch& batch : batches)
      if (Status status = add_arcs(batch); !status.ok()) return status;
    return Status();
  }

 private:
  // Gives every name of one list an id, and each its node the first time
  // the list declares it.
  void add_nodes(bool places) {
    const ScannedList& list = places ? net_.scan.places : net_.scan.transitions;
    std::vector<NetFileNode>& nodes = places ? net_.places : net_.transitions;
    const uint8_t bit = places ? kAsPlace : kAsTransition;
    for (size_t k = 0; k < declared_count(list); ++k) {
      const auto [slot, added] =
          ids_.try_emplace(list.names[k], static_cast<uint32_t>(ids_.size()));
      if (added) {
        declared_.push_back(0);
        place_of_.push_back(kNoNode);
        transition_of_.push_back(kNoNode);
      }
      const uint32_t id = slot->second;
      if (declared_[id] & bit) continue;
      declared_[id] |= bit;
      (places ? place_of_ : transition_of_)[id] =
          static_cast<uint32_t>(nodes.size());
      nodes.push_back({list.names[k], list.elements[k], list.infos[k]});
    }
  }

  // Reads one batch of edges as marovel does, with their weights in full.
  Status add_arcs(const EdgeBatch& batch) {
    std::optional<NetFault> weight_fault;
    size_t odd = 0;  // the next of batch.odd_weights
    const EdgeStop stop = read_edges<uint32_t>(
        batch,
        [this](std::span<const std::string_view> names,
               std::span<std::optional<uint32_t>> ids) {
          for (size_t k = 0; k < names.size(); ++k) {
            const auto found = ids_.find(names[k]);
            ids[k] = found == ids_.end() ? std::nullopt
                                         : std::optional(found->second);
          }
        },
        [this](uint32_t id) { return declared_[id]; },
        [&](size_t edge, uint32_t source, uint32_t target, bool from_place) {
          if (weight_fault) return;  // no edge after a fault counts
          uint64_t weight = static_cast<uint64_t>(batch.edges[edge].weight);
          while (odd < batch.odd_weights.size() &&
                 batch.odd_weights[odd].edge < edge)
            ++odd;
          if (odd < batch.odd_weights.size() &&
              batch.odd_weights[odd].edge == edge) {
            const std::string_view value = batch.value(batch.odd_weights[odd]);
            const std::optional<uint64_t> full = parse_full_weight(value);
            if (!full) {
              weight_fault =
                  fault_at(NetFault::Kind::kUnreadableWeight, batch, edge);
              weight_fault->value = std::string(value);
              return;
            }
            weight = *full;
          }
          if (!add_arc(from_place ? source : target,
                       from_place ? target : source, from_place, weight))
            weight_fault =
                fault_at(NetFault::Kind::kWeightOverflow, batch, edge);
        });
    // A weight fault comes before the edge the reading stopped at.
    if (weight_fault) return fault_status(*weight_fault, NetReader::kCompanion);
    if (stop.fault != EdgeFault::kNone)
      return fault_status(edge_fault(stop, batch, net_.scan),
                          NetReader::kCompanion);
    return Status();
  }

  // Adds `weight` to the arc between the names `place` and `transition`;
  // false when the sum would pass 2^64 - 1.
  bool add_arc(uint32_t place, uint32_t transition, bool to_transition,
               uint64_t weight) {
    NetFileArc arc{place_of_[place], transition_of_[transition], to_transition,
                   weight};
    const uint64_t key =
        arc_key(static_cast<uint32_t>(arc.place),
                static_cast<uint32_t>(arc.transition), to_transition);
    const auto [slot, added] = arc_index_.try_emplace(key, net_.arcs.size());
    if (added) {
      net_.arcs.push_back(arc);
      return true;
    }
    uint64_t& sum = net_.arcs[slot->second].weight;
    return !__builtin_add_overflow(sum, weight, &sum);
  }

  static NetFault fault_at(NetFault::Kind kind, const EdgeBatch& batch,
                           size_t edge) {
    NetFault fault(kind);
    fault.from = std::string(batch.from(batch.edges[edge]));
    fault.to = std::string(batch.to(batch.edges[edge]));
    return fault;
  }

  NetFile& net_;
  // Every declared name's id, and by id what it is declared as and its
  // node of each kind.
  std::unordered_map<std::string_view, uint32_t> ids_;
  std::vector<uint8_t> declared_;
  std::vector<uint32_t> place_of_;
  std::vector<uint32_t> transition_of_;
  std::unordered_map<uint64_t, size_t> arc_index_;  // by arc_key()
};

Status read_parsed(const std::function<Status(XmlContentHandler&)>& parse,
                   NetFile& net) {
  EdgeKeeper edges;
  NetFileScanner scanner(net.scan, &edges);
  if (Status status = parse(scanner); !status.ok()) return status;
  scanner.finish();
  return NetFileBuilder(net).build(edges.batches);
}

}  // namespace

Status read_net_file(const std::string& path, NetFile& net) {
  return read_parsed(
      [&](XmlContentHandler& handler) { return parse_xml_file(path, handler); },
      net);
}

Status read_net_text(std::string_view text, NetFile& net) {
  return read_parsed(
      [&](XmlContentHandler& handler) {
        return parse_xml_string(text, handler);
      },
      net);
}

std::optional<MemberStore::Offset> last_child_element(
    const MemberStore& store, MemberStore::Offset parent,
    std::string_view name) {
  std::optional<MemberStore::Offset> last;
  store.walk(parent, [&](const MemberStore::Node& node) {
    if (node.depth == 1 && node.type == XmlNodeType::kElement &&
        node.text == name)
      last = node.offset;
  });
  return last;
}

}  // namespace marovel
