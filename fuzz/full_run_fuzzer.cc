// Fuzzes a whole run in memory: the first byte selects the rules (bit i
// enables rule A+i), the rest is the input file. A net that reads must stay
// consistent through the reduction, and a written net must read back with
// the arcs the reduction left.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "model/net_model.h"
#include "reader/net_reader.h"
#include "reduce/reduction.h"
#include "reduce/rule_set.h"
#include "writer/net_writer.h"
#include "xml/xml_document.h"

namespace marovel {
namespace {

using Arc = std::tuple<bool, std::string, std::string, uint64_t>;

// Every arc as (from a place?, from, to, weight), aborting when the two
// ends of an arc disagree about its weight.
std::vector<Arc> arcs_of(const NetModel& model) {
  std::vector<Arc> arcs;
  for (const bool from_place : {true, false}) {
    const NodeMap& sources = from_place ? model.p_map : model.t_map;
    const NodeMap& targets = from_place ? model.t_map : model.p_map;
    for (const auto& [from, node] : sources) {
      for (const auto& [to, weight] : node.out) {
        const NetNode* target = find_node(targets, to);
        if (weight == 0 || target == nullptr ||
            target->in.count(from) != weight)
          std::abort();
        arcs.emplace_back(from_place, model.name(from), model.name(to), weight);
      }
      for (const auto& [to, weight] : node.in) {
        const NetNode* source = find_node(targets, to);
        if (source == nullptr || source->out.count(from) != weight)
          std::abort();
      }
    }
  }
  return arcs;
}

// Whether the written file must read back to the same arcs: a name that is
// both a place and a transition changes meaning on the way, and weights past
// the reader's 32-bit range read as 1.
bool round_trips(const NetModel& model, const std::vector<Arc>& arcs) {
  if (arcs.empty()) return false;
  for (const auto& [name, node] : model.p_map)
    if (find_node(model.t_map, name) != nullptr) return false;
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
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1,
                               size - 1);

  XmlDocument input;
  std::string error;
  if (!load_xml_string(bytes, input, error)) return 0;
  NetModel model;
  ElementIndex elements;
  std::ostringstream out;
  if (!read_net_document(input, model, out, &elements)) return 0;

  std::ostringstream log;
  run_reduction(model, rules, 2000000, &log, out);
  if (out.str().find("inconsistent") != std::string::npos) std::abort();
  const std::vector<Arc> arcs = arcs_of(model);

  std::ostringstream written;
  if (!write_reduced_document(input, model, "DATE", out, written)) return 0;
  // The reader's element index must pick the elements the writer's own does.
  std::ostringstream reused, reused_out;
  write_reduced_document(input, model, "DATE", reused_out, reused, &elements);
  if (reused.str() != written.str()) std::abort();
  XmlDocument output;
  if (!load_xml_string(written.str(), output, error)) std::abort();
  if (!round_trips(model, arcs)) return 0;
  NetModel again;
  if (!read_net_document(output, again, out)) std::abort();
  if (arcs_of(again) != arcs) std::abort();
  return 0;
}
