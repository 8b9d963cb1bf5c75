// What `cmake --install` and `cpack -G DEB` make of the build, and the
// manual pages they carry, end to end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/version.h"
#include "tool_runner.h"

namespace marovel::testing {
namespace {

namespace fs = std::filesystem;

const char* const kCommands[] = {"marovel", "pnml2net", "net2dot", "net2pnml"};

bool on_path(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path == nullptr ? "" : path);
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
      return true;
  return false;
}

// Every file an install puts under its prefix.
std::set<std::string> expected_install() {
  std::set<std::string> files = {"share/doc/marovel/README.md"};
  for (const char* command : kCommands) {
    files.insert(std::string("bin/") + command);
    files.insert(std::string("share/man/man1/") + command + ".1");
  }
  for (const char* folder : {"examples", "docs"})
    for (const auto& entry :
         fs::directory_iterator(std::string(MAROVEL_SOURCE_DIR) + "/" + folder))
      files.insert(std::string("share/doc/marovel/") + folder + "/" +
                   entry.path().filename().string());
  return files;
}

std::set<std::string> files_below(const std::string& root) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory())
      files.insert(fs::relative(entry.path(), root).string());
  return files;
}

TEST(InstallTest, CommandsPagesAndDocumentsGoUnderThePrefix) {
  ScratchDir dir;
  const std::string prefix = dir.file("prefix");
  ToolRun run = run_program(
      MAROVEL_CMAKE, {"--install", MAROVEL_BUILD_DIR, "--prefix", prefix},
      dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(files_below(prefix), expected_install());

  // The installed commands run from there.
  for (const char* command : {"pnml2net", "net2dot", "net2pnml"}) {
    run = run_program(prefix + "/bin/" + command, {"--version"}, dir.path());
    EXPECT_EQ(run.status, 0) << command;
    EXPECT_EQ(run.out, std::string(command) + " " + MAROVEL_VERSION + "\n");
  }
  dir.write("chain.xml",
            read_file(std::string(MAROVEL_SOURCE_DIR) + "/examples/chain.xml"));
  run = run_program(prefix + "/bin/marovel", {"chain.xml"}, dir.path());
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_TRUE(fs::exists(dir.file("chain_reduced.xml")));
}

// The usage text a command prints for -h: marovel's parser writes it on
// standard error, the companions on standard output.
std::string usage_of(const std::string& command, const ScratchDir& dir) {
  const std::string binary = std::string(MAROVEL_BUILD_DIR) + "/" + command;
  const ToolRun run = run_program(binary, {"-h"}, dir.path());
  return command == "marovel" ? run.err : run.out;
}

std::string collapse_spaces(const std::string& text) {
  return std::regex_replace(text, std::regex("\\s+"), " ");
}

TEST(ManPageTest, EveryPageRendersWithoutWarningsAndMatchesItsCommand) {
  if (!on_path("man")) GTEST_SKIP() << "man is not installed";
  ScratchDir dir;
  for (const std::string command : kCommands) {
    SCOPED_TRACE(command);
    const std::string page =
        std::string(MAROVEL_SOURCE_DIR) + "/man/" + command + ".1";
    const ToolRun run = run_program(
        "env", {"MANWIDTH=80", "man", "--warnings", "-l", page}, dir.path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::string text = collapse_spaces(run.out);
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS",
                                "EXIT STATUS", "EXAMPLES", "SEE ALSO"})
      EXPECT_NE(text.find(std::string(" ") + section + " "), std::string::npos)
          << section;

    // The synopsis is the command's own usage line, and every option the
    // usage lists has its entry.
    const std::string usage = usage_of(command, dir);
    std::smatch line;
    ASSERT_TRUE(std::regex_search(usage, line, std::regex("Usage: (.*)\n")))
        << usage;
    EXPECT_NE(text.find(" " + line[1].str() + " "), std::string::npos)
        << line[1];
    const std::regex option("\n +(-[-a-z]+)(, (--[a-z]+))?");
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
         it != std::sregex_iterator(); ++it)
      for (const int group : {1, 3}) {
        if (!(*it)[group].matched) continue;
        EXPECT_NE(text.find(" " + (*it)[group].str()), std::string::npos)
            << (*it)[group];
      }
  }
}

TEST(PackageTest, DebianPackageHoldsTheInstallAndNamesItsDependencies) {
  if (!on_path("dpkg-deb") || !on_path("dpkg-shlibdeps"))
    GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps (dpkg-dev) is not installed";
  ScratchDir dir;
  ToolRun run = run_program(
      MAROVEL_CPACK,
      {"-G", "DEB", "--config",
       std::string(MAROVEL_BUILD_DIR) + "/CPackConfig.cmake", "-B", dir.path()},
      dir.path());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::string architecture =
      run_program("dpkg", {"--print-architecture"}, dir.path()).out;
  const std::string package =
      dir.file(std::string("marovel_") + MAROVEL_VERSION + "_" +
               architecture.substr(0, architecture.find('\n')) + ".deb");
  ASSERT_TRUE(fs::exists(package)) << run.out;

  run = run_program("dpkg-deb",
                    {"-f", package, "Package", "Version", "Architecture",
                     "Section", "Maintainer", "Depends", "Description"},
                    dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string& fields = run.out;
  EXPECT_NE(fields.find("Package: marovel\n"), std::string::npos) << fields;
  EXPECT_NE(fields.find(std::string("Version: ") + MAROVEL_VERSION + "\n"),
            std::string::npos);
  EXPECT_NE(fields.find("Architecture: " + architecture), std::string::npos);
  EXPECT_NE(fields.find("Section: science\n"), std::string::npos);
  EXPECT_TRUE(std::regex_search(fields, std::regex("Maintainer: .+<.+@.+>")));
  EXPECT_TRUE(std::regex_search(fields, std::regex("Description: .+\n .+")));
  std::smatch depends;
  ASSERT_TRUE(
      std::regex_search(fields, depends, std::regex("Depends: (.*)\n")));
  for (const char* library :
       {"libc6 ", "libstdc++6 ", "libexpat1 ", "libwxbase3"})
    EXPECT_NE(depends[1].str().find(library), std::string::npos) << library;

  run = run_program("dpkg-deb", {"-c", package}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  std::set<std::string> contents;
  const std::regex entry("\\./usr/(\\S+[^/])\n");
  for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), entry);
       it != std::sregex_iterator(); ++it)
    contents.insert((*it)[1]);
  EXPECT_EQ(contents, expected_install());
}

}  // namespace
}  // namespace marovel::testing
