// Test helpers for the reduction engine: build a net from a compact arc list,
// print a net and its aggregates in a canonical form, and check the model's
// invariants.
#ifndef MAROVEL_REDUCE_TEST_NET_H_
#define MAROVEL_REDUCE_TEST_NET_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/invariants.h"
#include "model/net_model.h"
#include "reduce/kept_names.h"

namespace marovel::testing {

// Each arc names its place first: "p>t" is an arc from place p to transition
// t, "p<t" one from transition t to place p; "*k" appends a weight. Every
// name gets an aggregate holding itself, as the reader declares them;
// `more_names` joins the name table without arcs (for nodes made by hand).
inline NetModel make_net(const std::vector<std::string_view>& arcs,
                         std::vector<std::string_view> more_names = {}) {
  struct Parsed {
    std::string_view place, transition;
    bool to_transition;
    uint64_t weight;
  };
  std::vector<Parsed> parsed;
  for (std::string_view arc : arcs) {
    const size_t op = arc.find_first_of("<>");
    const size_t star = arc.find('*');
    if (op == std::string_view::npos) {
      ADD_FAILURE() << "not an arc: " << arc;
      continue;
    }
    parsed.push_back({arc.substr(0, op), arc.substr(op + 1, star - op - 1),
                      arc[op] == '>',
                      star == std::string_view::npos
                          ? 1
                          : std::stoull(std::string(arc.substr(star + 1)))});
    more_names.push_back(parsed.back().place);
    more_names.push_back(parsed.back().transition);
  }
  NetModel model{NameTable(more_names)};
  for (const Parsed& arc : parsed) {
    const NameId p = model.id(arc.place);
    const NameId t = model.id(arc.transition);
    const NodeId p_id = model.p_map.id_of(p), t_id = model.t_map.id_of(t);
    if (arc.to_transition) {
      model.p_map.at(p).out.insert(t_id, arc.weight);
      model.t_map.at(t).in.insert(p_id, arc.weight);
    } else {
      model.t_map.at(t).out.insert(p_id, arc.weight);
      model.p_map.at(p).in.insert(t_id, arc.weight);
    }
  }
  return model;
}

// "places[p1 p2] transitions[t1] arcs[p1>t1 p2<t1*2]", arcs as make_net
// takes them, read from the places' side in name order, outputs first.
inline std::string dump_net(const NetModel& model) {
  std::string places, transitions, arcs;
  auto add = [](std::string& list, std::string_view item) {
    if (!list.empty()) list += ' ';
    list += item;
  };
  for (const auto& [name, node] : model.p_map) {
    add(places, model.name(name));
    for (const auto& [bag, op] : {std::pair{&node.out, '>'}, {&node.in, '<'}}) {
      std::vector<NamedNeighbour> entries;
      named_entries(*bag, model.t_map, entries);
      for (const auto& [neighbour, copies] : entries) {
        std::string arc(model.name(name));
        arc += op;
        arc += model.name(neighbour);
        if (copies != 1) arc += '*' + std::to_string(copies);
        add(arcs, arc);
      }
    }
  }
  for (const auto& [name, node] : model.t_map)
    add(transitions, model.name(name));
  return "places[" + places + "] transitions[" + transitions + "] arcs[" +
         arcs + "]";
}

// The aggregate sets that differ from a node standing for itself alone, as
// "p1{p1 p2 t1} t3{}".
inline std::string dump_aggregates(const NetModel& model) {
  std::string text;
  for (NameId name = 0; name < model.aggregates.size(); ++name) {
    const std::vector<NameId> members = model.aggregates.members(name);
    // Untouched entries, and those of removed nodes (emptied once their
    // members moved to the survivor), say nothing.
    if (members.empty() || (members.size() == 1 && members[0] == name))
      continue;
    if (!text.empty()) text += ' ';
    text.append(model.name(name)) += '{';
    const char* separator = "";
    for (const NameId member : members) {
      text += separator;
      text += model.name(member);
      separator = " ";
    }
    text += '}';
  }
  return text;
}

// The model's invariants (model/invariants.h) as a test assertion.
inline ::testing::AssertionResult mirrored_and_closed(const NetModel& model) {
  if (const auto broken = find_broken_invariant(model))
    return ::testing::AssertionFailure() << *broken;
  return ::testing::AssertionSuccess();
}

// Whether every node `kept` names in `before` is still a node of its kind in
// `after`.
inline ::testing::AssertionResult kept_survive(const NetModel& before,
                                               const NetModel& after,
                                               const KeptNames& kept) {
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition})
    for (const auto& [name, node] : before.nodes(kind))
      if (kept.contains(name) && !after.nodes(kind).contains(name))
        return ::testing::AssertionFailure()
               << before.name(name) << " was erased";
  return ::testing::AssertionSuccess();
}

}  // namespace marovel::testing

#endif  // MAROVEL_REDUCE_TEST_NET_H_
