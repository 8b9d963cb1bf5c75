// Namespace prefixes across copies. A list member's element, or an `info` or
// `aggregates` below it, is copied out of its file into another document
// (the reduced net, a PNML file); a prefix that the copy uses but that is
// declared outside it (on the root, the list or the member) would be left
// unbound there, and namespace-aware readers refuse the document. Such a
// copy carries the declaration itself, as an attribute of the copied
// element after its own, in the order the prefixes are first used (an
// element's name before its attributes' names, in document order). A
// default namespace (`xmlns="..."`) is left as it is.
#ifndef MAROVEL_NETFILE_PREFIXES_H_
#define MAROVEL_NETFILE_PREFIXES_H_

#include <string_view>
#include <vector>

#include "netfile/input_net.h"
#include "netfile/member_store.h"

namespace marovel {

// Whether an attribute of that name declares a prefix: "xmlns:p".
inline bool is_prefix_declaration(std::string_view attribute) {
  return attribute.size() > 6 && attribute.starts_with("xmlns:");
}

// The declarations a copy of the stored element `copied` must carry: for
// each prefix it uses and does not declare itself, the declaration in scope
// where it stands in the file, from `member` (the member of `list` it lies
// below, or `copied` itself when it is that member) and then from the
// list's scope. A prefix declared nowhere gets none. Empty, and cheap, when
// the file declares no prefix at all. The views point into `input`.
std::vector<MemberStore::ExtraAttribute> outer_declarations(
    const InputNet& input, const ScannedList& list, MemberStore::Offset member,
    MemberStore::Offset copied);

}  // namespace marovel

#endif  // MAROVEL_NETFILE_PREFIXES_H_
