// Reads a net file as the parser delivers it, without a document: keeps
// what InputNet holds and hands the edges on in batches, so that memory
// grows with the members' elements, not with the whole file. Only the root's
// first place, transition and edge lists count; the parser is told to pass
// over everything else unreported.
#ifndef MAROVEL_NETFILE_NET_FILE_SCANNER_H_
#define MAROVEL_NETFILE_NET_FILE_SCANNER_H_

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "netfile/edge_batch.h"
#include "netfile/input_net.h"
#include "netfile/net_file.h"
#include "xml/xml_parser.h"

namespace marovel {

// Receives what a scan finds as it goes.
class ScanReceiver {
 public:
  virtual ~ScanReceiver() = default;
  // The next names `names` declares, members `first` .. `first` +
  // names.size() - 1 of list `list` (places or transitions): every declared
  // name once, in document order, a run of them at a time while the list
  // goes on and the rest at its end, and none after the first member
  // without a name. The span lasts for the call, the names' bytes as long
  // as the scan's net.
  virtual void names(NetList list, size_t first,
                     std::span<const std::string_view> names) {
    (void)list, (void)first, (void)names;
  }
  // Both lists have ended: no later member declares a name. Called at most
  // once, after the names and before the edges that follow in the file.
  virtual void lists_complete() {}
  // The next edges of the list, in document order. A member without an
  // end is the last the scan delivers.
  virtual void edges(EdgeBatch&& batch) { (void)batch; }
};

class NetFileScanner final : public XmlContentHandler {
 public:
  // What the scan makes of a root that is not `petrinet`: the reader
  // refuses such a file and needs nothing of it, the writer takes the
  // lists of any root.
  enum class Root { kPetrinetOnly, kAny };

  // Fills the fresh `net`, which must outlive the scan; `receiver` may be
  // null when the edges are of no interest.
  NetFileScanner(InputNet& net, ScanReceiver* receiver,
                 Root root = Root::kPetrinetOnly);

  // Hands on the edges still held; to be called once the parse is done.
  void finish();

  // Whether lists_complete() was called.
  bool reported_lists() const { return reported_lists_; }

  void start_element(std::string_view name,
                     std::span<const XmlAttribute> attributes) override;
  void end_element() override;
  void content(XmlNodeType type, std::string_view text) override;
  XmlInterest interest() const override;

 private:
  enum class Inside { kNothing, kPlaces, kTransitions, kEdges, kSkipped };

  void start_member(ScannedList& list, std::string_view element,
                    std::span<const XmlAttribute> attributes);
  void mark_nameless(ScannedList& list, std::string_view member);
  void add_edge(std::span<const XmlAttribute> attributes,
                std::string_view non_element);
  void send_edges();
  // Hands on the declared names of `list` not yet handed on.
  void send_names(NetList list);

  // Keeps the "xmlns:p" declarations among `attributes` in `declarations`,
  // and notes in the net that the file declares a prefix.
  void note_declarations(
      std::span<const XmlAttribute> attributes,
      std::vector<std::pair<std::string, std::string>>* declarations);

  InputNet& net_;
  // The root's prefix declarations, for the lists' scopes.
  std::vector<std::pair<std::string, std::string>> root_namespaces_;
  ScanReceiver* receiver_;
  Root root_;
  size_t depth_ = 0;  // elements open and reported
  bool wrong_root_ = false;
  Inside inside_ = Inside::kNothing;  // the root's child at hand
  bool capturing_ = false;            // a member's element goes to the store
  bool edges_stopped_ = false;        // a member without an end was met
  bool reported_lists_ = false;
  size_t edges_sent_ = 0;
  size_t names_sent_[2] = {0, 0};  // of the places, of the transitions
  EdgeBatch batch_;
};

}  // namespace marovel

#endif  // MAROVEL_NETFILE_NET_FILE_SCANNER_H_
