#include "netfile/prefixes.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "xml/xml_document.h"

namespace marovel {
namespace {

constexpr size_t kDeclarationStart = 6;  // "xmlns:"

// The prefix of a qualified name ("p" of "p:note"); empty for none.
std::string_view prefix_of(std::string_view name) {
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? std::string_view()
                                         : name.substr(0, colon);
}

// The prefixes the element at `copied` and everything below it use without
// declaring them inside the copy, in the order of first use. "xml" is bound
// everywhere and "xmlns" names declarations, not a namespace.
std::vector<std::string_view> undeclared_prefixes(const MemberStore& store,
                                                  MemberStore::Offset copied) {
  std::vector<std::string_view> wanted;
  struct Declared {
    std::string_view prefix;
    size_t depth;  // of the element that declares it
  };
  std::vector<Declared> in_scope;
  const auto use = [&](std::string_view prefix) {
    if (prefix.empty() || prefix == "xml" || prefix == "xmlns") return;
    const auto declares = [&](const Declared& d) { return d.prefix == prefix; };
    if (std::any_of(in_scope.begin(), in_scope.end(), declares)) return;
    if (std::find(wanted.begin(), wanted.end(), prefix) == wanted.end())
      wanted.push_back(prefix);
  };
  store.walk(copied, [&](const MemberStore::Node& node) {
    if (node.type != XmlNodeType::kElement) return;
    // The walk goes depth first: what an element at this depth or deeper
    // declared belongs to an element already closed.
    while (!in_scope.empty() && in_scope.back().depth >= node.depth)
      in_scope.pop_back();
    node.attributes.for_each([&](std::string_view name, std::string_view) {
      if (is_prefix_declaration(name))
        in_scope.push_back({name.substr(kDeclarationStart), node.depth});
    });
    use(prefix_of(node.text));
    node.attributes.for_each([&](std::string_view name, std::string_view) {
      if (!is_prefix_declaration(name)) use(prefix_of(name));
    });
  });
  return wanted;
}

}  // namespace

std::vector<MemberStore::ExtraAttribute> outer_declarations(
    const InputNet& input, const ScannedList& list, MemberStore::Offset member,
    MemberStore::Offset copied) {
  std::vector<MemberStore::ExtraAttribute> declarations;
  if (!input.declares_prefixes) return declarations;
  for (const std::string_view prefix :
       undeclared_prefixes(input.store, copied)) {
    const auto declares = [&](std::string_view name) {
      return is_prefix_declaration(name) &&
             name.substr(kDeclarationStart) == prefix;
    };
    std::optional<MemberStore::ExtraAttribute> found;
    if (member != copied) {
      input.store.attributes_of(member).for_each(
          [&](std::string_view name, std::string_view value) {
            if (!found && declares(name)) found.emplace(name, value);
          });
    }
    for (const auto& [name, value] : list.namespaces) {
      if (found) break;
      if (declares(name)) found.emplace(name, value);
    }
    if (found) declarations.push_back(*found);
  }
  return declarations;
}

}  // namespace marovel
