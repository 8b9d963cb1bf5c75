#include "reader/net_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cassert>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "base/worker.h"
#include "model/invariants.h"
#include "netfile/edge_reading.h"
#include "netfile/net_fault.h"
#include "netfile/net_file.h"
#include "netfile/net_file_scanner.h"
#include "reader/net_reader_for_testing.h"
#include "xml/content_digest.h"
#include "xml/xml_parser.h"
#include "xml/xml_replay.h"

namespace marovel {
namespace {

// One edge as the reader classifies it.
struct Arc {
  NameId from;
  NameId to;
  int32_t weight;
  bool from_place;
};

// Builds the model from what a scan delivers, on a core of its own while
// the parse goes on when that is worth it: first the names, once both lists
// are complete, then each batch of edges, classified and entered in
// document order up to the first fault.
class NetBuilder final : public ScanReceiver {
 public:
  NetBuilder(InputNet& input, NetModel& model, bool on_a_thread, TwoCores cores)
      : input_(input), model_(model), cores_(cores), worker_(on_a_thread) {}

  // Each run of names is sorted on the worker while the parse goes on.
  void names(NetList list, size_t first,
             std::span<const std::string_view> names) override {
    auto run = std::make_shared<std::vector<std::string_view>>(names.begin(),
                                                               names.end());
    const unsigned group = list == NetList::kPlaces ? 0 : 1;
    worker_.post([this, run, group, first] {
      if (too_many_names_) return;
      if (sorter_.size() + run->size() > kMaxNames) {
        too_many_names_ = true;
        sorter_ = NameTable::Builder();
        return;
      }
      sorter_.add(*run, group, first);
    });
  }

  void lists_complete() override { post_names(); }

  void edges(EdgeBatch&& batch) override {
    auto shared = std::make_shared<EdgeBatch>(std::move(batch));
    if (!names_posted_) {
      pending_.push_back(std::move(shared));
      return;
    }
    worker_.post([this, shared] { enter(shared); });
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
    if (const std::optional<NetFault> fault =
            list_fault(input_, NetReader::kMarovel)) {
      // What was declared before a fault of a list of names stays in the
      // model.
      const bool of_names = fault->kind == NetFault::Kind::kNoList ||
                            fault->kind == NetFault::Kind::kEmptyList ||
                            fault->kind == NetFault::Kind::kNamelessMember;
      if (of_names && fault->list != NetList::kEdges)
        declare_only(/*with_transitions=*/fault->list == NetList::kTransitions);
      return fault_status(*fault, NetReader::kMarovel);
    }
    if (stop_.fault != EdgeFault::kNone)
      return fault_status(edge_fault(stop_, *stopped_at_, input_),
                          NetReader::kMarovel);
    if (!check_consistency(model_, cores_))
      return Status::error(Status::Code::kInvalidInput,
                           "\nNet inconsistent after input\n");
    index_elements();
    // From here on names are asked for by id, and the model's table holds
    // them: the run's peak comes later, so what served the lookups by text
    // goes now.
    model_.names.drop_index();
    release_names(input_);
    return Status();
  }

 private:
  void post_names() {
    names_posted_ = true;
    worker_.post([this] { build_names(); });
    for (std::shared_ptr<EdgeBatch>& batch : pending_)
      worker_.post([this, batch] { enter(batch); });
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
    if (too_many_names_) return;
    const size_t places = declared_count(input_.places);
    assert(sorter_.size() == places + declared_count(input_.transitions));
    model_ = NetModel(std::move(sorter_).finish(ids_, places));
    declared_.assign(model_.names.size(), 0);
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

  // Classifies a batch of edges and enters its arcs, up to the first fault:
  // the arcs before it are entered, nothing after it.
  void enter(const std::shared_ptr<EdgeBatch>& batch) {
    if (stop_.fault != EdgeFault::kNone || too_many_names_) return;
    arcs_.clear();
    stop_ = read_edges<NameId>(
        *batch,
        [this](std::span<const std::string_view> names,
               std::span<std::optional<NameId>> ids) {
          model_.names.find_all(names, ids);
        },
        [this](NameId name) { return declared_[name]; },
        [this, &batch](size_t edge, NameId source, NameId target,
                       bool from_place) {
          arcs_.push_back(
              Arc{source, target, batch->edges[edge].weight, from_place});
        });
    fill();
    if (stop_.fault != EdgeFault::kNone) stopped_at_ = batch;
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
  // Edges that came before the names were complete.
  std::vector<std::shared_ptr<EdgeBatch>> pending_;
  bool names_posted_ = false;
  // Written on the worker, read once it is finished.
  NameTable::Builder sorter_;
  std::vector<NameId> ids_;  // of every member, places first
  std::vector<uint8_t> declared_;
  std::vector<Arc> arcs_;
  EdgeStop stop_;
  std::shared_ptr<EdgeBatch> stopped_at_;  // the batch holding the fault
  bool too_many_names_ = false;
  Worker worker_;  // last, so that its thread goes first
};

// A net file spends some 32 bytes on each edge or node: a file of more than
// the threshold's worth is parsed on one core and built on the other.
constexpr size_t kBytesPerItem = 32;

// Reads what `parse` delivers to the scanner it is given, adding every
// byte it reads to the digest; `bytes` is the input's size, for the choice
// of cores and the store's room.
template <typename Parse>
Status read_parsed(size_t bytes, NetModel& model, InputNet& input,
                   TwoCores cores, const Parse& parse) {
  // The members' tokens are fewer bytes than the file's text of them.
  input.store.reserve(bytes);
  NetBuilder builder(input, model, cores.worth(bytes / kBytesPerItem), cores);
  NetFileScanner scanner(input, &builder);
  ContentDigest digest;
  if (const Status parsed = parse(scanner, digest); !parsed.ok()) {
    builder.abandon();
    return Status::error(Status::Code::kIoError, "Can't open input file\n",
                         parsed.message(), parsed.system_error());
  }
  scanner.finish();
  input.digest = digest.value();
  return builder.finish();
}

}  // namespace

Status read_net(const std::string& path, NetModel& model, InputNet& input,
                TwoCores cores) {
  struct stat info;
  const size_t bytes = stat(path.c_str(), &info) == 0 ? info.st_size : 0;
  return read_parsed(bytes, model, input, cores,
                     [&](NetFileScanner& scanner, ContentDigest& digest) {
                       return parse_xml_file(path, scanner, &digest);
                     });
}

Status read_net_bytes(std::string_view bytes, NetModel& model, InputNet& input,
                      TwoCores cores) {
  return read_parsed(bytes.size(), model, input, cores,
                     [&](NetFileScanner& scanner, ContentDigest& digest) {
                       digest.add(bytes);
                       return parse_xml_string(bytes, scanner);
                     });
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
