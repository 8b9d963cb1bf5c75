// What a scan of a net file keeps of it: the root's name, what the first
// place and transition lists declare, each member's element for the writer,
// whether the edge list is there, and the digest of the bytes read. The
// edges themselves go by in batches (edge_batch.h) and are not kept here.
#ifndef MAROVEL_NETFILE_INPUT_NET_H_
#define MAROVEL_NETFILE_INPUT_NET_H_

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "netfile/member_store.h"

namespace marovel {

inline constexpr MemberStore::Offset kNoInfo = ~MemberStore::Offset{0};
inline constexpr uint32_t kNoMember = ~uint32_t{0};

// The first list of one kind (places or transitions) among the root's
// children.
struct ScannedList {
  bool found = false;        // the root has a child element of its name
  bool has_members = false;  // that child has at least one child node
  bool complete = false;     // its end was met
  // How many named members come before the first member without a name,
  // which fails the read there; kNoMember when every member has one.
  uint32_t nameless_at = kNoMember;
  // What that member is, for messages: "<p>" for an element p, else
  // "text", "a comment" or "a CDATA section".
  std::string nameless_member;
  // The members that have a name, in document order: each one's name, its
  // element in the store and its first `info` child (kNoInfo for none).
  std::vector<std::string_view> names;
  std::vector<MemberStore::Offset> elements;
  std::vector<MemberStore::Offset> infos;
  // The prefixes declared outside the members and in scope at them, as the
  // declaring attributes ("xmlns:p", its value): the list element's own,
  // then the root's. A copy of a member may need some of them.
  std::vector<std::pair<std::string, std::string>> namespaces;
};

// How many members of a list declare a name: those before the first that
// has none.
inline size_t declared_count(const ScannedList& list) {
  return list.nameless_at < list.names.size() ? list.nameless_at
                                              : list.names.size();
}

// By name id, the index in its list of the first member of each list that
// bears the name, or kNoMember.
struct ElementIndex {
  std::vector<uint32_t> places;
  std::vector<uint32_t> transitions;
};

struct InputNet {
  InputNet()
      : name_text(std::make_unique<std::pmr::monotonic_buffer_resource>()) {}

  std::string root_name;
  ScannedList places;
  ScannedList transitions;
  bool edges_found = false;
  bool edges_have_members = false;
  // The member of the edge list the scan stopped at when it is no element
  // ("text", "a comment" or "a CDATA section"), for messages; else empty.
  std::string edge_stop_member;
  // Whether the root, a list or a member declares a prefix ("xmlns:p"): only
  // then can a copy use a prefix declared outside it.
  bool declares_prefixes = false;
  // The members' elements, and the bytes of their names.
  MemberStore store;
  std::unique_ptr<std::pmr::monotonic_buffer_resource> name_text;
  // Filled by the reader once the names are interned.
  ElementIndex index;
  // The ContentDigest of the bytes scanned.
  uint64_t digest = 0;
};

// Lets the lists' names and their bytes go, once a reader has interned them
// into a table of its own and filled the element index: the members stay,
// found by name id through the index. Afterwards the lists read as
// declaring no names.
inline void release_names(InputNet& net) {
  net.places.names = {};
  net.transitions.names = {};
  net.name_text = std::make_unique<std::pmr::monotonic_buffer_resource>();
}

}  // namespace marovel

#endif  // MAROVEL_NETFILE_INPUT_NET_H_
