// Fuzzes a whole run in memory: the first byte selects the rules (bit i
// enables rule A+i); when its bit 6 is set, the second byte picks names to
// keep (see kept_names_of); the rest is the input file. A net that reads
// must stay consistent through the reduction and keep its kept nodes, the
// indexed engine must do exactly what the reference scans do, and a written
// net must read back with the arcs the reduction left.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "model/invariants.h"
#include "model/net_model.h"
#include "reader/net_reader_for_testing.h"
#include "reduce/reducer.h"
#include "reduce/rule_set.h"
#include "writer/net_writer_for_testing.h"
#include "xml/xml_document.h"

namespace marovel {
namespace {

using Arc = std::tuple<bool, std::string, std::string, uint64_t>;

// Every arc as (from a place?, from, to, weight), aborting when the model
// breaks its invariants.
std::vector<Arc> arcs_of(const NetModel& model) {
  if (!is_closed_and_mirrored(model)) std::abort();
  std::vector<Arc> arcs;
  for (const bool from_place : {true, false}) {
    const NodeMap& sources = from_place ? model.p_map : model.t_map;
    for (const auto& [from, node] : sources) {
      for (const auto& [to, weight] : node.out) {
        if (weight == 0) std::abort();
        const NodeMap& targets = from_place ? model.t_map : model.p_map;
        arcs.emplace_back(from_place, model.name(from),
                          model.name(targets.name_of(to)), weight);
      }
    }
  }
  // Large bags walk their names in no particular order.
  std::sort(arcs.begin(), arcs.end());
  return arcs;
}

// The names a keep byte picks: about one in 2 to 9 (its top three bits),
// drawn from a generator seeded with its low five bits.
KeptNames kept_names_of(uint8_t byte, const NetModel& model) {
  std::mt19937_64 draw(byte & 31);
  const unsigned one_in = 2 + (byte >> 5);
  KeptNames kept;
  for (NameId name = 0; name < model.names.size(); ++name)
    if (draw() % one_in == 0) kept.insert(name);
  return kept;
}

// Whether every kept node of `before` is a node of the same kind in
// `after`.
bool kept_survive(const NetModel& before, const NetModel& after,
                  const KeptNames& kept) {
  for (NameId name = 0; name < before.names.size(); ++name) {
    if (!kept.contains(name)) continue;
    if (before.p_map.contains(name) && !after.p_map.contains(name))
      return false;
    if (before.t_map.contains(name) && !after.t_map.contains(name))
      return false;
  }
  return true;
}

// What a run leaves: its log, the net and every aggregate.
std::string outcome(const NetModel& model, const std::string& log) {
  std::string text = log;
  for (const auto& [from_place, from, to, weight] : arcs_of(model))
    text += (from_place ? "P " : "T ") + from + ">" + to + "*" +
            std::to_string(weight) + "\n";
  std::vector<NameId> members;
  for (NameId name = 0; name < model.aggregates.size(); ++name) {
    model.aggregates.members(name, members);
    text += std::to_string(name) + ":";
    for (const NameId member : members) text += " " + std::to_string(member);
    text += "\n";
  }
  return text;
}

// Whether the written file must read back to the same arcs: a name that is
// both a place and a transition changes meaning on the way, and weights past
// the reader's 32-bit range read as 1.
bool round_trips(const NetModel& model, const std::vector<Arc>& arcs) {
  if (arcs.empty()) return false;
  for (const auto& [name, node] : model.p_map)
    if (model.t_map.find(name) != nullptr) return false;
  for (const Arc& arc : arcs)
    if (std::get<3>(arc) > std::numeric_limits<int32_t>::max()) return false;
  return true;
}

}  // namespace
}  // namespace marovel

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marovel;
  if (size == 0) return 0;
  RuleSet rules;
  for (size_t i = 0; i < kRuleCount; ++i) rules.enabled[i] = (data[0] >> i) & 1;
  const bool keeps = (data[0] & 0x40) != 0;
  if (keeps && size < 2) return 0;
  const size_t skipped = keeps ? 2 : 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + skipped,
                               size - skipped);

  XmlDocument input;
  if (!load_xml_string(bytes, input).ok()) return 0;
  NetModel model;
  InputNet read;
  if (!read_net_document(input, model, &read).ok()) return 0;

  const KeptNames kept = keeps ? kept_names_of(data[1], model) : KeptNames{};
  // The scans walk every node per step (rules C and D every pair), so the
  // comparison is kept to nets they get through quickly.
  const NetModel before = model;
  const bool compare = model.names.size() <= 2000;

  std::ostringstream log;
  const ReductionReport report =
      run_reduction(model, {.rules = rules, .log = &log, .keep = kept});
  if (!report.faults.empty() || !kept_survive(before, model, kept))
    std::abort();
  const std::vector<Arc> arcs = arcs_of(model);
  if (compare) {
    NetModel by_scans = before;
    std::ostringstream scans_log;
    const ReductionReport scans = run_reduction_reference(
        by_scans, {.rules = rules, .log = &scans_log, .keep = kept});
    if (scans.applied != report.applied || !scans.faults.empty() ||
        outcome(by_scans, scans_log.str()) != outcome(model, log.str()))
      std::abort();
  }

  // The writer's own scan of the input, as for a changed file, must index
  // the elements the reader's does.
  InputNet scanned;
  scan_for_writing(input, model.names, scanned);
  if (scanned.index.places != read.index.places ||
      scanned.index.transitions != read.index.transitions)
    std::abort();
  std::ostringstream written, out;
  if (!write_reduced_document(read, model, "DATE", out, written).ok()) return 0;
  std::ostringstream rescanned, rescanned_out;
  if (!write_reduced_document(scanned, model, "DATE", rescanned_out, rescanned)
           .ok() ||
      rescanned.str() != written.str())
    std::abort();
  XmlDocument output;
  if (!load_xml_string(written.str(), output).ok()) std::abort();
  if (!round_trips(model, arcs)) return 0;
  NetModel again;
  if (!read_net_document(output, again).ok()) std::abort();
  if (arcs_of(again) != arcs) std::abort();
  return 0;
}
