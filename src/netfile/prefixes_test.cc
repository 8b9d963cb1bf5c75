#include "netfile/prefixes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/test_status.h"
#include "netfile/net_file_reader.h"

namespace marovel {
namespace {

using Declarations = std::vector<std::pair<std::string, std::string>>;

// The declarations a copy of the first place's element, and of its first
// `info`, must carry, in a net whose root, place list and first place are
// `root`, `list` and `place` (start tags without their ">", the place's
// content after it).
struct Copies {
  Declarations of_member, of_info;
};
Copies copies(const std::string& root, const std::string& list,
              const std::string& place) {
  const std::string text = root + "><placelist" + list + ">" + place +
                           "</placelist><transitionlist><t name=\"t\"/>"
                           "</transitionlist><edgelist><e from=\"p\" to=\"t\"/>"
                           "</edgelist></petrinet>";
  NetFile net;
  EXPECT_TRUE(IsOk(read_net_text(text, net)));
  const auto strings = [](const std::vector<MemberStore::ExtraAttribute>& d) {
    Declarations result;
    for (const auto& [name, value] : d) result.emplace_back(name, value);
    return result;
  };
  const ScannedList& places = net.scan.places;
  Copies result;
  result.of_member = strings(outer_declarations(
      net.scan, places, places.elements[0], places.elements[0]));
  if (places.infos[0] != kNoInfo)
    result.of_info = strings(outer_declarations(
        net.scan, places, places.elements[0], places.infos[0]));
  return result;
}

TEST(PrefixesTest, CopiesCarryTheDeclarationsTheyUseFromOutside) {
  const struct {
    const char* what;
    std::string root, list, place;
    Declarations of_member, of_info;
  } kCases[] = {
      {"declared on the root",
       "<petrinet xmlns:x=\"urn:x\"",
       "",
       "<p name=\"p\" x:color=\"red\"><info><x:note/></info></p>",
       {{"xmlns:x", "urn:x"}},
       {{"xmlns:x", "urn:x"}}},
      {"the list's declaration hides the root's",
       "<petrinet xmlns:x=\"urn:root\"",
       " xmlns:x=\"urn:list\"",
       "<x:p name=\"p\"><info/></x:p>",
       {{"xmlns:x", "urn:list"}},
       {}},
      {"the member's own: inside its copy, outside its info's",
       "<petrinet xmlns:x=\"urn:root\"",
       "",
       "<p name=\"p\" xmlns:x=\"urn:member\"><info x:a=\"1\"/></p>",
       {},
       {{"xmlns:x", "urn:member"}}},
      {"declared inside the copy, or only in a part that does not use it",
       "<petrinet xmlns:x=\"urn:x\"",
       "",
       "<p name=\"p\"><info xmlns:x=\"urn:info\"><x:n/></info>"
       "<q xmlns:x=\"urn:q\"/><x:after/></p>",
       {{"xmlns:x", "urn:x"}},
       {}},
      {"first use, element names before attribute names",
       "<petrinet xmlns:a=\"urn:a\" xmlns:b=\"urn:b\" xmlns:c=\"urn:c\"",
       "",
       "<p name=\"p\" c:x=\"1\"><info b:y=\"2\"><a:z c:w=\"3\"/></info></p>",
       {{"xmlns:c", "urn:c"}, {"xmlns:b", "urn:b"}, {"xmlns:a", "urn:a"}},
       {{"xmlns:b", "urn:b"}, {"xmlns:a", "urn:a"}, {"xmlns:c", "urn:c"}}},
      {"xml, undeclared prefixes and the default namespace: nothing",
       "<petrinet xmlns=\"urn:default\"",
       "",
       "<p name=\"p\" xml:lang=\"en\" u:v=\"1\"><info><w:n/></info></p>",
       {},
       {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const Copies found = copies(c.root, c.list, c.place);
    EXPECT_EQ(found.of_member, c.of_member);
    EXPECT_EQ(found.of_info, c.of_info);
  }
}

}  // namespace
}  // namespace marovel
