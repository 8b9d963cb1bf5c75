#include "writer/net_writer.h"

#include <charconv>
#include <ctime>
#include <optional>
#include <vector>

#include "base/channel.h"
#include "base/run_both.h"
#include "base/safe_file.h"
#include "base/version.h"
#include "netfile/net_file.h"
#include "netfile/net_file_scanner.h"
#include "netfile/prefixes.h"
#include "writer/edge_text.h"
#include "writer/net_writer_for_testing.h"
#include "xml/content_digest.h"
#include "xml/xml_parser.h"
#include "xml/xml_replay.h"
#include "xml/xml_writer.h"

namespace marovel {
namespace {

Status fault(const char* message) {
  return Status::error(Status::Code::kInvalidInput, message);
}

// What the writer says when a node of one kind cannot be copied.
struct KindFacts {
  const char* missing_element;
  const char* place_member_without_info;
  const char* transition_member_without_info;
  bool prints_members;
};

constexpr KindFacts kPlaceFacts = {"Inconsistent xml's 1\n",
                                   "Inconsistent xml's 3\n",
                                   "Inconsistent xml's 3\n", false};
constexpr KindFacts kTransitionFacts = {"Inconsistent xml's 4\n",
                                        "Inconsistent xml's 5\n",
                                        "Inconsistent xml's 6\n", true};

// Copies the nodes of the model out of the input's members. Every check runs
// in a first pass over the nodes, before a byte of the document is written,
// so that a failure leaves nothing behind even where the output cannot be
// taken back (a FIFO, a terminal); the second pass writes.
class NodeCopier {
 public:
  NodeCopier(const NetModel& model, const InputNet& input)
      : model_(model), input_(input) {}

  // The first pass: prints the member names of every merged transition on
  // `members_out` as it meets them, and fails at the first node that cannot
  // be copied.
  // The members of every merged node are kept, in the order the nodes are
  // written, for the second pass.
  Status check(std::ostream& members_out) {
    for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
      const KindFacts& facts = facts_of(kind);
      const std::vector<uint32_t>& index = index_of(kind);
      for (const auto& [name, node] : model_.nodes(kind)) {
        if (index[name] == kNoMember) return fault(facts.missing_element);
        const std::vector<NameId>& members = members_of(name);
        all_members_.insert(all_members_.end(), members.begin(), members.end());
        all_members_.push_back(kNoMore);
        for (const NameId member : members) {
          if (facts.prints_members) members_out << model_.name(member) << "\n";
          const MemberInfo info = info_of(member);
          if (info.place_lacks_it)
            return fault(facts.place_member_without_info);
          if (info.transition_lacks_it)
            return fault(facts.transition_member_without_info);
        }
      }
    }
    return Status();
  }

  // The second pass: one copy of the input element of every node of `kind`,
  // in a list named `list_name`. REQUIRES: check() passed.
  void write_list(std::string_view list_name, NodeKind kind, XmlWriter& xml) {
    const NodeMap& nodes = model_.nodes(kind);
    const ScannedList& list = list_of(kind);
    const std::vector<uint32_t>& index = index_of(kind);
    xml.start_element(list_name);
    for (const auto& [name, node] : nodes) {
      write_node(list, list.elements[index[name]], xml);
    }
    xml.end_element();
  }

 private:
  struct MemberInfo {
    MemberStore::Offset info = kNoInfo;  // a transition's wins over a place's
    // The element the info lies in, and its list.
    MemberStore::Offset element = kNoInfo;
    const ScannedList* list = nullptr;
    bool place_lacks_it = false;
    bool transition_lacks_it = false;
  };

  static const KindFacts& facts_of(NodeKind kind) {
    return kind == NodeKind::kPlace ? kPlaceFacts : kTransitionFacts;
  }
  const ScannedList& list_of(NodeKind kind) const {
    return kind == NodeKind::kPlace ? input_.places : input_.transitions;
  }
  const std::vector<uint32_t>& index_of(NodeKind kind) const {
    return kind == NodeKind::kPlace ? input_.index.places
                                    : input_.index.transitions;
  }

  // The members of a node's aggregate when it lists two or more names;
  // none otherwise (a node that stands for itself gets no `aggregates`).
  const std::vector<NameId>& members_of(NameId name) {
    members_.clear();
    if (model_.aggregates.merged(name))
      model_.aggregates.members(name, members_);
    if (members_.size() < 2) members_.clear();
    return members_;
  }

