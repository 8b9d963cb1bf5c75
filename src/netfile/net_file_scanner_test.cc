#include "netfile/net_file_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/test_status.h"
#include "xml/xml_parser.h"

namespace marovel {
namespace {

// What a scan tells its receiver, one line per call: "P first a b ..." or
// "T first ..." for names, "complete" for the end of both lists.
class Recorder final : public ScanReceiver {
 public:
  void names(NetList list, size_t first,
             std::span<const std::string_view> names) override {
    std::string line = list == NetList::kPlaces ? "P " : "T ";
    line += std::to_string(first);
    for (const std::string_view name : names) {
      line += ' ';
      line += name;
    }
    calls.push_back(line);
  }
  void lists_complete() override { calls.push_back("complete"); }

  std::vector<std::string> calls;
};

std::vector<std::string> scan(const std::string& text) {
  InputNet net;
  Recorder recorder;
  NetFileScanner scanner(net, &recorder);
  EXPECT_TRUE(IsOk(parse_xml_string(text, scanner)));
  scanner.finish();
  return recorder.calls;
}

TEST(NetFileScannerTest, HandsOnEveryDeclaredNameOnceBeforeTheListsEnd) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"places first",
       "<petrinet><placelist><place name='a'/><place name='b'/></placelist>"
       "<transitionlist><transition name='t'/></transitionlist>"
       "<edgelist/></petrinet>",
       {"P 0 a b", "T 0 t", "complete"}},
      {"transitions first, a second list skipped",
       "<petrinet><transitionlist><transition name='t'/></transitionlist>"
       "<placelist><place name='a'/></placelist>"
       "<placelist><place name='x'/></placelist></petrinet>",
       {"T 0 t", "P 0 a", "complete"}},
      {"nothing from the first member without a name on",
       "<petrinet><placelist><place name='a'/><place/><place name='c'/>"
       "</placelist><transitionlist>text<transition name='t'/>"
       "</transitionlist></petrinet>",
       {"P 0 a", "complete"}},
      {"no transition list",
       "<petrinet><placelist><place name='a'/></placelist></petrinet>",
       {"P 0 a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(scan(c.text), c.calls);
  }
}

TEST(NetFileScannerTest, LongListsGoInRunsWhileTheyAreRead) {
  constexpr int kPlaces = 150000;
  std::string text = "<petrinet><placelist>";
  for (int k = 0; k < kPlaces; ++k)
    text += "<place name='p" + std::to_string(k) + "'/>";
  text +=
      "</placelist><transitionlist><transition name='t'/>"
      "</transitionlist></petrinet>";
  const std::vector<std::string> calls = scan(text);
  ASSERT_GE(calls.size(), 4u);  // more than one run of places
  int next = 0;
  for (size_t k = 0; k + 2 < calls.size(); ++k) {
    // Each run starts where the one before ended and names its members.
    const std::string prefix = "P " + std::to_string(next) + " p";
    ASSERT_EQ(calls[k].compare(0, prefix.size(), prefix), 0) << calls[k];
    const size_t members =
        static_cast<size_t>(std::count(calls[k].begin(), calls[k].end(), ' ')) -
        1;
    next += static_cast<int>(members);
  }
  EXPECT_EQ(next, kPlaces);
  EXPECT_EQ(calls.end()[-2], "T 0 t");
  EXPECT_EQ(calls.back(), "complete");
}

}  // namespace
}  // namespace marovel
