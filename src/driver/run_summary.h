// What `-v` prints at the end of a run, on standard error: a few lines of
// "marovel: key: values" that a person reads at a glance and a script can
// pick apart.
#ifndef MAROVEL_DRIVER_RUN_SUMMARY_H_
#define MAROVEL_DRIVER_RUN_SUMMARY_H_

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "model/net_summary.h"
#include "reduce/reducer.h"

namespace marovel {

struct RunSummary {
  std::optional<NetSize> input;  // once the net was read
  // Once the net was reduced:
  std::optional<ReductionReport> reduction;
  int32_t max_steps = 0;
  std::optional<NetSize> left;
  std::optional<LargestAggregate> largest;
  std::string largest_name;
  // Seconds per phase, for the phases that ran.
  std::optional<double> read_seconds, reduce_seconds, write_seconds;
  std::optional<std::string> output;  // the file written, if one was
};

void print_run_summary(const RunSummary& summary, std::ostream& err);

}  // namespace marovel

#endif  // MAROVEL_DRIVER_RUN_SUMMARY_H_
