// A Net read back as data, and reduced.
#include <cassert>
#include <utility>

#include "base/quoted.h"
#include "library/errors.h"
#include "library/net_impl.h"
#include "library/step_changes.h"
#include "marovel/marovel.h"
#include "reduce/kept_names.h"
#include "reduce/reducer.h"
#include "reduce/rule_set.h"

namespace marovel {
namespace {

std::vector<std::string> names_of(const NetModel& model, NodeKind kind) {
  std::vector<std::string> names;
  names.reserve(model.nodes(kind).size());
  for (const auto& [name, node] : model.nodes(kind))
    names.emplace_back(model.name(name));
  return names;
}

std::vector<std::string> strings_of(const NetModel& model,
                                    const std::vector<NameId>& ids) {
  std::vector<std::string> names;
  names.reserve(ids.size());
  for (const NameId id : ids) names.emplace_back(model.name(id));
  return names;
}

// The id of a place or transition of the net, or an Error that says which
// name is none, in `message`'s words.
NameId node_id(const NetModel& model, const std::string& name,
               const char* message) {
  const std::optional<NameId> id = model.names.find(name);
  if (!id || !(model.p_map.contains(*id) || model.t_map.contains(*id)))
    throw Error(Error::Code::kInvalidArgument, message,
                quoted(name) + " is no place or transition of the net");
  return *id;
}

// Passes the reduction's applications on to the caller's functions.
class CallerObserver final : public StepObserver {
 public:
  explicit CallerObserver(const Options& options) : options_(options) {}

  bool wants_before() const override {
    return options_.record_changes && options_.on_step;
  }
  void before(const PendingApplication& pending,
              const NetModel& model) override {
    recorder_.before(pending, model);
  }
  void applied(const Application& application, const NetModel& model) override {
    if (!options_.on_step) return;
    Step step{rule_letter(application.rule), {}, {}};
    for (const NameId name : application.names.names())
      step.names.emplace_back(model.name(name));
    if (options_.record_changes) recorder_.after(model, step.changes);
    options_.on_step(step);
  }
  void progress(uint64_t applications) override {
    if (options_.on_progress)
      options_.on_progress(static_cast<int64_t>(applications));
  }

 private:
  const Options& options_;
  ChangeRecorder recorder_;
};

}  // namespace

Net::Net(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Net::Net(Net&&) noexcept = default;
Net& Net::operator=(Net&&) noexcept = default;
Net::~Net() = default;

std::vector<std::string> Net::places() const {
  return names_of(impl_->model, NodeKind::kPlace);
}

std::vector<std::string> Net::transitions() const {
  return names_of(impl_->model, NodeKind::kTransition);
}

std::vector<Arc> Net::arcs() const {
  const NetModel& model = impl_->model;
  std::vector<Arc> arcs;
  arcs.reserve(arc_count());
  std::vector<NamedNeighbour> targets;
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
    const NodeMap& others = model.nodes(other_kind(kind));
    for (const auto& [from, node] : model.nodes(kind)) {
      named_entries(node.out, others, targets);
      for (const auto& [to, weight] : targets)
        arcs.push_back({std::string(model.name(from)),
                        std::string(model.name(to)), weight});
    }
  }
  return arcs;
}

std::vector<IndexedArc> Net::indexed_arcs() const {
  const NetModel& model = impl_->model;
  // Each node's position, by kind and name id: the nodes of a kind come in
  // name order, as places() and transitions() list them.
  std::vector<size_t> position[2];
  size_t next = 0;
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
    std::vector<size_t>& of_kind = position[static_cast<int>(kind)];
    of_kind.resize(model.names.size());
    for (const auto& [name, node] : model.nodes(kind)) of_kind[name] = next++;
  }
  std::vector<IndexedArc> arcs;
  arcs.reserve(arc_count());
  std::vector<NamedNeighbour> targets;
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
    const NodeKind other = other_kind(kind);
    const std::vector<size_t>& from = position[static_cast<int>(kind)];
    const std::vector<size_t>& to = position[static_cast<int>(other)];
    for (const auto& [name, node] : model.nodes(kind)) {
      named_entries(node.out, model.nodes(other), targets);
      for (const auto& [target, weight] : targets)
        arcs.push_back({from[name], to[target], weight});
    }
  }
  return arcs;
}

size_t Net::place_count() const { return impl_->model.p_map.size(); }

size_t Net::transition_count() const { return impl_->model.t_map.size(); }

size_t Net::arc_count() const {
  size_t count = 0;
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition})
    for (const auto& [name, node] : impl_->model.nodes(kind))
      count += node.out.distinct();
  return count;
}

std::vector<std::string> Net::aggregate(const std::string& node) const {
  const NetModel& model = impl_->model;
  return strings_of(
      model, model.aggregates.members(node_id(model, node, "Node not found")));
}

std::vector<std::pair<std::string, std::vector<std::string>>> Net::aggregates()
    const {
  const NetModel& model = impl_->model;
  std::vector<std::pair<std::string, std::vector<std::string>>> result;
  result.reserve(model.p_map.size() + model.t_map.size());
  std::vector<NameId> members;
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
    for (const auto& [name, node] : model.nodes(kind)) {
      if (kind == NodeKind::kTransition && model.p_map.contains(name)) continue;
      model.aggregates.members(name, members);
      result.emplace_back(std::string(model.name(name)),
                          strings_of(model, members));
    }
  }
  return result;
}

Report Net::reduce(const Options& options) {
  Impl& impl = *impl_;
  ReductionSettings settings;
  settings.rules = RuleSet::from_letters(options.rules);
  settings.max_steps = options.max_steps;
  for (const std::string& name : options.keep)
    settings.keep.insert(node_id(impl.model, name, "Node to keep not found"));
  CallerObserver observer(options);
  if (options.on_step || options.on_progress) settings.observer = &observer;
  settings.known_closed_and_mirrored = impl.closed_and_mirrored;

  const ReductionReport run = run_reduction(impl.model, settings);
  if (!run.faults.empty()) {
    // A model the library reads or builds is sound, and the rules keep it
    // so: this would be a fault of the rules.
    impl.closed_and_mirrored = false;
    throw Error(Error::Code::kInvalidInput,
                message_text(fault_message(run.faults.front())));
  }
  Report report;
  for (size_t index = 0; index < kRuleCount; ++index) {
    const Rule rule{index};
    if (settings.rules[rule])
      report.steps[rule_letter(rule)] =
          static_cast<int64_t>(run.applied[index]);
  }
  report.stopped = stopped_text(run, options.max_steps);
  return report;
}

}  // namespace marovel
