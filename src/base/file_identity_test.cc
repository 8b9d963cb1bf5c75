#include "base/file_identity.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace marovel {
namespace {

namespace fs = std::filesystem;

TEST(FileIdentityTest, SameFileSeesThroughNamesOfExistingAndFutureFiles) {
  std::string pattern =
      (fs::temp_directory_path() / "marovel-identity-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  std::ofstream(dir / "file") << "x";
  std::ofstream(dir / "other") << "x";
  fs::create_directory(dir / "sub");
  fs::create_hard_link(dir / "file", dir / "hard");
  fs::create_symlink("file", dir / "soft");
  fs::create_symlink("future", dir / "dangling");
  const std::string d = dir.string() + "/";
  const struct {
    std::string a, b;
    bool same;
  } kCases[] = {
      {d + "file", d + "file", true},
      {d + "file", d + "sub/../file", true},
      {d + "file", d + "hard", true},
      {d + "file", d + "soft", true},
      {d + "file", d + "other", false},
      {d + "file", d + "future", false},  // one exists, one does not
      {d + "future", d + "./future", true},
      {d + "future", d + "sub/../future", true},
      {d + "future", d + "dangling", true},  // creating one creates the other
      {d + "future", d + "sub/future", false},
      {d + "future", d + "missing/../future", false},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(same_file(c.a, c.b), c.same) << c.a << " " << c.b;
  fs::remove_all(dir);
}

TEST(FileIdentityTest, StandardStreamsAreNamedByTheirDescriptors) {
  const struct {
    const char* path;
    std::optional<int> fd;
  } kCases[] = {{"/dev/stdout", 1},
                {"/dev/stderr", 2},
                {"/dev/fd/1", 1},
                {"/proc/self/fd/7", 7},
                {"/dev/fd/", std::nullopt},
                {"/dev/fd/1x", std::nullopt},
                {"/dev/null", std::nullopt},
                {"out.xml", std::nullopt}};
  for (const auto& c : kCases)
    EXPECT_EQ(stream_descriptor(c.path), c.fd) << c.path;
}

}  // namespace
}  // namespace marovel
