#include "netfile/net_file.h"

#include <cassert>
#include <cctype>
#include <limits>

#include "xml/xml_lookup.h"

namespace marovel {
namespace {

struct ListFacts {
  std::string_view element;
  const char* not_found;
  const char* empty;
  const char* no_name;
};

const ListFacts& facts(NetList list) {
  static constexpr ListFacts kFacts[] = {
      {"placelist", "No placelist found\n", "No places found\n",
       "Can't find the place name\n"},
      {"transitionlist", "No transitionlist found\n", "No transitions found\n",
       "Can't find the transition name\n"},
      {"edgelist", "No edgelist found\n", "No edges found\n", nullptr},
  };
  return kFacts[static_cast<int>(list)];
}

}  // namespace

std::string_view list_element_name(NetList list) { return facts(list).element; }

Status find_net_list(const XmlNode& root, NetList list, const XmlNode*& found) {
  found = find_child_element(&root, facts(list).element);
  if (found == nullptr)
    return Status::error(Status::Code::kInvalidInput, facts(list).not_found);
  if (found->first_child == nullptr)
    return Status::error(Status::Code::kInvalidInput, facts(list).empty);
  return Status();
}

const char* missing_name_message(NetList list) {
  assert(list != NetList::kEdges);
  return facts(list).no_name;
}

std::optional<int32_t> parse_multiplicity(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  // Accumulate the magnitude, which for the smallest int32 is 2^31.
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{1} << 31;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kLimit) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(value);
}

ListIndex index_by_name(std::span<const XmlNode* const> members,
                        std::span<const std::optional<uint32_t>> ids,
                        size_t names) {
  assert(members.size() == ids.size());
  ListIndex index(names, nullptr);
  for (size_t k = 0; k < members.size(); ++k)
    if (ids[k] && index[*ids[k]] == nullptr) index[*ids[k]] = members[k];
  return index;
}

}  // namespace marovel
