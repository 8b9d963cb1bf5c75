#include "reader/net_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "base/worker.h"
#include "model/invariants.h"
#include "netfile/net_file.h"
#include "netfile/net_file_scanner.h"
#include "xml/content_digest.h"
#include "xml/xml_parser.h"
#include "xml/xml_replay.h"

namespace marovel {
namespace {

Status fault(const char* message) {
  return Status::error(Status::Code::kInvalidInput, message);
}

// Which lists declare a name: a name may be a place and a transition both.
enum Declared : uint8_t { kAsPlace = 1, kAsTransition = 2 };

// One edge as the reader classifies it.
struct Arc {
  NameId from;
  NameId to;
  int32_t weight;
  bool from_place;
};

enum class EdgeFault { kNone, kNoFrom, kNoTo, kWrong };

const char* message_of(EdgeFault fault) {
  switch (fault) {
    case EdgeFault::kNoFrom:
      return "Can't find the from edge\n";
    case EdgeFault::kNoTo:
      return "Can't find the to edge\n";
    case EdgeFault::kWrong:
      return "Wrong edge \n";
    case EdgeFault::kNone:
      break;
  }
  return "";
}

// How many members of a list declare a name: those before the first that
// has none.
size_t declared_count(const ScannedList& list) {
  return std::min<size_t>(list.nameless_at, list.names.size());
}

// The fault of a list as the scan found it, or none.
std::optional<ListFault> fault_of(const ScannedList& list) {
  if (!list.found) return ListFault::kNotFound;
  if (!list.has_members) return ListFault::kEmpty;
  if (list.nameless_at != kNoMember) return ListFault::kNameless;
  return std::nullopt;
}

// Builds the model from what a scan delivers, on a core of its own while
// the parse goes on when that is worth it: first the names, once both lists
// are complete, then each batch of edges, classified and entered in
// document order up to the first fault.
class NetBuilder final : public ScanReceiver {
 public:
  NetBuilder(InputNet& input, NetModel& model, bool on_a_thread, TwoCores cores)
      : input_(input),
        model_(model),
        cores_(cores),
        on_a_thread_(on_a_thread),
        worker_(on_a_thread) {}

  void lists_complete() override { post_names(); }

  void edges(EdgeBatch&& batch) override {
    auto shared = std::make_shared<EdgeBatch>(std::move(batch));
    if (!names_posted_) {
      pending_.push_back(std::move(shared));
      return;
    }
    worker_.post([this, shared] { enter(*shared); });
  }

  // After a parse that failed: stops the building and leaves the model as
  // it was.
  void abandon() {
    worker_.cancel();
    model_ = NetModel();
  }

  // After the parse: lets the building end, then decides what the file
  // says, fault by fault in the order they are reported.
  Status finish() {
    if (!names_posted_) post_names();
    worker_.finish();
    if (input_.root_name != kNetRoot) return fault("Wrong input file\n");
    // What was declared before a fault of the lists stays in the model.
    if (const auto places = fault_of(input_.places)) {
      declare_only(/*with_transitions=*/false);
      return fault(list_fault_message(NetList::kPlaces, *places));
    }
    if (const auto transitions = fault_of(input_.transitions)) {
      declare_only(/*with_transitions=*/true);
      return fault(list_fault_message(NetList::kTransitions, *transitions));
    }
    if (too_many_names_)
      return Status::error(
          Status::Code::kLimit,
          "the net declares more than " + std::to_string(kMaxNames) +
              " places and transitions, more than can be read");
    if (!input_.edges_found)
      return fault(list_fault_message(NetList::kEdges, ListFault::kNotFound));
    if (!input_.edges_have_members)
      return fault(list_fault_message(NetList::kEdges, ListFault::kEmpty));
    if (fault_ != EdgeFault::kNone) return fault(message_of(fault_));
    if (!check_consistency(model_, cores_))
      return fault("\nNet inconsistent after input\n");
    index_elements();
    return Status();
  }

