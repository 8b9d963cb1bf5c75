#include "driver/run_summary.h"

#include <cstdio>

#include "base/quoted.h"

namespace marovel {
namespace {

std::string size_text(const NetSize& size) {
  return std::to_string(size.places) + " places, " +
         std::to_string(size.transitions) + " transitions, " +
         std::to_string(size.arcs) + " arcs";
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
    err << "), stopped: ";
    if (report->stopped_at_limit) {
      err << "step limit " << summary.max_steps << " reached";
    } else if (report->applications() == 0) {
      err << "no rule applied at all";
    } else {
      err << "no rule applies any more";
    }
    err << "\n";
  }
  if (summary.left)
    err << "marovel: left: " << size_text(*summary.left) << "\n";
  if (summary.reduction) {
    err << "marovel: largest: ";
    if (const auto& largest = summary.largest) {
      err << (largest->kind == NodeKind::kPlace ? "place " : "transition ")
          << quoted(summary.largest_name) << " stands for " << largest->members
          << (largest->members == 1 ? " input node" : " input nodes") << "\n";
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
