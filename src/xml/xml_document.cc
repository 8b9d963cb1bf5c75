#include "xml/xml_document.h"

#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "xml/xml_parser.h"

namespace marovel {

// Links the parser's content into the document's arena. Open elements live
// on an explicit stack, each with its last child so that appending is
// constant time and no depth of nesting touches the C++ stack.
class XmlTreeBuilder final : public XmlContentHandler {
 public:
  explicit XmlTreeBuilder(XmlDocument& doc) : doc_(doc) {}

  // Records the digest of the bytes the document is loaded from.
  void set_digest(uint64_t digest) { doc_.digest_ = digest; }

  void start_element(std::string_view name,
                     std::span<const XmlAttribute> attributes) override {
    const std::string_view element_name = intern(name);
    size_t value_chars = 0;
    for (const XmlAttribute& a : attributes) value_chars += a.value.size();
    NodeBlock block =
        new_node(XmlNodeType::kElement, attributes.size(), value_chars);
    block.node->name = element_name;
    char* chars = block.chars;
    for (size_t i = 0; i < attributes.size(); ++i) {
      const std::string_view value = attributes[i].value;
      if (!value.empty()) std::memcpy(chars, value.data(), value.size());
      new (&block.attributes[i])
          XmlAttribute{intern(attributes[i].name), {chars, value.size()}};
      chars += value.size();
    }
    if (!attributes.empty()) {
      block.node->attributes = {block.attributes, attributes.size()};
    }
    if (open_.empty()) {
      doc_.root_ = block.node;
    } else {
      append(block.node);
    }
    open_.push_back({block.node, nullptr});
  }

  void end_element() override { open_.pop_back(); }

  void content(XmlNodeType type, std::string_view text) override {
    NodeBlock block = new_node(type, 0, text.size());
    if (!text.empty()) std::memcpy(block.chars, text.data(), text.size());
    block.node->content = {block.chars, text.size()};
    append(block.node);
  }

 private:
  struct OpenElement {
    XmlNode* node;
    XmlNode* last_child;
  };

  // Element and attribute names come from a small vocabulary, so each
  // distinct name is stored once; a direct-mapped cache keyed by the first
  // two bytes finds most repeats in a single comparison.
  std::string_view intern(std::string_view name) {
    const unsigned first =
        name.empty() ? 0 : static_cast<unsigned char>(name[0]);
    const unsigned second =
        name.size() < 2 ? 0 : static_cast<unsigned char>(name[1]);
    std::string_view& slot = names_[(first * 31u + second) % names_.size()];
    if (slot == name) return slot;
    char* copy = static_cast<char*>(doc_.arena_.allocate(name.size(), 1));
    if (!name.empty()) std::memcpy(copy, name.data(), name.size());
    slot = {copy, name.size()};
    return slot;
  }

  struct NodeBlock {
    XmlNode* node;
    XmlAttribute* attributes;
    char* chars;
  };

  // A node, its attributes and `char_count` bytes for its strings, taken
  // from the arena in one piece.
  NodeBlock new_node(XmlNodeType type, size_t attribute_count,
                     size_t char_count) {
    static_assert(sizeof(XmlNode) % alignof(XmlAttribute) == 0);
    const size_t attributes_size = attribute_count * sizeof(XmlAttribute);
    char* raw = static_cast<char*>(doc_.arena_.allocate(
        sizeof(XmlNode) + attributes_size + char_count, alignof(XmlNode)));
    NodeBlock block{new (raw) XmlNode{},
                    reinterpret_cast<XmlAttribute*>(raw + sizeof(XmlNode)),
                    raw + sizeof(XmlNode) + attributes_size};
    block.node->type = type;
    return block;
  }

  void append(XmlNode* node) {
    OpenElement& parent = open_.back();
    if (parent.last_child == nullptr) {
      parent.node->first_child = node;
    } else {
      parent.last_child->next_sibling = node;
    }
    parent.last_child = node;
  }

  XmlDocument& doc_;
  std::vector<OpenElement> open_;
  std::array<std::string_view, 64> names_{};
};

Status load_xml_string(std::string_view bytes, XmlDocument& doc) {
  XmlTreeBuilder builder(doc);
  ContentDigest digest;
  digest.add(bytes);
  builder.set_digest(digest.value());
  return parse_xml_string(bytes, builder);
}

Status load_xml_file(const std::string& path, XmlDocument& doc) {
  XmlTreeBuilder builder(doc);
  ContentDigest digest;
  Status status = parse_xml_file(path, builder, &digest);
  if (status.ok()) builder.set_digest(digest.value());
  return status;
}

}  // namespace marovel