 private:
  void post_names() {
    names_posted_ = true;
    worker_.post([this] { build_names(); });
    for (std::shared_ptr<EdgeBatch>& batch : pending_)
      worker_.post([this, batch] { enter(*batch); });
    pending_.clear();
  }

  // The names of both lists, places first, as the lists declare them up
  // to a member without a name.
  std::vector<std::string_view> declared_names(bool with_transitions) const {
    std::vector<std::string_view> names;
    for (const ScannedList* list : {&input_.places, &input_.transitions}) {
      if (list == &input_.transitions && !with_transitions) break;
      names.insert(names.end(), list->names.begin(),
                   list->names.begin() + declared_count(*list));
    }
    return names;
  }

  void declare_only(bool with_transitions) {
    std::vector<NameId> ids;
    model_ = NetModel(NameTable(declared_names(with_transitions), ids));
  }

  void build_names() {
    const std::vector<std::string_view> names = declared_names(true);
    if (names.size() > kMaxNames) {
      too_many_names_ = true;
      return;
    }
    // While the other core parses, this one sorts alone.
    model_ = NetModel(
        NameTable(names, ids_, on_a_thread_ ? TwoCores::never() : cores_));
    declared_.assign(model_.names.size(), 0);
    const size_t places = declared_count(input_.places);
    for (size_t k = 0; k < ids_.size(); ++k)
      declared_[ids_[k]] |= k < places ? kAsPlace : kAsTransition;
    // Nodes stored in name order, so that the walks in name order (the
    // index, the checks, the writer) go through memory in order too; only
    // an arc makes one a key.
    for (NameId name = 0; name < declared_.size(); ++name) {
      if (declared_[name] & kAsPlace)
        model_.p_map.make_room(model_.p_map.id_of(name));
      if (declared_[name] & kAsTransition)
        model_.t_map.make_room(model_.t_map.id_of(name));
    }
  }

  // Classifies a batch of edges and enters its arcs, up to the first fault.
  // The names of 64 edges are looked up together, so that their cache
  // misses overlap.
  void enter(const EdgeBatch& batch) {
    if (fault_ != EdgeFault::kNone || too_many_names_) return;
    arcs_.clear();
    constexpr size_t kBlock = 64;
    std::string_view ends[2 * kBlock];
    std::optional<NameId> ids[2 * kBlock];
    for (size_t start = 0; start < batch.edges.size(); start += kBlock) {
      const size_t count = std::min(kBlock, batch.edges.size() - start);
      size_t read = 0;
      for (; read < count; ++read) {
        const EdgeBatch::Edge& edge = batch.edges[start + read];
        if (edge.missing != MissingEnd::kNone) break;
        ends[2 * read] = batch.from(edge);
        ends[2 * read + 1] = batch.to(edge);
      }
      model_.names.find_all({ends, 2 * read}, {ids, 2 * read});
      for (size_t k = 0; k < read; ++k) {
        const EdgeBatch::Edge& edge = batch.edges[start + k];
        const std::optional<NameId> source = ids[2 * k];
        const std::optional<NameId> target = ids[2 * k + 1];
        const uint8_t source_kind = source ? declared_[*source] : 0;
        const uint8_t target_kind = target ? declared_[*target] : 0;
        bool from_place;
        if (source_kind & kAsPlace) {
          if (!(target_kind & kAsTransition)) return stop(EdgeFault::kWrong);
          from_place = true;
        } else if ((source_kind & kAsTransition) && (target_kind & kAsPlace)) {
          from_place = false;
        } else {
          return stop(EdgeFault::kWrong);
        }
        // A weight of zero or below enters no arc and creates no node.
        if (edge.weight > 0)
          arcs_.push_back(Arc{*source, *target, edge.weight, from_place});
      }
      if (read < count) {
        return stop(batch.edges[start + read].missing == MissingEnd::kFrom
                        ? EdgeFault::kNoFrom
                        : EdgeFault::kNoTo);
      }
    }
    fill();
  }

