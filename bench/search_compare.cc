// Times the match search of the reference scans against the indexed search
// over the same steps of one reduction: search_compare NET_FILE. The
// reference runs until its searches have taken two seconds or nothing
// matches; the index then runs the same number of steps. Only the searches
// (and, for the index, keeping it up to date) are timed, not the
// applications nor building the index. Prints
// "steps reference_seconds indexed_seconds index_build_seconds".
#include <chrono>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "model/net_model.h"
#include "model/step_footprint.h"
#include "reader/net_reader.h"
#include "reduce/match_index.h"
#include "reduce/parallel_rules.h"
#include "reduce/self_loop_rules.h"
#include "reduce/series_rules.h"

namespace {

using namespace marovel;
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One step with all rules enabled: `find` gives each rule's match in
// priority order and is timed; `apply` applies it and is not, but for
// `update`, the index's own upkeep. Returns false when nothing matched.
template <typename Finder, typename Applier>
bool step(Finder& find, Applier& apply, double& timed) {
  const Clock::time_point start = Clock::now();
  if (auto a = find.series_places()) {
    timed += since(start);
    return apply(*a, timed);
  }
  if (auto b = find.series_transitions()) {
    timed += since(start);
    return apply(*b, timed);
  }
  if (auto c = find.parallel_places()) {
    timed += since(start);
    return apply(*c, timed);
  }
  if (auto d = find.parallel_transitions()) {
    timed += since(start);
    return apply(*d, timed);
  }
  if (auto e = find.self_loop_place()) {
    timed += since(start);
    return apply(*e, timed);
  }
  if (auto f = find.self_loop_transition()) {
    timed += since(start);
    return apply(*f, timed);
  }
  timed += since(start);
  return false;
}

void rewrite(NetModel& model, const SeriesPlacesMatch& m, std::string& log) {
  std::ostringstream out, line;
  apply_series_places(model, m, &line, out);
  log += line.str();
}
void rewrite(NetModel& model, const SeriesTransitionsMatch& m,
             std::string& log) {
  std::ostringstream line;
  apply_series_transitions(model, m, &line);
  log += line.str();
}
void rewrite(NetModel& model, const ParallelPlacesMatch& m, std::string& log) {
  std::ostringstream line;
  apply_parallel_places(model, m, &line);
  log += line.str();
}
void rewrite(NetModel& model, const ParallelTransitionsMatch& m,
             std::string& log) {
  std::ostringstream line;
  apply_parallel_transitions(model, m, &line);
  log += line.str();
}
void rewrite(NetModel& model, const SelfLoopPlaceMatch& m, std::string& log) {
  std::ostringstream line;
  apply_self_loop_place(model, m, &line);
  log += line.str();
}
void rewrite(NetModel& model, const SelfLoopTransitionMatch& m,
             std::string& log) {
  std::ostringstream line;
  apply_self_loop_transition(model, m, &line);
  log += line.str();
}

struct ReferenceFinder {
  const NetModel& model;
  auto series_places() { return find_series_places(model); }
  auto series_transitions() { return find_series_transitions(model); }
  auto parallel_places() { return find_parallel_places(model); }
  auto parallel_transitions() { return find_parallel_transitions(model); }
  auto self_loop_place() { return find_self_loop_place(model); }
  auto self_loop_transition() { return find_self_loop_transition(model); }
};

struct IndexFinder {
  MatchIndex& index;
  auto series_places() { return index.find_series_places(); }
  auto series_transitions() { return index.find_series_transitions(); }
  auto parallel_places() { return index.find_parallel_places(); }
  auto parallel_transitions() { return index.find_parallel_transitions(); }
  auto self_loop_place() { return index.find_self_loop_place(); }
  auto self_loop_transition() { return index.find_self_loop_transition(); }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: search_compare NET_FILE\n";
    return 2;
  }
  NetModel net;
  if (!read_net(argv[1], net, std::cerr)) return 1;

  NetModel reference_model = net;
  std::string reference_log;
  ReferenceFinder reference_find{reference_model};
  auto reference_apply = [&](const auto& match, double&) {
    rewrite(reference_model, match, reference_log);
    return true;
  };
  double reference = 0;
  long steps = 0;
  while (reference < 2.0 && step(reference_find, reference_apply, reference))
    ++steps;

  NetModel indexed_model = net;
  std::string indexed_log;
  const Clock::time_point build_start = Clock::now();
  MatchIndex index(indexed_model, RuleSet::all());
  const double build = since(build_start);
  IndexFinder indexed_find{index};
  StepFootprint footprint;
  auto indexed_apply = [&](const auto& match, double& timed) {
    const Clock::time_point start = Clock::now();
    footprint.clear();
    footprint_of(indexed_model, match, footprint);
    index.before_step(footprint);
    timed += since(start);
    rewrite(indexed_model, match, indexed_log);
    const Clock::time_point after = Clock::now();
    index.after_step(footprint);
    timed += since(after);
    return true;
  };
  double indexed = 0;
  for (long k = 0; k < steps; ++k) step(indexed_find, indexed_apply, indexed);

  if (indexed_log != reference_log) {
    std::cerr << "the two searches disagree\n";
    return 1;
  }
  std::cout << steps << " " << reference << " " << indexed << " " << build
            << "\n";
  return 0;
}
