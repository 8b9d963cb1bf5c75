// A reduction as a page replays it: the input net's nodes and arcs by
// integer id, and each step as what the engine recorded it changed. Ids,
// not names, so that the page's data stay a fraction of the input file.
#ifndef MAROVEL_HTML_REPLAY_DATA_H_
#define MAROVEL_HTML_REPLAY_DATA_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "marovel/marovel.h"

namespace marovel {

struct ReplayArc {
  uint32_t from, to;  // node ids
  uint64_t weight;
};

struct ReplayStep {
  char rule;
  std::vector<uint32_t> names;   // the log line's nodes, in its order
  std::vector<uint32_t> erased;  // places first, each in name order
  uint32_t absorber;
  std::vector<uint32_t> removed;  // arc ids
  uint32_t added = 0;  // the arcs appended to ReplayData::arcs by the step
};

struct ReplayData {
  // Node ids: the input's places in name order, then its transitions.
  std::vector<std::string> names;
  size_t place_count = 0;
  // The input's arcs in Net::arcs() order, then those each step adds, in
  // step order: an arc's id is its index.
  std::vector<ReplayArc> arcs;
  size_t input_arc_count = 0;
  std::vector<ReplayStep> steps;
  Report report;
  // What the reduced net's largest survivor stands for.
  std::string largest;
  bool largest_is_place = true;
  size_t largest_size = 0;
};

// Builds the replay as steps arrive from a reduction of `input` that
// records its changes.
class ReplayRecorder {
 public:
  // Reads the nodes and arcs of `input` before its reduction starts.
  explicit ReplayRecorder(const Net& input);

  // REQUIRES: `step` carries its changes (Options::record_changes).
  void add(const Step& step);

  ReplayData& data() { return data_; }

 private:
  uint32_t node(const std::string& name, bool place) const;
  uint64_t key(uint32_t from, uint32_t to) const {
    return (uint64_t{from} << 32) | to;
  }
  uint32_t arc(const Arc& arc, bool from_place) const;
  void append(uint32_t from, uint32_t to, uint64_t weight);

  ReplayData data_;
  std::unordered_map<std::string, uint32_t> places_, transitions_;
  // The input's arcs are found by binary search (Net::arcs() lists them
  // in the order of their ends' ids); those the steps add, in a hash map
  // while they live. A hash map of every arc took a fifth of the run on a
  // net of 700,000 arcs.
  std::vector<bool> input_removed_;
  std::unordered_map<uint64_t, uint32_t> added_;
};

// Reduces `net` with `options` (record_changes and on_step are set here)
// and returns the replay. Throws what Net::reduce() throws.
ReplayData record_reduction(Net& net, Options options);

}  // namespace marovel

#endif  // MAROVEL_HTML_REPLAY_DATA_H_
