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
#include <utility>
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
  std::set<std::string> files = {"share/doc/marovel/README.md",
                                 "share/doc/marovel/copyright",
                                 "share/doc/marovel/changelog.Debian.gz"};
  for (const char* command : kCommands) {
    files.insert(std::string("bin/") + command);
    files.insert(std::string("share/man/man1/") + command + ".1.gz");
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

// The package's version: the top entry of its changelog.
std::string package_version() {
  const std::string changelog = read_file(std::string(MAROVEL_SOURCE_DIR) +
                                          "/packaging/debian/changelog");
  std::smatch top;
  EXPECT_TRUE(
      std::regex_search(changelog, top, std::regex("^marovel \\((.*)\\)")))
      << changelog;
  return top[1];
}

// Packs `build` into `dir` with CPack; returns the package's path, or ""
// after a test failure.
std::string debian_package(const std::string& build, const ScratchDir& dir) {
  const ToolRun run = run_program(
      MAROVEL_CPACK,
      {"-G", "DEB", "--config", build + "/CPackConfig.cmake", "-B", dir.path()},
      dir.path());
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  const std::string architecture =
      run_program("dpkg", {"--print-architecture"}, dir.path()).out;
  const std::string package =
      dir.file("marovel_" + package_version() + "_" +
               architecture.substr(0, architecture.find('\n')) + ".deb");
  EXPECT_TRUE(fs::exists(package)) << run.out;
  return fs::exists(package) ? package : "";
}

// The build the package tests pack: one without sanitizers when there is
// one, since that is what users run.
std::string build_to_pack() {
  const std::string plain = plain_build_dir();
  return plain.empty() ? MAROVEL_BUILD_DIR : plain;
}

bool packaging_tools_found() {
  return on_path("dpkg-deb") && on_path("dpkg-shlibdeps");
}

TEST(PackageTest, DebianPackageHoldsTheInstallAndNamesItsDependencies) {
  if (!packaging_tools_found())
    GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps (dpkg-dev) is not installed";
  ScratchDir dir;
  const std::string package = debian_package(build_to_pack(), dir);
  ASSERT_FALSE(package.empty());

  ToolRun run =
      run_program("dpkg-deb",
                  {"-f", package, "Package", "Version", "Architecture",
                   "Section", "Maintainer", "Depends", "Description"},
                  dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string& fields = run.out;
  const std::string architecture =
      run_program("dpkg", {"--print-architecture"}, dir.path()).out;
  EXPECT_NE(fields.find("Package: marovel\n"), std::string::npos) << fields;
  EXPECT_NE(fields.find("Version: " + package_version() + "\n"),
            std::string::npos);
  EXPECT_EQ(package_version().rfind(std::string(MAROVEL_VERSION) + "-", 0), 0u)
      << "the changelog's top entry is not for " << MAROVEL_VERSION;
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

  // The copyright file is the licence in Debian's machine-readable form.
  run = run_program("dpkg-deb", {"-x", package, dir.file("root")}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string copyright =
      read_file(dir.file("root/usr/share/doc/marovel/copyright"));
  EXPECT_EQ(copyright.rfind("Format: https://www.debian.org/doc/"
                            "packaging-manuals/copyright-format/1.0/\n",
                            0),
            0u)
      << copyright;
  std::istringstream licence(
      read_file(std::string(MAROVEL_SOURCE_DIR) + "/LICENSE"));
  bool in_text = false;
  for (std::string line; std::getline(licence, line);) {
    std::smatch holder;
    if (std::regex_match(line, holder, std::regex("Copyright \\(c\\) (.*)"))) {
      EXPECT_NE(copyright.find("\nCopyright: " + holder[1].str() + "\n"),
                std::string::npos)
          << copyright;
      in_text = true;
    } else if (in_text && !line.empty()) {
      EXPECT_NE(copyright.find("\n " + line + "\n"), std::string::npos) << line;
    }
  }
  EXPECT_TRUE(in_text) << "LICENSE has no copyright line";
  EXPECT_NE(copyright.find("\nLicense: Expat\n"), std::string::npos);
}

// What lintian may still say of the package: a tag and the text it prints
// after it ("" for any). Errors, warnings and hardening findings fail the
// test unless they are listed here; lintian's other notes (information,
// pedantic) are advice and do not.
const std::pair<std::string, std::string> kAcceptedTags[] = {
    // The package is not uploaded to Debian's archive: no bug asks for it.
    {"initial-upload-closes-no-bugs", ""},
    // The companions call read() and readlink() into buffers whose size is
    // known only at run time, which _FORTIFY_SOURCE cannot check, and no
    // other function lintian looks for; marovel itself is fortified.
    {"hardening-no-fortify-functions", "[usr/bin/pnml2net]"},
    {"hardening-no-fortify-functions", "[usr/bin/net2dot]"},
    {"hardening-no-fortify-functions", "[usr/bin/net2pnml]"},
};

bool built_with_debian_flags(const std::string& build) {
  return read_file(build + "/CMakeCache.txt")
             .find("\nMAROVEL_DEBIAN_FLAGS:BOOL=ON\n") != std::string::npos;
}

TEST(PackageTest, LintianFindsNothingToMend) {
  if (!packaging_tools_found() || !on_path("lintian"))
    GTEST_SKIP() << "lintian or dpkg-dev is not installed";
  const std::string build = build_to_pack();
  if (!built_with_debian_flags(build))
    GTEST_SKIP() << build
                 << " is not built with Debian's flags as the package is "
                    "(scripts/package.sh; MAROVEL_DEBIAN_FLAGS=ON)";
  ScratchDir dir;
  const std::string package = debian_package(build, dir);
  ASSERT_FALSE(package.empty());
  const ToolRun run = run_program(
      "lintian", {"-EvI", "--pedantic", "--fail-on", "none", package},
      dir.path());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::regex finding("^([A-Z]): marovel: (\\S+) ?(.*)$");
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::smatch found;
    if (!std::regex_match(line, found, finding)) continue;
    const std::string kind = found[1], tag = found[2], where = found[3];
    if (kind != "E" && kind != "W" && tag.rfind("hardening-", 0) != 0) continue;
    bool accepted = false;
    for (const auto& [allowed, at] : kAcceptedTags)
      accepted |= tag == allowed && (at.empty() || where == at);
    EXPECT_TRUE(accepted) << line;
  }
}

}  // namespace
}  // namespace marovel::testing