  // The `info` of the member's input elements. A member named in neither
  // list (the file changed since it was read) has nothing to contribute.
  MemberInfo info_of(NameId member) const {
    MemberInfo result;
    if (const uint32_t place = input_.index.places[member];
        place != kNoMember) {
      result.info = input_.places.infos[place];
      result.element = input_.places.elements[place];
      result.list = &input_.places;
      result.place_lacks_it = result.info == kNoInfo;
    }
    if (const uint32_t transition = input_.index.transitions[member];
        transition != kNoMember) {
      result.info = input_.transitions.infos[transition];
      result.element = input_.transitions.elements[transition];
      result.list = &input_.transitions;
      result.transition_lacks_it = result.info == kNoInfo;
    }
    return result;
  }

  void write_node(const ScannedList& list, MemberStore::Offset element,
                  XmlWriter& xml) {
    input_.store.copy(element, xml, /*leave_open=*/true,
                      outer_declarations(input_, list, element, element));
    size_t k = next_member_;
    if (all_members_[k] != kNoMore) {
      xml.start_element("aggregates");
      for (; all_members_[k] != kNoMore; ++k) {
        const MemberInfo member = info_of(all_members_[k]);
        if (member.info != kNoInfo)
          input_.store.copy(member.info, xml, /*leave_open=*/false,
                            outer_declarations(input_, *member.list,
                                               member.element, member.info));
      }
      xml.end_element();
    }
    next_member_ = k + 1;  // past the node's end mark
    xml.end_element();
  }

  // Ends the members of one node in all_members_.
  static constexpr NameId kNoMore = ~NameId{0};

  const NetModel& model_;
  const InputNet& input_;
  std::vector<NameId> members_;  // of the node at hand
  // The members of every node's aggregate (none when it stands for itself
  // alone), each list ended by kNoMore, in the order the nodes are written;
  // next_member_ is where the next node's list starts.
  std::vector<NameId> all_members_;
  size_t next_member_ = 0;
};

}  // namespace

std::string current_date_text() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[128];
  const size_t length = std::strftime(text, sizeof text, "%c", &local);
  return std::string(text, length);
}

void index_members(InputNet& input, const NameTable& names) {
  for (const bool places : {true, false}) {
    const ScannedList& list = places ? input.places : input.transitions;
    std::vector<uint32_t>& index =
        places ? input.index.places : input.index.transitions;
    index.assign(names.size(), kNoMember);
    std::vector<std::optional<NameId>> ids(list.names.size());
    names.find_all(list.names, ids);
    for (size_t k = 0; k < ids.size(); ++k)
      if (ids[k] && index[*ids[k]] == kNoMember)
        index[*ids[k]] = static_cast<uint32_t>(k);
  }
}

namespace {

// Scans the net file at `path` for what the writer needs and indexes its
// members by `names`: what the reader kept no longer serves.
Status scan_for_writing(const std::string& path, const NameTable& names,
                        InputNet& input) {
  NetFileScanner scanner(input, /*receiver=*/nullptr,
                         NetFileScanner::Root::kAny);
  ContentDigest digest;
  Status status = parse_xml_file(path, scanner, &digest);
  if (!status.ok()) return status;
  input.digest = digest.value();
  index_members(input, names);
  return status;
}

}  // namespace

void scan_for_writing(const XmlDocument& doc, const NameTable& names,
                      InputNet& input) {
  NetFileScanner scanner(input, /*receiver=*/nullptr,
                         NetFileScanner::Root::kAny);
  replay_xml(doc, scanner);
  input.digest = doc.digest();
  index_members(input, names);
}