  // The first fault: the arcs before it are entered, nothing after it.
  void stop(EdgeFault fault) {
    fill();
    fault_ = fault;
  }

  // Enters the arcs of the batch into both maps. The nodes lie anywhere in
  // memory: each is asked for a few arcs ahead, its slot first.
  void fill() {
    for (const bool places : {true, false}) {
      NodeMap& map = places ? model_.p_map : model_.t_map;
      const NodeMap& others = places ? model_.t_map : model_.p_map;
      const auto node_of = [&](const Arc& arc) {
        return map.id_of(arc.from_place == places ? arc.from : arc.to);
      };
      constexpr size_t kSlotsAhead = 16, kNodesAhead = 8;
      for (size_t k = 0; k < arcs_.size(); ++k) {
        if (k + kSlotsAhead < arcs_.size())
          map.prefetch_slot(node_of(arcs_[k + kSlotsAhead]));
        if (k + kNodesAhead < arcs_.size())
          map.prefetch_node(node_of(arcs_[k + kNodesAhead]));
        const Arc& arc = arcs_[k];
        NetNode& node = map.at_id(node_of(arc));
        if (arc.from_place == places) {
          node.out.insert(others.id_of(arc.to),
                          static_cast<uint64_t>(arc.weight));
        } else {
          node.in.insert(others.id_of(arc.from),
                         static_cast<uint64_t>(arc.weight));
        }
      }
    }
    arcs_.clear();
  }

  // By name id, the first member of each list that bears the name.
  void index_elements() {
    const size_t places = input_.places.names.size();
    input_.index.places.assign(model_.names.size(), kNoMember);
    input_.index.transitions.assign(model_.names.size(), kNoMember);
    for (size_t k = 0; k < ids_.size(); ++k) {
      std::vector<uint32_t>& index =
          k < places ? input_.index.places : input_.index.transitions;
      const uint32_t member =
          static_cast<uint32_t>(k < places ? k : k - places);
      if (index[ids_[k]] == kNoMember) index[ids_[k]] = member;
    }
  }

  InputNet& input_;
  NetModel& model_;
  TwoCores cores_;
  bool on_a_thread_;
  // Edges that came before the names were complete.
  std::vector<std::shared_ptr<EdgeBatch>> pending_;
  bool names_posted_ = false;
  // Written on the worker, read once it is finished.
  std::vector<NameId> ids_;  // of every member, places first
  std::vector<uint8_t> declared_;
  std::vector<Arc> arcs_;
  EdgeFault fault_ = EdgeFault::kNone;
  bool too_many_names_ = false;
  Worker worker_;  // last, so that its thread goes first
};

// A net file spends some 32 bytes on each edge or node: a file of more than
// the threshold's worth is parsed on one core and built on the other.
constexpr size_t kBytesPerItem = 32;

}  // namespace

Status read_net(const std::string& path, NetModel& model, InputNet& input,
                TwoCores cores) {
  struct stat info;
  const size_t bytes = stat(path.c_str(), &info) == 0 ? info.st_size : 0;
  // The members' tokens are fewer bytes than the file's text of them.
  input.store.reserve(bytes);
  NetBuilder builder(input, model, cores.worth(bytes / kBytesPerItem), cores);
  NetFileScanner scanner(input, &builder);
  ContentDigest digest;
  std::string error;
  if (!parse_xml_file(path, scanner, error, &digest)) {
    builder.abandon();
    return Status::error(Status::Code::kIoError, "Can't open input file\n",
                         error);
  }
  scanner.finish();
  input.digest = digest.value();
  return builder.finish();
}

Status read_net_document(const XmlDocument& doc, NetModel& model,
                         InputNet* input, TwoCores cores) {
  InputNet own;
  InputNet& kept = input != nullptr ? *input : own;
  NetBuilder builder(kept, model, cores.worth(0), cores);
  NetFileScanner scanner(kept, &builder);
  replay_xml(doc, scanner);
  scanner.finish();
  kept.digest = doc.digest();
  return builder.finish();
}

}  // namespace marovel
