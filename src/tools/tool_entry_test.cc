#include "tools/tool_entry.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace marovel {
namespace {

TEST(ToolEntryTest, PassesTheArgumentsAndTheStatus) {
  char name[] = "tool", first[] = "a", second[] = "-o";
  char* argv[] = {name, first, second, nullptr};
  std::ostringstream out, err;
  const int status = tool_entry(
      "tool",
      [](const std::vector<std::string>& args, std::ostream& o, std::ostream&) {
        for (const std::string& arg : args) o << arg << ";";
        return 2;
      },
      3, argv, out, err);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out.str(), "a;-o;");
  EXPECT_EQ(err.str(), "");
}

TEST(ToolEntryTest, EscapingExceptionsEndInOneLine) {
  char name[] = "tool";
  char* argv[] = {name, nullptr};
  std::ostringstream out, err;
  EXPECT_EQ(tool_entry(
                "net2pnml",
                [](const std::vector<std::string>&, std::ostream&,
                   std::ostream&) -> int { throw std::bad_alloc(); },
                1, argv, out, err),
            1);
  EXPECT_EQ(tool_entry(
                "net2pnml",
                [](const std::vector<std::string>&, std::ostream&,
                   std::ostream&) -> int {
                  throw std::runtime_error("disk on fire");
                },
                1, argv, out, err),
            1);
  EXPECT_EQ(err.str(), "net2pnml: out of memory\nnet2pnml: disk on fire\n");
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace marovel