namespace {

// Every check of the document, before a byte of it is written: the lists
// must be there and hold members, as the reader found them (a file scanned
// again may have lost them), and every node must be one the copier can
// copy. The member names of merged transitions go to `members_out` on the
// way, and are flushed, so that they come before the document where both
// share one stream (an output named /dev/stdout).
Status check_document(const InputNet& input, NodeCopier& copier,
                      std::ostream& members_out) {
  for (const auto& [which, list] :
       {std::pair{NetList::kPlaces, &input.places},
        {NetList::kTransitions, &input.transitions}}) {
    if (!list->found)
      return fault(list_fault_message(which, ListFault::kNotFound));
    if (!list->has_members)
      return fault(list_fault_message(which, ListFault::kEmpty));
  }
  Status status = copier.check(members_out);
  members_out.flush();
  return status;
}

// The document itself. REQUIRES: check_document() passed with `copier`.
void write_document(NodeCopier& copier, const NetModel& model,
                    std::string_view date, std::ostream& xml, TwoCores cores) {
  XmlWriter writer(xml);
  writer.start_element(kNetRoot);
  writer.start_element("info");
  const std::pair<std::string_view, std::string_view> kHeader[] = {
      {"generatedate", date},
      {"generatedby", kProgramVersion},
      {"author", "ZR"}};
  for (const auto& [element, text] : kHeader) {
    writer.start_element(element);
    writer.text(text);
    writer.end_element();
  }
  writer.end_element();
  const auto write_nodes = [&] {
    copier.write_list(list_element_name(NetList::kPlaces), NodeKind::kPlace,
                      writer);
    copier.write_list(list_element_name(NetList::kTransitions),
                      NodeKind::kTransition, writer);
    writer.begin_formatted_child();
  };
  constexpr size_t kPieceBytes = size_t{1} << 20;
  if (cores.worth(model.p_map.size() + model.t_map.size())) {
    // The edge list is laid out on the other core while this one copies
    // the nodes, and follows them piece by piece. At most 64 pieces wait:
    // enough that on the nets of the benchmark the second core formats
    // while this one copies, and a cap on the memory of any larger net,
    // whose edge text would otherwise pile up whole.
    constexpr size_t kPiecesAhead = 64;
    Channel<std::string> pieces(kPiecesAhead);
    run_both(
        true,
        [&] {
          try {
            format_edge_list(model, kPieceBytes, [&](std::string& piece) {
              pieces.put(std::move(piece));
            });
            pieces.close();
          } catch (...) {
            pieces.close(std::current_exception());
          }
        },
        [&] {
          try {
            write_nodes();
            while (std::optional<std::string> piece = pieces.take())
              writer.raw(*piece);
          } catch (...) {
            pieces.abandon();
            throw;
          }
        });
  } else {
    write_nodes();
    format_edge_list(model, kPieceBytes,
                     [&](std::string& piece) { writer.raw(piece); });
  }
  writer.end_element();
  writer.finish();
}

}  // namespace

Status write_reduced_document(const InputNet& input, const NetModel& model,
                              std::string_view date, std::ostream& members_out,
                              std::ostream& xml, TwoCores cores) {
  NodeCopier copier(model, input);
  if (Status status = check_document(input, copier, members_out); !status.ok())
    return status;
  write_document(copier, model, date, xml, cores);
  return Status();
}

namespace {

// The members the writer copies: `read` while the file at `input_path` holds
// the bytes it was read from, or when there is no file (an empty path);
// otherwise the file scanned again into `rescanned`.
Status members_to_copy(const std::string& input_path, const NetModel& model,
                       const InputNet* read, InputNet& rescanned,
                       const InputNet*& input) {
  input = read;
  if (read != nullptr &&
      (input_path.empty() || digest_file(input_path) == read->digest))
    return Status();
  if (const Status scanned =
          scan_for_writing(input_path, model.names, rescanned);
      !scanned.ok())
    return Status::error(Status::Code::kIoError, "Can't open input file\n",
                         scanned.message());
  input = &rescanned;
  return Status();
}

}  // namespace

Status write_reduced_net(const std::string& input_path,
                         const std::string& output_path, const NetModel& model,
                         std::ostream& members_out, const InputNet* read,
                         TwoCores cores, SafeFile::Signals signals) {
  // What the reader kept serves while the file holds the same bytes, which
  // would scan the same; otherwise the file is scanned again.
  InputNet rescanned;
  const InputNet* input = nullptr;
  if (Status status =
          members_to_copy(input_path, model, read, rescanned, input);
      !status.ok())
    return status;
  const std::string date = current_date_text();

  NodeCopier copier(model, *input);
  if (Status status = check_document(*input, copier, members_out); !status.ok())
    return status;
  // Opened only once every check has passed, so that a failed run creates
  // nothing and never waits for the reader of a FIFO; the document then
  // streams straight into it.
  SafeFile file(output_path, SafeFile::Staging::kUnnamed, signals);
  write_document(copier, model, date, file.stream(), cores);
  if (!file.commit())
    return Status::error(Status::Code::kWriteFailed,
                         "Can't write output file\n", file.error(),
                         file.error_number());
  return Status();
}

Status write_reduced_text(const std::string& input_path, std::ostream& xml,
                          const NetModel& model, std::ostream& members_out,
                          const InputNet* read, TwoCores cores) {
  InputNet rescanned;
  const InputNet* input = nullptr;
  if (Status status =
          members_to_copy(input_path, model, read, rescanned, input);
      !status.ok())
    return status;
  return write_reduced_document(*input, model, current_date_text(), members_out,
                                xml, cores);
}

}  // namespace marovel
