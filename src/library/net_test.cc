// The public API on its own terms: nets built in code, the data a net gives
// back, the errors and what they carry, keep and the caller's functions, and
// the state a net is left in by any exception. The agreement with the
// commands is tested end to end in tests/library_agrees_test.cc.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <thread>

#include "bench/net_generator.h"
#include "marovel/marovel.h"
#include "tests/allocation_limit.h"
#include "tests/tool_runner.h"

namespace marovel {
namespace {

using testing::read_file;
using testing::ScratchDir;
using testing::undated;

// A chain p1 > t1 > p2 > t2 > p3 that rule A folds into p1 (2 steps), and a
// place q with two weighted arcs that no rule takes.
Net chain() {
  return Net::from_arcs({"p1", "p2", "p3", "q"}, {"t1", "t2", "u"},
                        {{"p1", "t1"},
                         {"t1", "p2"},
                         {"p2", "t2"},
                         {"t2", "p3"},
                         {"q", "u", 2},
                         {"u", "q", 3}});
}

// The document a file declaring the nodes as from_arcs() does would hold.
std::string file_of(const std::vector<std::string>& places,
                    const std::vector<std::string>& transitions,
                    const std::string& edges) {
  std::string text = "<petrinet><placelist>";
  for (const std::string& p : places)
    text += "<place name=\"" + p + "\"><info>" + p + "</info></place>";
  text += "</placelist><transitionlist>";
  for (const std::string& t : transitions)
    text +=
        "<transition name=\"" + t + "\"><info>" + t + "</info></transition>";
  return text + "</transitionlist><edgelist>" + edges +
         "</edgelist></petrinet>";
}

TEST(NetTest, FromArcsWritesAsItsFileWould) {
  Net built = chain();
  Net read =
      Net::parse(file_of({"p1", "p2", "p3", "q"}, {"t1", "t2", "u"},
                         "<edge from='p1' to='t1'/><edge from='t1' to='p2'/>"
                         "<edge from='p2' to='t2'/><edge from='t2' to='p3'/>"
                         "<edge from='q' to='u' multiplicity='2'/>"
                         "<edge from='u' to='q' multiplicity='3'/>"));
  EXPECT_EQ(undated(built.to_xml()), undated(read.to_xml()));
  const Report report = built.reduce();
  read.reduce();
  EXPECT_EQ(undated(built.to_xml()), undated(read.to_xml()));
  EXPECT_EQ(report.steps,
            (std::map<char, int64_t>{
                {'A', 2}, {'B', 0}, {'C', 0}, {'D', 0}, {'E', 0}, {'F', 0}}));
  EXPECT_EQ(report.stopped, "no rule applies any more");

  EXPECT_EQ(built.places(), (std::vector<std::string>{"p1", "q"}));
  EXPECT_EQ(built.transitions(), (std::vector<std::string>{"u"}));
  EXPECT_EQ(built.arcs(), (std::vector<Arc>{{"q", "u", 2}, {"u", "q", 3}}));
  EXPECT_EQ(built.place_count(), 2u);
  EXPECT_EQ(built.transition_count(), 1u);
  EXPECT_EQ(built.arc_count(), 2u);
  EXPECT_EQ(built.aggregate("p1"),
            (std::vector<std::string>{"p1", "p2", "p3", "t1", "t2"}));
  EXPECT_EQ(built.aggregate("u"), (std::vector<std::string>{"u"}));
  using Entry = std::pair<std::string, std::vector<std::string>>;
  EXPECT_EQ(
      built.aggregates(),
      (std::vector<Entry>{
          {"p1", {"p1", "p2", "p3", "t1", "t2"}}, {"q", {"q"}}, {"u", {"u"}}}));
}

TEST(NetTest, FromArcsTakesAnyNamesAndWeightsInFull) {
  // Names that need escaping come back unchanged; a name may be a place and
  // a transition; arcs of one direction add up, weight 0 adds nothing.
  const std::string odd = "a&b<\"c\">\t\r\n d";
  // From a name that is both, the arc leaves the place, as in a file.
  Net net = Net::from_arcs({odd, "x"}, {"x", "t"},
                           {{odd, "x", 5'000'000'000},
                            {odd, "x", 1},
                            {"x", "t", 0},
                            {"x", "x", 4},
                            {"t", "x", 7}});
  EXPECT_EQ(net.places(), (std::vector<std::string>{odd, "x"}));
  EXPECT_EQ(net.transitions(), (std::vector<std::string>{"t", "x"}));
  EXPECT_EQ(net.arcs(),
            (std::vector<Arc>{
                {odd, "x", 5'000'000'001}, {"x", "x", 4}, {"t", "x", 7}}));
  EXPECT_NE(net.to_xml().find("multiplicity=\"5000000001\""),
            std::string::npos);
  EXPECT_EQ(net.aggregates().size(), 3u);  // "x" once
}

TEST(NetTest, UnsoundNetsInCodeAreRefused) {
  const std::vector<std::string> p = {"p"}, t = {"t"};
  const uint64_t max = ~uint64_t{0};
  struct Case {
    const char* what;
    std::vector<std::string> places, transitions;
    std::vector<Arc> arcs;
    Error::Code code;
    std::string message;
  };
  const Case cases[] = {
      {"no places",
       {},
       t,
       {{"t", "t"}},
       Error::Code::kInvalidArgument,
       "No places found"},
      {"no transitions",
       p,
       {},
       {{"p", "p"}},
       Error::Code::kInvalidArgument,
       "No transitions found"},
      {"no arcs", p, t, {}, Error::Code::kInvalidArgument, "No edges found"},
      {"unknown name",
       p,
       t,
       {{"p", "s"}},
       Error::Code::kInvalidArgument,
       "Wrong edge "},
      {"place to place",
       {"p", "q"},
       t,
       {{"p", "q"}},
       Error::Code::kInvalidArgument,
       "Wrong edge "},
      {"transition to transition",
       p,
       {"t", "s"},
       {{"t", "s"}},
       Error::Code::kInvalidArgument,
       "Wrong edge "},
      {"no XML text",
       {"p\x01"},
       t,
       {{"p\x01", "t"}},
       Error::Code::kInvalidArgument,
       "Can't open input file"},
      {"weights past 64 bits",
       p,
       t,
       {{"p", "t", max}, {"t", "p", 1}},
       Error::Code::kLimit,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      Net::from_arcs(c.places, c.transitions, c.arcs);
      ADD_FAILURE() << "accepted";
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), c.code);
      if (!c.message.empty()) EXPECT_EQ(error.what(), c.message);
    }
  }
  // A weight of 2^64 - 1 alone is held.
  EXPECT_EQ(Net::from_arcs(p, t, {{"p", "t", max}}).arcs().front().weight, max);
}

// Each failure with the code, message, detail and errno a caller needs.
TEST(NetTest, ErrorsSayWhatAndWhy) {
  ScratchDir dir;
  dir.write("broken.xml", "<petrinet><placelist>");
  dir.write("net.pnml", "<pnml><net id='n'/></pnml>");
  const auto error_of = [](const auto& call) -> Error {
    try {
      call();
    } catch (const Error& error) {
      return error;
    }
    ADD_FAILURE() << "no error";
    return Error(Error::Code::kInvalidInput, "");
  };

  Error error = error_of([&] { Net::read(dir.file("missing.xml")); });
  EXPECT_EQ(error.code(), Error::Code::kIoError);
  EXPECT_STREQ(error.what(), "Can't open input file");
  EXPECT_EQ(error.system_error(), ENOENT);
  EXPECT_NE(error.detail().find("missing.xml"), std::string::npos);

  error = error_of([&] { Net::read(dir.path()); });
  EXPECT_EQ(error.system_error(), EISDIR);

  error = error_of([&] { Net::read(dir.file("broken.xml")); });
  EXPECT_EQ(error.code(), Error::Code::kInvalidInput);
  EXPECT_STREQ(error.what(), "Can't open input file");
  EXPECT_EQ(error.detail().rfind("XML parsing error: ", 0), 0u);
  EXPECT_EQ(error.system_error(), 0);

  error = error_of([&] { Net::read(dir.file("net.pnml")); });
  EXPECT_STREQ(error.what(), "Wrong input file");
  EXPECT_NE(error.detail().find("read_pnml"), std::string::npos);

  error = error_of([&] { Net::read_pnml(dir.file("missing.pnml")); });
  EXPECT_EQ(error.system_error(), ENOENT);

  Net net = chain();
  error = error_of([&] { net.write(dir.file("no/such/folder.xml")); });
  EXPECT_EQ(error.code(), Error::Code::kIoError);
  EXPECT_STREQ(error.what(), "Can't write output file");
  EXPECT_EQ(error.system_error(), ENOENT);
  EXPECT_NE(error.detail().find("folder.xml"), std::string::npos);
  error = error_of([&] { net.write_pnml(dir.file("no/such/folder.pnml")); });
  EXPECT_EQ(error.system_error(), ENOENT);

  error = error_of([&] { net.aggregate("nobody"); });
  EXPECT_EQ(error.code(), Error::Code::kInvalidArgument);
  EXPECT_NE(error.detail().find("'nobody'"), std::string::npos);

  // Copies share the detail and throw nothing.
  const Error copy = error;
  EXPECT_EQ(copy.detail(), error.detail());
  static_assert(std::is_nothrow_copy_constructible_v<Error>);
}

TEST(NetTest, TheInputFileIsNeverWrittenOver) {
  ScratchDir dir;
  chain().write(dir.file("net.xml"));
  const std::string before = read_file(dir.file("net.xml"));
  Net net = Net::read(dir.file("net.xml"));
  net.reduce();
  for (const std::string& path :
       {dir.file("net.xml"), dir.path() + "/./net.xml"}) {
    try {
      net.write(path);
      ADD_FAILURE() << "written over " << path;
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), Error::Code::kInvalidArgument);
      EXPECT_STREQ(error.what(), "Output file would overwrite input file");
    }
    EXPECT_THROW(net.write_pnml(path), Error);
  }
  EXPECT_EQ(read_file(dir.file("net.xml")), before);
}

// The writer copies the elements from the file while it holds the bytes
// read, and from the file as it now is once it has changed.
TEST(NetTest, AChangedInputIsReadAgainForItsElements) {
  ScratchDir dir;
  const auto net_file = [](const std::string& info) {
    return "<petrinet><placelist><place name='p'><info>" + info +
           "</info></place></placelist><transitionlist><transition "
           "name='t'/></transitionlist><edgelist><edge from='p' to='t'/>"
           "<edge from='t' to='p' multiplicity='2'/></edgelist></petrinet>";
  };
  dir.write("net.xml", net_file("old"));
  Net net = Net::read(dir.file("net.xml"));
  EXPECT_NE(net.to_xml().find("old"), std::string::npos);
  dir.write("net.xml", net_file("new"));
  EXPECT_NE(net.to_xml().find("new"), std::string::npos);
  std::filesystem::remove(dir.file("net.xml"));
  EXPECT_THROW(net.write(dir.file("out.xml")), Error);
}

TEST(NetTest, KeptNodesSurvive) {
  Net net = chain();
  Options options;
  options.keep = {"p2", "t2"};
  net.reduce(options);
  // Without keep, rule A folds the chain into p1; every match of it, and
  // of B, would erase p2 or t2.
  for (const std::string& kept : options.keep) {
    const std::vector<std::string> places = net.places();
    const std::vector<std::string> transitions = net.transitions();
    EXPECT_TRUE(std::count(places.begin(), places.end(), kept) +
                    std::count(transitions.begin(), transitions.end(), kept) ==
                1)
        << kept;
  }
  // A name the net lacks, even one it absorbed, is refused before anything
  // changes.
  Net reduced = chain();
  reduced.reduce();
  const std::string before = undated(reduced.to_xml());
  for (const char* missing : {"nobody", "p2"}) {
    options.keep = {missing};
    try {
      reduced.reduce(options);
      ADD_FAILURE() << missing;
    } catch (const Error& error) {
      EXPECT_EQ(error.code(), Error::Code::kInvalidArgument);
    }
    EXPECT_EQ(undated(reduced.to_xml()), before);
  }
}

// A net of `nodes` nodes of the chains family, whose reduction takes
// thousands of steps.
Net long_chains(size_t nodes) {
  std::ostringstream text;
  bench::write_net_xml(bench::generate_net(bench::Family::kChains, nodes, 1),
                       text);
  return Net::parse(text.str());
}

// An exception from on_step or on_progress stops the run where it was: the
// net is the one a run limited to that many steps leaves.
TEST(NetTest, CallersStopARunAfterAnyStep) {
  struct Stop {};
  for (const bool progress : {false, true}) {
    SCOPED_TRACE(progress ? "on_progress" : "on_step");
    Net net = long_chains(30000);
    Options options;
    int64_t seen = 0;
    std::vector<int64_t> reports;
    if (progress) {
      options.on_progress = [&](int64_t applied) {
        reports.push_back(applied);
        if (reports.size() == 2) throw Stop();
      };
    } else {
      options.on_step = [&](const Step& step) {
        EXPECT_GE(step.rule, 'A');
        if (++seen == 5) throw Stop();
      };
    }
    EXPECT_THROW(net.reduce(options), Stop);
    const int32_t applied = progress ? 8192 : 5;
    if (progress) EXPECT_EQ(reports, (std::vector<int64_t>{4096, 8192}));
    Net limited = long_chains(30000);
    Options limit;
    limit.max_steps = applied;
    limited.reduce(limit);
    EXPECT_EQ(undated(net.to_xml()), undated(limited.to_xml()));
    // The net goes on from there.
    net.reduce();
    limited.reduce();
    EXPECT_EQ(undated(net.to_xml()), undated(limited.to_xml()));
  }
}

// Out of memory at any allocation of a reduction: std::bad_alloc, and a net
// as one of the run's steps left it (maybe none or all), or empty; usable
// either way.
TEST(NetTest, OutOfMemoryLeavesAValidNet) {
  std::vector<std::string> states;  // after 0, 1, 2... steps
  for (int32_t steps = 0;; ++steps) {
    Net net = chain();
    Options options;
    options.max_steps = steps;
    net.reduce(options);
    states.push_back(undated(net.to_xml()));
    if (steps > 0 && states[steps] == states[steps - 1]) break;
  }
  for (uint64_t successes = 0;; ++successes) {
    SCOPED_TRACE(std::to_string(successes) + " allocations");
    Net net = chain();
    bool threw = false;
    {
      testing::AllocationLimit limit(successes);
      try {
        net.reduce();
      } catch (const std::bad_alloc&) {
        threw = true;
      }
    }
    const std::string now = undated(net.to_xml());
    if (!threw) {
      EXPECT_EQ(now, states.back());
      break;
    }
    if (net.place_count() + net.transition_count() > 0)
      EXPECT_NE(std::find(states.begin(), states.end(), now), states.end())
          << now;
    net.reduce();
  }
}

// Distinct nets in distinct threads at once, on nets large enough for the
// phases that use a second core of their own.
TEST(NetTest, NetsInThreadsAtOnce) {
  std::ostringstream text;
  bench::write_net_xml(bench::generate_net(bench::Family::kRandom, 40000, 5),
                       text);
  const std::string document = text.str();
  Net alone = Net::parse(document);
  alone.reduce();
  const std::string expected = undated(alone.to_xml());
  ScratchDir dir;
  std::string written[2];
  std::vector<std::thread> threads;
  for (int k = 0; k < 2; ++k) {
    threads.emplace_back([&, k] {
      Net net = Net::parse(document);
      net.reduce();
      const std::string path = dir.file("out" + std::to_string(k) + ".xml");
      net.write(path);
      written[k] = read_file(path);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& text : written) EXPECT_EQ(undated(text), expected);
}

TEST(NetTest, VersionIsTheCommandsOwn) {
  EXPECT_EQ(std::string(version()), std::to_string(MAROVEL_VERSION_MAJOR) +
                                        "." +
                                        std::to_string(MAROVEL_VERSION_MINOR));
}

}  // namespace
}  // namespace marovel
