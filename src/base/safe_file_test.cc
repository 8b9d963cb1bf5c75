#include "base/safe_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace marovel {
namespace {

namespace fs = std::filesystem;

class SafeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (fs::temp_directory_path() / "marovel-safe-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  static std::string content(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  size_t entries() const {
    return std::distance(fs::directory_iterator(dir_),
                         fs::directory_iterator());
  }

  std::string dir_;
};

TEST_F(SafeFileTest, NewFileGetsTheUsualPermissions) {
  const mode_t mask = umask(022);
  {
    SafeFile file(path("out.xml"));
    file.stream() << "hello";
    EXPECT_TRUE(file.commit()) << file.error();
  }
  umask(mask);
  EXPECT_EQ(content(path("out.xml")), "hello");
  struct stat st;
  ASSERT_EQ(stat(path("out.xml").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  EXPECT_EQ(entries(), 1u);
}

TEST_F(SafeFileTest, ReplacedFileKeepsPermissionsAndLinksStay) {
  std::ofstream(path("real.xml")) << "old";
  chmod(path("real.xml").c_str(), 0640);
  symlink("real.xml", path("link.xml").c_str());
  SafeFile file(path("link.xml"));
  file.stream() << "new";
  ASSERT_TRUE(file.commit()) << file.error();
  EXPECT_EQ(content(path("real.xml")), "new");
  EXPECT_TRUE(fs::is_symlink(path("link.xml")));
  EXPECT_EQ(
      fs::status(path("real.xml")).permissions(),
      fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(entries(), 2u);
}

TEST_F(SafeFileTest, FailuresLeaveTheTargetAsItWas) {
  std::ofstream(path("out.xml")) << "old";
  {
    SafeFile file(path("out.xml"));
    file.stream() << "partial";
    file.stream().setstate(std::ios::badbit);
    EXPECT_FALSE(file.commit());
  }
  {
    SafeFile file(path("out.xml"));
    file.stream() << "abandoned";
    file.discard();
  }
  {
    SafeFile file(path("out.xml"));
    file.stream() << "dropped by the destructor";
  }
  EXPECT_EQ(content(path("out.xml")), "old");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(SafeFileTest, UnwritablePlacesAreReportedWithTheSystemsReason) {
  fs::create_directory(path("folder"));
  const struct {
    std::string target;
    std::string reason;
  } kCases[] = {
      {path("missing/out.xml"), "No such file or directory"},
      {path("folder"), "Is a directory"},
      {"/dev/full", "No space left on device"},
  };
  for (const auto& c : kCases) {
    SafeFile file(c.target);
    file.stream() << std::string(3 << 20, 'x');
    EXPECT_FALSE(file.commit()) << c.target;
    EXPECT_EQ(file.error(), "cannot write '" + c.target + "': " + c.reason);
  }
  EXPECT_EQ(entries(), 1u);
}

// Both ways of staging the text: a file without a name, and a hidden file
// beside the target where the system has no unnamed files.
TEST_F(SafeFileTest, EitherStagingReplacesTheTargetAndLeavesNothingElse) {
  for (const auto staging :
       {SafeFile::Staging::kUnnamed, SafeFile::Staging::kNamed}) {
    std::ofstream(path("out.xml")) << "old";
    {
      SafeFile file(path("out.xml"), staging);
      file.stream() << "new";
      // Until the commit, the target is as it was.
      EXPECT_EQ(content(path("out.xml")), "old");
      ASSERT_TRUE(file.commit()) << file.error();
    }
    EXPECT_EQ(content(path("out.xml")), "new");
    {
      SafeFile file(path("fresh.xml"), staging);
      file.stream() << "fresh";
      ASSERT_TRUE(file.commit()) << file.error();
    }
    EXPECT_EQ(content(path("fresh.xml")), "fresh");
    EXPECT_EQ(entries(), 2u);
    fs::remove(path("fresh.xml"));
  }
}

// A hidden file is removed when SIGINT, SIGTERM or SIGHUP ends the process,
// which still dies of the signal.
TEST_F(SafeFileTest, SignalsRemoveAHiddenFileBeforeTheProcessEnds) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t child = fork();
    if (child == 0) {
      SafeFile file(path("out.xml"), SafeFile::Staging::kNamed);
      file.stream() << "partial";
      file.stream().flush();
      raise(signal_number);
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number)
        << signal_number;
    EXPECT_EQ(entries(), 0u) << signal_number;
  }
}

TEST_F(SafeFileTest, NonRegularTargetsAreWrittenDirectly) {
  SafeFile file("/dev/null");
  file.stream() << "text";
  EXPECT_TRUE(file.commit()) << file.error();
}

}  // namespace
}  // namespace marovel
