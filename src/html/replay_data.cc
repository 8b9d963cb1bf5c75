#include "html/replay_data.h"

#include <algorithm>
#include <cassert>
#include <tuple>

namespace marovel {

ReplayRecorder::ReplayRecorder(const Net& input) {
  for (const std::string& place : input.places()) {
    places_.emplace(place, static_cast<uint32_t>(data_.names.size()));
    data_.names.push_back(place);
  }
  data_.place_count = data_.names.size();
  for (const std::string& transition : input.transitions()) {
    transitions_.emplace(transition, static_cast<uint32_t>(data_.names.size()));
    data_.names.push_back(transition);
  }
  // Net::arcs() lists the arcs that leave places, then those that leave
  // transitions, each part in (source, target) order: the first arc that
  // cannot leave a place, or that does not come after the one before it,
  // starts the second part.
  bool from_place = true;
  const Arc* last = nullptr;
  uint32_t from = 0;
  for (const Arc& arc : input.arcs()) {
    if (from_place &&
        (!places_.contains(arc.source) || !transitions_.contains(arc.target) ||
         (last != nullptr && std::tie(arc.source, arc.target) <=
                                 std::tie(last->source, last->target))))
      from_place = false;
    // The arcs of one source come together.
    if (last == nullptr || arc.source != last->source ||
        from_place != (from < data_.place_count))
      from = node(arc.source, from_place);
    data_.arcs.push_back({from, node(arc.target, !from_place), arc.weight});
    last = &arc;
  }
  data_.input_arc_count = data_.arcs.size();
  input_removed_.assign(data_.arcs.size(), false);
}

uint32_t ReplayRecorder::node(const std::string& name, bool place) const {
  const auto& map = place ? places_ : transitions_;
  const auto found = map.find(name);
  assert(found != map.end());
  return found->second;
}

uint32_t ReplayRecorder::arc(const Arc& arc, bool from_place) const {
  const uint32_t from = node(arc.source, from_place);
  const uint32_t to = node(arc.target, !from_place);
  if (const auto added = added_.find(key(from, to)); added != added_.end())
    return added->second;
  const auto end = data_.arcs.begin() + data_.input_arc_count;
  const auto found = std::lower_bound(
      data_.arcs.begin(), end, std::pair{from, to},
      [](const ReplayArc& a, const std::pair<uint32_t, uint32_t>& ends) {
        return std::pair{a.from, a.to} < ends;
      });
  assert(found != end && found->from == from && found->to == to &&
         !input_removed_[found - data_.arcs.begin()]);
  return static_cast<uint32_t>(found - data_.arcs.begin());
}

void ReplayRecorder::append(uint32_t from, uint32_t to, uint64_t weight) {
  added_[key(from, to)] = static_cast<uint32_t>(data_.arcs.size());
  data_.arcs.push_back({from, to, weight});
}

void ReplayRecorder::add(const Step& step) {
  const StepChanges& changes = step.changes;
  ReplayStep row;
  row.rule = step.rule;
  for (const std::string& name : changes.erased_places)
    row.erased.push_back(node(name, true));
  for (const std::string& name : changes.erased_transitions)
    row.erased.push_back(node(name, false));
  row.absorber = node(changes.absorber, changes.absorber_is_place);
  // A log name is one of the nodes the step erased or its absorber; a
  // name borne by a place and a transition is taken as the one of these.
  for (const std::string& name : step.names) {
    uint32_t id = UINT32_MAX;
    for (const uint32_t candidate : row.erased)
      if (data_.names[candidate] == name) id = candidate;
    if (id == UINT32_MAX) {
      const auto place = places_.find(name);
      id = data_.names[row.absorber] == name ? row.absorber
           : place != places_.end()          ? place->second
                                             : node(name, false);
    }
    row.names.push_back(id);
  }
  for (const Arc& removed : changes.removed_from_places)
    row.removed.push_back(arc(removed, true));
  for (const Arc& removed : changes.removed_from_transitions)
    row.removed.push_back(arc(removed, false));
  for (const uint32_t id : row.removed) {
    if (id < data_.input_arc_count)
      input_removed_[id] = true;
    else
      added_.erase(key(data_.arcs[id].from, data_.arcs[id].to));
  }
  const size_t before = data_.arcs.size();
  for (const Arc& added : changes.added_from_places)
    append(node(added.source, true), node(added.target, false), added.weight);
  for (const Arc& added : changes.added_from_transitions)
    append(node(added.source, false), node(added.target, true), added.weight);
  row.added = static_cast<uint32_t>(data_.arcs.size() - before);
  data_.steps.push_back(std::move(row));
}

ReplayData record_reduction(Net& net, Options options) {
  ReplayRecorder recorder(net);
  options.record_changes = true;
  options.on_step = [&](const Step& step) { recorder.add(step); };
  ReplayData& data = recorder.data();
  data.report = net.reduce(options);
  // aggregates() lists the places first.
  const size_t places = net.place_count();
  size_t index = 0;
  for (const auto& [name, members] : net.aggregates()) {
    if (members.size() > data.largest_size) {
      data.largest = name;
      data.largest_size = members.size();
      data.largest_is_place = index < places;
    }
    ++index;
  }
  return std::move(data);
}

}  // namespace marovel
