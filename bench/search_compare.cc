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
#include "reader/net_reader.h"
#include "reduce/match_index.h"
#include "reduce/reduction_log.h"
#include "reduce/rule_table.h"
#include "reduce/step_footprint.h"

namespace {

using namespace marovel;
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One step with all rules enabled: `find(rule)` gives each rule's match in
// priority order and is timed; `apply(rule, match, timed)` applies it and
// is not, but for the index's own upkeep, which it adds to `timed`.
// Returns false when nothing matched.
template <typename Finder, typename Applier>
bool step(Finder& find, Applier& apply, double& timed) {
  const Clock::time_point start = Clock::now();
  const bool applied = until_a_rule([&](auto rule) {
    auto match = find(rule);
    if (!match) return false;
    timed += since(start);
    apply(rule, *match, timed);
    return true;
  });
  if (!applied) timed += since(start);
  return applied;
}

// Applies a match of rule R and appends its log line.
template <typename R>
void rewrite(NetModel& model, const typename R::Match& match, FusionMoves moves,
             std::string& log) {
  if (!R::apply(model, match, moves)) return;
  log += log_line(Application{kRuleOf<R>, R::names(match)}, model.names);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: search_compare NET_FILE\n";
    return 2;
  }
  NetModel net;
  InputNet input;
  if (const Status status = read_net(argv[1], net, input); !status.ok()) {
    std::cerr << status.message();
    return 1;
  }

  NetModel reference_model = net;
  std::string reference_log;
  auto reference_find = [&](auto rule) {
    using R = typename decltype(rule)::type;
    return scan<R>(reference_model, KeptNames{});
  };
  auto reference_apply = [&](auto rule, const auto& match, double&) {
    using R = typename decltype(rule)::type;
    rewrite<R>(reference_model, match, FusionMoves::kRemovedIntoKept,
               reference_log);
  };
  double reference = 0;
  long steps = 0;
  while (reference < 2.0 && step(reference_find, reference_apply, reference))
    ++steps;

  NetModel indexed_model = net;
  std::string indexed_log;
  const Clock::time_point build_start = Clock::now();
  const KeptNames none;
  MatchIndex index(indexed_model, RuleSet::all(), none);
  const double build = since(build_start);
  auto indexed_find = [&](auto rule) {
    using R = typename decltype(rule)::type;
    return index.find<R>();
  };
  StepFootprint footprint;
  auto indexed_apply = [&](auto rule, const auto& match, double& timed) {
    using R = typename decltype(rule)::type;
    const Clock::time_point start = Clock::now();
    footprint.clear();
    record_footprint<R>(indexed_model, match, footprint);
    index.before_step(footprint);
    timed += since(start);
    rewrite<R>(indexed_model, match, FusionMoves::kSmallerIntoLarger,
               indexed_log);
    const Clock::time_point after = Clock::now();
    index.after_step(footprint);
    timed += since(after);
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
