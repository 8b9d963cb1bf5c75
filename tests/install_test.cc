// What `cmake --install` and `cpack -G DEB` make of the build, and the
// manual pages they carry, end to end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/version.h"
#include "marovel/marovel.h"
#include "tool_runner.h"

namespace marovel::testing {
namespace {

namespace fs = std::filesystem;

const char* const kCommands[] = {"marovel", "pnml2net", "net2dot", "net2pnml",
                                 "net2html"};

bool on_path(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path == nullptr ? "" : path);
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
      return true;
  return false;
}

// A value of `build`'s CMake cache, or "".
std::string cache_value(const std::string& build, const std::string& key) {
  std::smatch value;
  const std::string cache = read_file(build + "/CMakeCache.txt");
  if (!std::regex_search(cache, value,
                         std::regex("\n" + key + ":[A-Z]+=([^\n]*)\n")))
    return "";
  return value[1];
}

// Every file an install of `build` puts under its prefix, by component (and
// Debian package): the commands and their documents, the shared library
// under its SONAME, and what a developer builds with.
std::map<std::string, std::set<std::string>> expected_install(
    const std::string& build) {
  std::map<std::string, std::set<std::string>> files;
  std::set<std::string>& commands = files["marovel"];
  commands = {"share/doc/marovel/README.md", "share/doc/marovel/copyright",
              "share/doc/marovel/changelog.Debian.gz"};
  for (const char* command : kCommands) {
    commands.insert(std::string("bin/") + command);
    commands.insert(std::string("share/man/man1/") + command + ".1.gz");
  }
  const std::string source = MAROVEL_SOURCE_DIR;
  for (const char* folder : {"examples", "docs"})
    for (const auto& entry : fs::directory_iterator(source + "/" + folder))
      if (entry.is_regular_file())
        commands.insert(std::string("share/doc/marovel/") + folder + "/" +
                        entry.path().filename().string());

  const std::string lib = cache_value(build, "CMAKE_INSTALL_LIBDIR");
  const std::string so = lib + "/libmarovel.so";
  const std::string major = std::to_string(MAROVEL_VERSION_MAJOR);
  files["libmarovel" + major] = {
      so + "." + major, so + "." + MAROVEL_VERSION,
      "share/doc/libmarovel" + major + "/copyright",
      "share/doc/libmarovel" + major + "/changelog.Debian.gz"};
  std::string config = cache_value(build, "CMAKE_BUILD_TYPE");
  std::transform(config.begin(), config.end(), config.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  std::set<std::string>& dev = files["libmarovel-dev"];
  dev = {so,
         lib + "/libmarovel.a",
         lib + "/pkgconfig/marovel.pc",
         lib + "/cmake/marovel/marovelConfig.cmake",
         lib + "/cmake/marovel/marovelConfigVersion.cmake",
         lib + "/cmake/marovel/marovelTargets.cmake",
         lib + "/cmake/marovel/marovelTargets-" + config + ".cmake",
         "include/marovel/marovel.h",
         "include/marovel/version.h",
         "share/doc/libmarovel-dev/copyright",
         "share/doc/libmarovel-dev/changelog.Debian.gz"};
  for (const auto& entry : fs::directory_iterator(source + "/examples/embed"))
    dev.insert("share/doc/libmarovel-dev/examples/embed/" +
               entry.path().filename().string());

  // The Python package, in a build that makes it: the module and the
  // package's files as the build holds them.
  if (cache_value(build, "MAROVEL_PYTHON") == "ON") {
    std::set<std::string>& python = files["python3-marovel"];
    python = {"share/doc/python3-marovel/copyright",
              "share/doc/python3-marovel/changelog.Debian.gz"};
    for (const auto& entry : fs::directory_iterator(build + "/python/marovel"))
      if (entry.is_regular_file())
        python.insert("lib/python3/dist-packages/marovel/" +
                      entry.path().filename().string());
  }
  return files;
}

std::set<std::string> all_of(
    const std::map<std::string, std::set<std::string>>& packages) {
  std::set<std::string> files;
  for (const auto& [package, contents] : packages)
    files.insert(contents.begin(), contents.end());
  return files;
}

std::set<std::string> files_below(const std::string& root) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (!entry.is_directory())
      files.insert(entry.path().lexically_relative(root).string());
  return files;
}

TEST(InstallTest, CommandsPagesAndDocumentsGoUnderThePrefix) {
  ScratchDir dir;
  const std::string prefix = dir.file("prefix");
  ToolRun run = run_program(
      MAROVEL_CMAKE, {"--install", MAROVEL_BUILD_DIR, "--prefix", prefix},
      dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(files_below(prefix), all_of(expected_install(MAROVEL_BUILD_DIR)));

  // The installed commands run from there.
  for (const char* command : {"pnml2net", "net2dot", "net2pnml", "net2html"}) {
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

// What examples/embed prints for a net reduced keeping `keep`.
std::string example_output(const std::string& net_file,
                           const std::vector<std::string>& keep) {
  Net net = Net::read(net_file);
  Options options;
  options.keep = keep;
  std::string text = "stopped: " + net.reduce(options).stopped + "\n";
  for (const auto& [node, members] : net.aggregates()) {
    text += node + ":";
    for (const std::string& member : members) text += " " + member;
    text += "\n";
  }
  return text;
}

// The library as another program sees it once installed: a shared library
// that needs no wxWidgets and exports the public API alone, headers that
// include nothing of marovel's inside, and the example, built with the
// CMake package (shared and static) and with pkg-config, reducing a net.
TEST(LibraryInstallTest, TheExampleBuildsAndRunsAgainstAnInstallBothWays) {
  // The sanitizers' runtime would have to come first in the example.
  const std::string build = plain_build_dir();
  if (build.empty()) GTEST_SKIP() << "no build without sanitizers to install";
  for (const char* tool : {"make", "c++", "pkg-config", "ldd", "nm"})
    if (!on_path(tool)) GTEST_SKIP() << tool << " is not installed";
  ScratchDir dir;
  const std::string prefix = dir.file("prefix");
  ToolRun run = run_program(
      MAROVEL_CMAKE, {"--install", build, "--prefix", prefix}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string lib =
      prefix + "/" + cache_value(build, "CMAKE_INSTALL_LIBDIR");

  run = run_program("ldd", {lib + "/libmarovel.so"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("libexpat"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("libwx"), std::string::npos) << run.out;
  run = run_program("nm", {"-DC", "--defined-only", lib + "/libmarovel.so"},
                    dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::regex exported(
      "[0-9a-f]+ [A-Za-z] ((typeinfo (name )?|vtable )for )?marovel::"
      "(Net|Error|version)\\b.*");
  std::istringstream symbols(run.out);
  for (std::string line; std::getline(symbols, line);)
    EXPECT_TRUE(std::regex_match(line, exported)) << line;
  for (const auto& header :
       fs::directory_iterator(prefix + "/include/marovel")) {
    std::istringstream lines(read_file(header.path()));
    for (std::string line; std::getline(lines, line);)
      if (line.starts_with("#include"))
        EXPECT_TRUE(std::regex_match(
            line, std::regex("#include (<[a-z_]+>|\"marovel/[a-z_]+\\.h\")")))
            << header.path() << ": " << line;
  }

  const std::string source = std::string(MAROVEL_SOURCE_DIR) + "/examples";
  fs::copy(source + "/embed", dir.file("embed"));
  dir.write("chain.xml", read_file(source + "/chain.xml"));
  const std::vector<std::string> keep = {"p_checked", "p_lamp"};
  const std::string expected = example_output(dir.file("chain.xml"), keep);
  ASSERT_NE(expected.find("\np_lamp: p_lamp\n"), std::string::npos) << expected;
  // Each way builds its own copy; each writes the PNML Net writes.
  struct Way {
    std::string name;
    std::vector<std::vector<std::string>> commands;  // in embed-NAME/
    std::string binary;
  };
  const std::string cmake = MAROVEL_CMAKE;
  const std::vector<Way> ways = {
      {"cmake",
       {{cmake, "-S", ".", "-B", "out", "-DCMAKE_PREFIX_PATH=" + prefix},
        {cmake, "--build", "out"}},
       "out/reduce_keeping"},
      {"static",
       {{cmake, "-S", ".", "-B", "out", "-DCMAKE_PREFIX_PATH=" + prefix,
         "-DREDUCE_KEEPING_STATIC=ON"},
        {cmake, "--build", "out"}},
       "out/reduce_keeping"},
      {"pkg-config",
       {{"env", "PKG_CONFIG_PATH=" + lib + "/pkgconfig", "make"}},
       "reduce_keeping"},
  };
  Net reference = Net::read(dir.file("chain.xml"));
  Options options;
  options.keep = keep;
  reference.reduce(options);
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    const std::string folder = dir.file("embed-" + way.name);
    fs::copy(dir.file("embed"), folder);
    for (const std::vector<std::string>& command : way.commands) {
      run =
          run_program(command[0], {command.begin() + 1, command.end()}, folder);
      ASSERT_EQ(run.status, 0) << run.out << run.err;
    }
    // The pkg-config build finds the shared library through the loader's
    // path; CMake's records where it is.
    run = run_program("env",
                      {"LD_LIBRARY_PATH=" + lib, folder + "/" + way.binary,
                       dir.file("chain.xml"), "out.pnml", keep[0], keep[1]},
                      folder);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(read_file(folder + "/out.pnml"), reference.to_pnml("out"));
  }
  // A fault comes back as an Error with its message.
  run = run_program(dir.file("embed-cmake/out/reduce_keeping"),
                    {dir.file("missing.xml"), "out.pnml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("reduce_keeping: Can't open input file (", 0), 0u)
      << run.err;
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

// Packs `build` into `dir` with CPack; returns each package's path by its
// name (a package not made is missing, after a test failure).
std::map<std::string, std::string> debian_packages(const std::string& build,
                                                   const ScratchDir& dir) {
  const ToolRun run = run_program(
      MAROVEL_CPACK,
      {"-G", "DEB", "--config", build + "/CPackConfig.cmake", "-B", dir.path()},
      dir.path());
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  std::string architecture =
      run_program("dpkg", {"--print-architecture"}, dir.path()).out;
  architecture = architecture.substr(0, architecture.find('\n'));
  std::map<std::string, std::string> packages;
  for (const auto& [name, files] : expected_install(build)) {
    const std::string package =
        dir.file(name + "_" + package_version() + "_" + architecture + ".deb");
    EXPECT_TRUE(fs::exists(package)) << package << "\n" << run.out;
    if (fs::exists(package)) packages[name] = package;
  }
  return packages;
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

TEST(PackageTest, DebianPackagesHoldTheInstallAndNameTheirDependencies) {
  if (!packaging_tools_found())
    GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps (dpkg-dev) is not installed";
  ScratchDir dir;
  const std::string build = build_to_pack();
  const auto packages = debian_packages(build, dir);
  const auto expected = expected_install(build);
  ASSERT_EQ(packages.size(), expected.size());
  const std::string runtime =
      "libmarovel" + std::to_string(MAROVEL_VERSION_MAJOR);
  EXPECT_EQ(package_version().rfind(std::string(MAROVEL_VERSION) + "-", 0), 0u)
      << "the changelog's top entry is not for " << MAROVEL_VERSION;
  std::string architecture =
      run_program("dpkg", {"--print-architecture"}, dir.path()).out;

  // Each package's fields: its section, and the libraries its binaries
  // are linked with or the package it builds on.
  struct Fields {
    const char* section;
    std::vector<std::string> depends;
  };
  const std::map<std::string, Fields> fields_of = {
      {"marovel",
       {"science",
        {"libc6 ", "libstdc++6 ", "libexpat1 ", "libwxbase3", "libgvc6",
         "libcgraph6"}}},
      {runtime, {"libs", {"libc6 ", "libstdc++6 ", "libexpat1 "}}},
      {"libmarovel-dev",
       {"libdevel", {runtime + " (= " + package_version() + ")"}}},
      {"python3-marovel",
       {"python", {"libc6 ", "libstdc++6 ", "libexpat1 ", "python3 (>= "}}},
  };
  for (const auto& [name, package] : packages) {
    SCOPED_TRACE(name);
    ToolRun run =
        run_program("dpkg-deb",
                    {"-f", package, "Package", "Version", "Architecture",
                     "Section", "Maintainer", "Depends", "Description"},
                    dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string& fields = run.out;
    EXPECT_NE(fields.find("Package: " + name + "\n"), std::string::npos)
        << fields;
    EXPECT_NE(fields.find("Version: " + package_version() + "\n"),
              std::string::npos);
    EXPECT_NE(fields.find("Architecture: " + architecture), std::string::npos);
    EXPECT_NE(fields.find(std::string("Section: ") +
                          fields_of.at(name).section + "\n"),
              std::string::npos);
    EXPECT_TRUE(std::regex_search(fields, std::regex("Maintainer: .+<.+@.+>")));
    EXPECT_TRUE(std::regex_search(fields, std::regex("Description: .+\n .+")));
    std::smatch depends;
    ASSERT_TRUE(
        std::regex_search(fields, depends, std::regex("Depends: (.*)\n")));
    for (const std::string& needed : fields_of.at(name).depends)
      EXPECT_NE(depends[1].str().find(needed), std::string::npos) << needed;
    // The library's own package needs no wxWidgets, nor Graphviz.
    if (name != "marovel") {
      EXPECT_EQ(depends[1].str().find("libwx"), std::string::npos);
      EXPECT_EQ(depends[1].str().find("libgvc"), std::string::npos);
    }

    run = run_program("dpkg-deb", {"-c", package}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    std::set<std::string> contents;
    const std::regex entry("\\./usr/(\\S+[^/])( -> \\S+)?\n");
    for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), entry);
         it != std::sregex_iterator(); ++it)
      contents.insert((*it)[1]);
    EXPECT_EQ(contents, expected.at(name));
  }

  // The shared library's package says which package provides its SONAME.
  ToolRun run = run_program(
      "dpkg-deb", {"-e", packages.at(runtime), dir.file("ctrl")}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(read_file(dir.file("ctrl/shlibs")),
            "libmarovel " + std::to_string(MAROVEL_VERSION_MAJOR) + " " +
                runtime + " (>= " + package_version() + ")\n");

  const std::string& package = packages.at("marovel");
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

// What lintian may still say of the packages: a tag and the text it prints
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
    {"hardening-no-fortify-functions", "[usr/bin/net2html]"},
    // The shared library holds their code and marovel's reduction, not its
    // command line.
    {"hardening-no-fortify-functions", "[usr/lib/*/libmarovel.so.*]"},
    {"hardening-no-fortify-functions",
     "[usr/lib/python3/dist-packages/marovel/_marovel.*.so]"},
};

// Whether lintian's `where` is the accepted `at`, in which a "*" stands for
// any text without a "/" (the architecture's folder, the version).
bool found_at(const std::string& where, const std::string& at) {
  std::string pattern;
  for (const char c : at) {
    if (c == '*') {
      pattern += "[^/]*";
    } else {
      if (std::string("[]().\\^$|?+{}").find(c) != std::string::npos)
        pattern += '\\';
      pattern += c;
    }
  }
  return std::regex_match(where, std::regex(pattern));
}

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
  const auto packages = debian_packages(build, dir);
  ASSERT_EQ(packages.size(), expected_install(build).size());
  std::vector<std::string> args = {"-EvI", "--pedantic", "--fail-on", "none"};
  for (const auto& [name, package] : packages) args.push_back(package);
  const ToolRun run = run_program("lintian", args, dir.path());
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  const std::regex finding("^([A-Z]): ([-a-z0-9]+): (\\S+) ?(.*)$");
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    std::smatch found;
    if (!std::regex_match(line, found, finding)) continue;
    const std::string kind = found[1], tag = found[3], where = found[4];
    if (kind != "E" && kind != "W" && tag.rfind("hardening-", 0) != 0) continue;
    bool accepted = false;
    for (const auto& [allowed, at] : kAcceptedTags)
      accepted |= tag == allowed && (at.empty() || found_at(where, at));
    EXPECT_TRUE(accepted) << line;
  }
}

}  // namespace
}  // namespace marovel::testing
