// The elements of a net file's place and transition lists, kept for the
// writer as runs of tokens in one buffer, where a tree would cost a node per
// element and per attribute: each member's element and everything below it,
// names, attributes, text, comments and CDATA sections, byte for byte as the
// parser delivered them.
#ifndef MAROVEL_NETFILE_MEMBER_STORE_H_
#define MAROVEL_NETFILE_MEMBER_STORE_H_

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>


namespace marovel {

// The XML layer's types, declared only: the store's users that fill or copy
// it use that layer themselves, and those that merely hold a store (the
// driver, through InputNet) need not see it.
struct XmlAttribute;
enum class XmlNodeType : uint8_t;
class XmlWriter;

class MemberStore {
 public:
  // Where an element's tokens start.
  using Offset = uint64_t;

  // Appends, in document order, what the parser reports of an element and
  // what lies below it.
  Offset start_element(std::string_view name,
                       std::span<const XmlAttribute> attributes);
  void end_element();
  void content(XmlNodeType type, std::string_view text);

  // An attribute a copy adds to the element it copies: a name and a value.
  using ExtraAttribute = std::pair<std::string_view, std::string_view>;

  // Writes the element whose tokens start at `element` and everything below
  // it to `xml`, as the next child of its innermost open element, with
  // `extra` after the element's own attributes. With `leave_open`, the
  // element is left open for the caller to add children and end it.
  void copy(Offset element, XmlWriter& xml, bool leave_open = false,
            std::span<const ExtraAttribute> extra = {}) const;

  // The attributes of a stored element, in document order.
  class Attributes {
   public:
    Attributes() = default;
    void for_each(
        const std::function<void(std::string_view name,
                                 std::string_view value)>& visit) const;

   private:
    friend class MemberStore;
    explicit Attributes(const char* at) : at_(at) {}
    const char* at_ = nullptr;  // the count, then names and values
  };

  // The attributes of the element whose tokens start at `element`.
  Attributes attributes_of(Offset element) const;

  // One node of a stored element, as walk() meets it.
  struct Node {
    XmlNodeType type;
    size_t depth;           // 0 for the element walked, 1 for its children
    Offset offset;          // an element's: where its tokens start
    std::string_view text;  // an element's name, or the others' content
    Attributes attributes;  // an element's; none for the others
  };
  // Calls `visit` for the element whose tokens start at `element` and for
  // every node below it, in document order; any depth of nesting is fine.
  void walk(Offset element,
            const std::function<void(const Node& node)>& visit) const;

  size_t size() const { return bytes_.size(); }
  void clear() { bytes_.clear(); }
  // Asks for room for `bytes` of tokens at once, so that the store does
  // not move as it grows; pages it never fills are never touched.
  void reserve(size_t bytes) { bytes_.reserve(bytes); }

 private:
  std::vector<char> bytes_;
};

}  // namespace marovel

#endif  // MAROVEL_NETFILE_MEMBER_STORE_H_
