#include "driver/run_summary.h"

#include <cstdio>

#include "base/counted.h"
#include "base/quoted.h"

namespace marovel {
namespace {

std::string size_text(const NetSize& size) {
  return counted(size.places, "place") + ", " +
         counted(size.transitions, "transition") + ", " +
         counted(size.arcs, "arc");
}

std::string seconds_text(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", seconds);
  return text;
}

}  // namespace

void print_run_summary(const RunSummary& summary, std::ostream& err) {
  if (summary.input)
    err << "marovel: input: " << size_text(*summary.input) << "\n";
  if (const auto& report = summary.reduction) {
    err << "marovel: steps: " << report->applications() << " (";
    for (size_t k = 0; k < kRuleCount; ++k)
      err << (k == 0 ? "" : ", ") << rule_letter(Rule{k}) << " "
          << report->applied[k];
    err << "), stopped: " << stopped_text(*report, summary.max_steps) << "\n";
  }
  if (summary.left)
    err << "marovel: left: " << size_text(*summary.left) << "\n";
  if (summary.reduction) {
    err << "marovel: largest: ";
    if (const auto& largest = summary.largest) {
      err << (largest->kind == NodeKind::kPlace ? "place " : "transition ")
          << quoted(summary.largest_name) << " stands for "
          << counted(largest->members, "input node") << "\n";
    } else {
      err << "no node left\n";
    }
  }
  err << "marovel: time:";
  const char* separator = " ";
  for (const auto& [phase, seconds] : {std::pair{"read", summary.read_seconds},
                                       {"reduce", summary.reduce_seconds},
                                       {"write", summary.write_seconds}}) {
    if (!seconds) continue;
    err << separator << phase << " " << seconds_text(*seconds);
    separator = ", ";
  }
  err << "\n";
  err << "marovel: output: "
      << (summary.output ? *summary.output : std::string("none written"))
      << "\n";
}

}  // namespace marovel
