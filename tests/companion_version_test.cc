// The companion commands' --version, end to end.
#include <gtest/gtest.h>

#include <string>

#include "base/version.h"
#include "tool_runner.h"

namespace marovel::testing {
namespace {

TEST(CompanionsTest, VersionIsTheBuildsOwn) {
  ScratchDir dir;
  const std::pair<const char*, const char*> commands[] = {
      {PNML2NET_BINARY, "pnml2net"},
      {NET2DOT_BINARY, "net2dot"},
      {NET2PNML_BINARY, "net2pnml"},
      {NET2HTML_BINARY, "net2html"}};
  for (const auto& [binary, name] : commands) {
    const ToolRun run = run_program(binary, {"--version"}, dir.path());
    EXPECT_EQ(run.status, 0) << name;
    EXPECT_EQ(run.out, std::string(name) + " " + MAROVEL_VERSION + "\n");
    EXPECT_EQ(run.err, "");
  }
}

}  // namespace
}  // namespace marovel::testing
