// Nets for benchmarks and differential tests, by family and size, the same
// for the same seed on every platform (the generator draws from
// std::mt19937_64 and maps its numbers itself).
#ifndef MAROVEL_BENCH_NET_GENERATOR_H_
#define MAROVEL_BENCH_NET_GENERATOR_H_

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace marovel::bench {

enum class Family {
  kChains,     // long series chains: rule A (some taken from their far end),
               // and rule B where A is blocked
  kTwins,      // many groups of parallel places and transitions: C, D
  kLoops,      // self-loop places and transitions on a shared core: E, F
  kRandom,     // sparse random net mixing everything
  kHubs,       // a few nodes of very large degree amid chains and twins
  kLateMatch,  // matches named after a long run of near-candidates
  kHubPlaces   // hundreds of hub places among transitions of 9 inputs and 9
               // outputs, and rule A fusing into and between the hubs
};

inline constexpr Family kFamilies[] = {
    Family::kChains, Family::kTwins,     Family::kLoops,    Family::kRandom,
    Family::kHubs,   Family::kLateMatch, Family::kHubPlaces};

inline std::string_view family_name(Family family) {
  switch (family) {
    case Family::kChains:
      return "chains";
    case Family::kTwins:
      return "twins";
    case Family::kLoops:
      return "loops";
    case Family::kRandom:
      return "random";
    case Family::kHubs:
      return "hubs";
    case Family::kLateMatch:
      return "late";
    case Family::kHubPlaces:
      return "hub";
  }
  return "";
}

struct GeneratedArc {
  bool from_place;  // place -> transition, else transition -> place
  uint32_t place;
  uint32_t transition;
  uint32_t weight;
};

// Places and transitions are numbered; `place_names[k]` names place k.
struct GeneratedNet {
  std::vector<std::string> place_names;
  std::vector<std::string> transition_names;
  std::vector<GeneratedArc> arcs;
};

namespace detail {

class Builder {
 public:
  explicit Builder(uint64_t seed) : rng_(seed) {}

  uint64_t below(uint64_t n) { return n == 0 ? 0 : rng_() % n; }
  bool chance(unsigned percent) { return below(100) < percent; }

  uint32_t place(std::string prefix = "p") {
    const auto k = static_cast<uint32_t>(net.place_names.size());
    net.place_names.push_back(prefix + std::to_string(k));
    return k;
  }
  uint32_t transition(std::string prefix = "t") {
    const auto k = static_cast<uint32_t>(net.transition_names.size());
    net.transition_names.push_back(prefix + std::to_string(k));
    return k;
  }
  void pt(uint32_t p, uint32_t t, uint32_t weight = 1) {
    net.arcs.push_back({true, p, t, weight});
  }
  void tp(uint32_t t, uint32_t p, uint32_t weight = 1) {
    net.arcs.push_back({false, p, t, weight});
  }
  size_t nodes() const {
    return net.place_names.size() + net.transition_names.size();
  }

  // p -> t -> p -> ... with `length` transitions, from `start`.
  uint32_t series_places(uint32_t start, size_t length) {
    uint32_t at = start;
    for (size_t k = 0; k < length; ++k) {
      const uint32_t t = transition();
      const uint32_t next = place();
      pt(at, t);
      tp(t, next);
      at = next;
    }
    return at;
  }
  // The same chain, with its transitions named so that rule A takes the
  // link at the far end first: every survivor then takes over the whole
  // aggregate of the one before it.
  uint32_t series_places_from_the_end(uint32_t start, size_t length) {
    std::string chain = padded(net.arcs.size());
    chain.insert(chain.begin(), 'r');
    uint32_t at = start;
    for (size_t k = 0; k < length; ++k) {
      std::string prefix = chain;
      prefix += padded(length - 1 - k);
      prefix += '_';
      const uint32_t t = transition(std::move(prefix));
      const uint32_t next = place();
      pt(at, t);
      tp(t, next);
      at = next;
    }
    return at;
  }
  // t -> p -> t -> ... where every transition also feeds a sink place, so
  // rule A never applies and rule B does, `length` times.
  void series_transitions(size_t length) {
    uint32_t at = transition();
    tp(at, place());
    for (size_t k = 0; k < length; ++k) {
      const uint32_t p = place();
      const uint32_t next = transition();
      tp(at, p);
      pt(p, next);
      tp(next, place());
      at = next;
    }
  }
  // `count` places from r to s, and `count` transitions from q to p, where
  // r, s, q, p have other arcs enough to keep rules A and B out.
  // Places are named prefix + "p" + number, transitions prefix + "t" +
  // number, so no name is both.
  void twins(size_t count, const std::string& prefix = "") {
    const uint32_t r = transition(prefix + "t");
    const uint32_t s = transition(prefix + "t");
    const uint32_t extra_in = place(prefix + "p");
    pt(extra_in, r);
    pt(extra_in, s);
    for (size_t k = 0; k < count; ++k) {
      const uint32_t p = place(prefix + "p");
      tp(r, p);
      pt(p, s);
    }
    const uint32_t q = place(prefix + "p");
    const uint32_t p = place(prefix + "p");
    tp(r, q, 2);
    pt(p, s, 2);
    for (size_t k = 0; k < count; ++k) {
      const uint32_t t = transition(prefix + "t");
      pt(q, t);
      tp(t, p);
    }
  }

  GeneratedNet net;

 private:
  static std::string padded(uint64_t value) {
    std::string digits = std::to_string(value);
    return std::string(digits.size() < 12 ? 12 - digits.size() : 0, '0') +
           digits;
  }

  std::mt19937_64 rng_;
};

inline void chains(Builder& b, size_t nodes) {
  while (b.nodes() < nodes) {
    const size_t length = 1 + b.below(std::min<size_t>(3000, nodes / 4 + 1));
    const unsigned kind = b.below(3);
    if (kind == 0)
      b.series_places(b.place(), length);
    else if (kind == 1)
      b.series_places_from_the_end(b.place(), length);
    else
      b.series_transitions(length);
  }
}

inline void twins(Builder& b, size_t nodes) {
  while (b.nodes() < nodes) b.twins(2 + b.below(40));
}

// A ring of core places and transitions with weight-2 arcs, so that no rule
// takes the ring itself, carrying self-loop places and transitions.
inline void loops(Builder& b, size_t nodes) {
  const size_t core = nodes / 8 + 1;
  std::vector<uint32_t> places, transitions;
  for (size_t k = 0; k < core; ++k) {
    places.push_back(b.place());
    transitions.push_back(b.transition());
  }
  for (size_t k = 0; k < core; ++k) {
    b.pt(places[k], transitions[k], 2);
    b.tp(transitions[k], places[(k + 1) % core], 2);
  }
  while (b.nodes() < nodes) {
    const size_t k = b.below(core);
    if (b.chance(50)) {
      const uint32_t q = b.place();
      b.tp(transitions[k], q);
      b.pt(q, transitions[k]);
    } else {
      const uint32_t t = b.transition();
      b.pt(places[k], t);
      b.tp(t, places[k]);
    }
  }
}

// Every node gets one to three arcs to random nodes of the other kind,
// mostly of weight 1.
inline void random_net(Builder& b, size_t nodes) {
  const size_t places = nodes / 2 + 1, transitions = nodes - nodes / 2 + 1;
  for (size_t k = 0; k < places; ++k) b.place();
  for (size_t k = 0; k < transitions; ++k) b.transition();
  auto weight = [&] { return b.chance(90) ? 1u : 2u; };
  for (uint32_t p = 0; p < places; ++p) {
    b.pt(p, static_cast<uint32_t>(b.below(transitions)), weight());
    if (b.chance(40))
      b.pt(p, static_cast<uint32_t>(b.below(transitions)), weight());
  }
  for (uint32_t t = 0; t < transitions; ++t) {
    b.tp(t, static_cast<uint32_t>(b.below(places)), weight());
    if (b.chance(40)) b.tp(t, static_cast<uint32_t>(b.below(places)), weight());
  }
}

// Two hub transitions fed by and feeding a large share of the places, and
// a hub place, amid chains and twins hanging off them.
inline void hubs(Builder& b, size_t nodes) {
  const uint32_t source = b.transition("hubt");
  const uint32_t sink = b.transition("hubt");
  const uint32_t pool = b.place("hubp");
  b.pt(pool, source, 2);
  b.tp(sink, pool, 2);
  while (b.nodes() < nodes) {
    const uint32_t head = b.place();
    b.tp(source, head);
    const uint32_t tail = b.series_places(head, 1 + b.below(20));
    b.pt(tail, sink);
    if (b.chance(30)) {
      const uint32_t t = b.transition();
      b.pt(pool, t);
      b.tp(t, pool);
    }
    if (b.chance(10)) b.twins(1 + b.below(4));
  }
}

// A long run of places with one input and one output but no twin, named
// "a..." so that they come first, and of transitions that almost pass rule
// A; the real matches, twins named "z...", come after all of them.
inline void late_match(Builder& b, size_t nodes) {
  const uint32_t r = b.transition("at");
  const uint32_t q = b.place("ap");
  b.pt(q, r, 2);
  while (b.nodes() < nodes * 3 / 4) {
    // A place from r to its own transition: one input, one output, no twin.
    const uint32_t p = b.place("ap");
    const uint32_t s = b.transition("at");
    b.tp(r, p);
    b.pt(p, s);
    b.tp(s, q, 2);
  }
  while (b.nodes() < nodes) b.twins(2 + b.below(8), "z");
}

// Draws indices in proportion to fixed weights.
class WeightedPick {
 public:
  explicit WeightedPick(const std::vector<uint64_t>& weights) {
    uint64_t sum = 0;
    for (uint64_t weight : weights) cumulative_.push_back(sum += weight);
  }
  size_t size() const { return cumulative_.size(); }
  uint32_t operator()(Builder& b) const {
    const uint64_t at = b.below(cumulative_.back());
    return static_cast<uint32_t>(
        std::upper_bound(cumulative_.begin(), cumulative_.end(), at) -
        cumulative_.begin());
  }
  // `count` different indices, or all of them when there are fewer.
  std::vector<uint32_t> distinct(Builder& b, size_t count) const {
    std::vector<uint32_t> drawn;
    while (drawn.size() < std::min(count, size())) {
      const uint32_t k = (*this)(b);
      if (std::find(drawn.begin(), drawn.end(), k) == drawn.end())
        drawn.push_back(k);
    }
    return drawn;
  }

 private:
  std::vector<uint64_t> cumulative_;
};

template <typename T>
void shuffle(Builder& b, std::vector<T>& items) {
  for (size_t k = items.size(); k > 1; --k)
    std::swap(items[k - 1], items[b.below(k)]);
}

// Shaped like the large nets of model-checking collections, on which a run
// is slowest: places are about 6% of the nodes and nearly every transition
// has 9 input and 9 output places. Hubs, 14% of the places, carry nearly all
// the arcs, with degrees that fall off with their rank r among h hubs as
// 1 / (1 + 4r / h), from about 6000 down to a few hundred. Most hubs are
// wide (inputs and outputs); the others only take tokens and pass them on
// through one transition to a later hub. The other places are links of
// short chains p -> t -> p -> ... -> hub, one arc in and one out, each chain
// fed by one of the 9-in, 9-out transitions. Every chain link and every pass
// is a rule-A match, so rule A fuses about 9 places in 10, most of them
// moving a hub's arcs, thousands of them, into a chain place or another hub.
// Names are shuffled, so rule A takes chains in no particular direction.
// Small nets keep at least a few places, so that they still hold hubs and
// chains.
inline void hub_places(Builder& b, size_t nodes) {
  const size_t places =
      std::max(nodes * 6 / 100, std::min<size_t>(nodes / 2, 16));
  const size_t wide = std::max<size_t>(2, places * 9 / 100);
  const size_t passes = std::max<size_t>(1, places * 5 / 100);
  const size_t hubs = wide + passes;
  const size_t links = places > hubs ? places - hubs : 0;
  const size_t fanned = std::max<size_t>(
      1, nodes > places + links + passes ? nodes - places - links - passes : 0);

  // Hubs are places 0 to hubs - 1, the wide ones first; ranks are shuffled
  // over both kinds.
  std::vector<uint64_t> rank(hubs);
  for (size_t k = 0; k < hubs; ++k) rank[k] = k;
  shuffle(b, rank);
  const uint64_t knee = std::max<size_t>(1, hubs / 4);
  std::vector<uint64_t> weight(hubs);
  for (size_t k = 0; k < hubs; ++k) {
    b.place();
    weight[k] = (uint64_t{1} << 20) * knee / (knee + rank[k]);
  }
  const WeightedPick takers({weight.begin(), weight.begin() + wide});
  const WeightedPick fed(weight);
  auto arc_weight = [&] { return b.chance(1) ? 2u : 1u; };

  // Chains of 1 to 32 links, ending in a hub, more often a larger one.
  std::vector<std::pair<uint64_t, uint32_t>> heads;  // (feeder, head)
  for (size_t made = 0; made < links;) {
    size_t length = 1;
    while (length < 32 && b.chance(40)) ++length;
    length = std::min(length, links - made);
    const uint32_t head = b.place();
    heads.emplace_back(b.below(fanned), head);
    const uint32_t end = b.series_places(head, length - 1);
    const uint32_t t = b.transition();
    b.pt(end, t);
    b.tp(t, fed(b));
    made += length;
  }
  // Passes go to a wide hub, or to a later pass hub, so they never loop.
  for (size_t k = wide; k < hubs; ++k) {
    const uint32_t t = b.transition();
    b.pt(static_cast<uint32_t>(k), t);
    const bool onward = k + 1 < hubs && b.chance(30);
    b.tp(t, onward ? static_cast<uint32_t>(k + 1 + b.below(hubs - k - 1))
                   : takers(b));
  }

  std::sort(heads.begin(), heads.end());
  auto head = heads.begin();
  for (uint64_t k = 0; k < fanned; ++k) {
    const uint32_t t = b.transition();
    for (uint32_t p : takers.distinct(b, 9)) b.pt(p, t, arc_weight());
    size_t outputs = 0;
    for (; head != heads.end() && head->first == k; ++head, ++outputs)
      b.tp(t, head->second);
    for (uint32_t p : fed.distinct(b, 9 - std::min<size_t>(outputs, 9)))
      b.tp(t, p, arc_weight());
  }
  shuffle(b, b.net.place_names);
  shuffle(b, b.net.transition_names);
}

}  // namespace detail

// Each family and seed draws from its own stream: seed * 6 + family for the
// first six families, and for the later ones streams counted down from the
// top of the range, so that no two meet for seeds below 2^60.
inline uint64_t stream_of(Family family, uint64_t seed) {
  const auto k = static_cast<uint64_t>(family);
  return k < 6 ? seed * 6 + k : ~(seed * 8 + (k - 6));
}

inline GeneratedNet generate_net(Family family, size_t nodes, uint64_t seed) {
  detail::Builder b(stream_of(family, seed));
  switch (family) {
    case Family::kChains:
      detail::chains(b, nodes);
      break;
    case Family::kTwins:
      detail::twins(b, nodes);
      break;
    case Family::kLoops:
      detail::loops(b, nodes);
      break;
    case Family::kRandom:
      detail::random_net(b, nodes);
      break;
    case Family::kHubs:
      detail::hubs(b, nodes);
      break;
    case Family::kLateMatch:
      detail::late_match(b, nodes);
      break;
    case Family::kHubPlaces:
      detail::hub_places(b, nodes);
      break;
  }
  return std::move(b.net);
}

// Writes `net` as an input net file, every place and transition with an
// `info` child, so that the writer can build the aggregates of any run.
inline void write_net_xml(const GeneratedNet& net, std::ostream& out) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<petrinet>\n"
         " <placelist>\n";
  for (const std::string& name : net.place_names)
    out << "  <place name=\"" << name << "\"><info>" << name
        << "</info></place>\n";
  out << " </placelist>\n <transitionlist>\n";
  for (const std::string& name : net.transition_names)
    out << "  <transition name=\"" << name << "\"><info>" << name
        << "</info></transition>\n";
  out << " </transitionlist>\n <edgelist>\n";
  for (const GeneratedArc& arc : net.arcs) {
    const std::string& place = net.place_names[arc.place];
    const std::string& transition = net.transition_names[arc.transition];
    out << "  <edge from=\"" << (arc.from_place ? place : transition)
        << "\" to=\"" << (arc.from_place ? transition : place) << '"';
    if (arc.weight != 1) out << " multiplicity=\"" << arc.weight << '"';
    out << "/>\n";
  }
  out << " </edgelist>\n</petrinet>\n";
}

}  // namespace marovel::bench

#endif  // MAROVEL_BENCH_NET_GENERATOR_H_
