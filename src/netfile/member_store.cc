#include "netfile/member_store.h"

#include <cassert>
#include <cstring>

#include "xml/xml_document.h"
#include "xml/xml_writer.h"

namespace marovel {
namespace {

// A token is one byte of kind, then its strings, each as a length (seven
// bits a byte, low bits first) and its bytes. A start token holds the
// element's name and its attributes' count, names and values.
enum Token : char {
  kStart = 'S',
  kEnd = 'E',
  kText = 'T',
  kComment = 'C',
  kCData = 'D',
};

// Appends `length` to `bytes`, which has room for it, at `at`; returns
// where it ends.
char* put_length(char* at, uint64_t length) {
  while (length >= 0x80) {
    *at++ = static_cast<char>(length | 0x80);
    length >>= 7;
  }
  *at++ = static_cast<char>(length);
  return at;
}

char* put_string(char* at, std::string_view text) {
  at = put_length(at, text.size());
  if (!text.empty()) std::memcpy(at, text.data(), text.size());
  return at + text.size();
}

// Room for a string and its length.
constexpr size_t room_for(std::string_view text) { return text.size() + 10; }

// Reads what put_length() and put_string() wrote, advancing `at`.
uint64_t get_length(const char*& at) {
  uint64_t length = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*at++);
    length |= uint64_t{byte & 0x7Fu} << shift;
    if (byte < 0x80) return length;
  }
}

std::string_view get_string(const char*& at) {
  const uint64_t length = get_length(at);
  const std::string_view text(at, length);
  at += length;
  return text;
}

}  // namespace

MemberStore::Offset MemberStore::start_element(
    std::string_view name, std::span<const XmlAttribute> attributes) {
  const Offset offset = bytes_.size();
  size_t room = 1 + room_for(name) + 10;
  for (const XmlAttribute& attribute : attributes)
    room += room_for(attribute.name) + room_for(attribute.value);
  bytes_.resize(offset + room);
  char* at = bytes_.data() + offset;
  *at++ = kStart;
  at = put_string(at, name);
  at = put_length(at, attributes.size());
  for (const XmlAttribute& attribute : attributes) {
    at = put_string(at, attribute.name);
    at = put_string(at, attribute.value);
  }
  bytes_.resize(static_cast<size_t>(at - bytes_.data()));
  return offset;
}

void MemberStore::end_element() { bytes_.push_back(kEnd); }

void MemberStore::content(XmlNodeType type, std::string_view text) {
  switch (type) {
    case XmlNodeType::kText:
      bytes_.push_back(kText);
      break;
    case XmlNodeType::kComment:
      bytes_.push_back(kComment);
      break;
    case XmlNodeType::kCData:
      bytes_.push_back(kCData);
      break;
    case XmlNodeType::kElement:
      assert(false);
      return;
  }
  const size_t offset = bytes_.size();
  bytes_.resize(offset + room_for(text));
  char* const end = put_string(bytes_.data() + offset, text);
  bytes_.resize(static_cast<size_t>(end - bytes_.data()));
}

void MemberStore::copy(Offset element, XmlWriter& xml, bool leave_open,
                       std::span<const ExtraAttribute> extra) const {
  assert(element < bytes_.size() && bytes_[element] == kStart);
  const char* at = bytes_.data() + element;
  // The tokens are balanced: the element ends at the end token that brings
  // the depth back to where it started, at any depth of nesting.
  size_t depth = 0;
  do {
    switch (*at++) {
      case kStart: {
        xml.start_element(get_string(at));
        for (uint64_t n = get_length(at); n > 0; --n) {
          const std::string_view name = get_string(at);
          xml.attribute(name, get_string(at));
        }
        if (depth == 0)
          for (const auto& [name, value] : extra) xml.attribute(name, value);
        ++depth;
        break;
      }
      case kEnd:
        if (--depth > 0 || !leave_open) xml.end_element();
        break;
      case kText:
        xml.text(get_string(at));
        break;
      case kComment:
        xml.comment(get_string(at));
        break;
      case kCData:
        xml.cdata(get_string(at));
        break;
    }
  } while (depth > 0);
}

void MemberStore::Attributes::for_each(
    const std::function<void(std::string_view name, std::string_view value)>&
        visit) const {
  if (at_ == nullptr) return;
  const char* at = at_;
  for (uint64_t n = get_length(at); n > 0; --n) {
    const std::string_view name = get_string(at);
    visit(name, get_string(at));
  }
}

MemberStore::Attributes MemberStore::attributes_of(Offset element) const {
  assert(element < bytes_.size() && bytes_[element] == kStart);
  const char* at = bytes_.data() + element + 1;
  get_string(at);  // the name
  return Attributes(at);
}

void MemberStore::walk(
    Offset element, const std::function<void(const Node& node)>& visit) const {
  assert(element < bytes_.size() && bytes_[element] == kStart);
  const char* at = bytes_.data() + element;
  size_t depth = 0;
  do {
    const Offset offset = static_cast<Offset>(at - bytes_.data());
    switch (*at++) {
      case kStart: {
        const std::string_view name = get_string(at);
        const Attributes attributes(at);
        for (uint64_t n = 2 * get_length(at); n > 0; --n) get_string(at);
        visit({XmlNodeType::kElement, depth++, offset, name, attributes});
        break;
      }
      case kEnd:
        --depth;
        break;
      case kText:
        visit({XmlNodeType::kText, depth, offset, get_string(at), {}});
        break;
      case kComment:
        visit({XmlNodeType::kComment, depth, offset, get_string(at), {}});
        break;
      case kCData:
        visit({XmlNodeType::kCData, depth, offset, get_string(at), {}});
        break;
    }
  } while (depth > 0);
}

}  // namespace marovel
