// XML ids for names that may hold any bytes: each made a valid NCName (the
// type of PNML's `id` attributes) and kept apart from every other id of the
// same document.
#ifndef MAROVEL_PNML_XML_IDS_H_
#define MAROVEL_PNML_XML_IDS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace marovel {

// `name` made an NCName: ASCII letters, digits, '.', '-' and '_' stay, and
// so do the Latin, Greek and Cyrillic letters that every edition of XML 1.0
// accepts in names (UTF-8); any other byte becomes '_'. A result that would
// start with a digit, '.', '-' or nothing at all gets a leading '_'.
std::string ncname_from(std::string_view name);

// The ids of one document. Deterministic: the same calls in the same order
// give the same ids.
class XmlIdSpace {
 public:
  // Takes `id` when no one has it yet; returns whether it did.
  bool try_take(const std::string& id);
  // Takes `base` when it is free, else `base` followed by "_1", "_2", ...,
  // the first that is free. `base` must be an NCName, and so is the result.
  std::string take(const std::string& base);

 private:
  std::unordered_set<std::string> taken_;
  // Per base, the suffix to try next, so that many names alike stay cheap.
  std::unordered_map<std::string, uint64_t> next_suffix_;
};

// Ids for the nodes named `names`, taken from `space` in two passes: first
// every name that ncname_from() leaves as it is becomes its node's id
// unless an earlier node took it, then every other name gets
// ncname_from(name) made unique by take(). So a net whose names are
// distinct and left as they are keeps them as its ids.
std::vector<std::string> take_node_ids(
    const std::vector<std::string_view>& names, XmlIdSpace& space);

}  // namespace marovel

#endif  // MAROVEL_PNML_XML_IDS_H_
