// Open addressing with linear probing over a table of 2^log2 slots, the
// layout of every hash table of the model and of the reduction: a key lies
// in its home slot or in a later one (wrapping around) with no empty slot in
// between, so that one probe finds most keys in one cache miss. The slots
// are the caller's; this holds only the size and the rules.
#ifndef MAROVEL_BASE_LINEAR_PROBING_H_
#define MAROVEL_BASE_LINEAR_PROBING_H_

#include <cassert>
#include <cstddef>
#include <cstdint>

namespace marovel {

class LinearProbing {
 public:
  // REQUIRES: 1 <= log2 <= 63.
  explicit LinearProbing(int log2) : log2_(log2) {
    assert(log2 >= 1 && log2 <= 63);
  }

  size_t slots() const { return size_t{1} << log2_; }
  size_t next(size_t at) const { return (at + 1) & (slots() - 1); }

  // Fibonacci hashing: the top bits of the key times 2^64 over the golden
  // ratio, which spreads keys that follow one another (ids) over the table.
  size_t home(uint64_t key) const {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15u) >> (64 - log2_));
  }

  // The first slot from `at` on, wrapping around, at which stop(slot)
  // holds: the key's slot or the empty one that ends its run. REQUIRES: the
  // table has an empty slot.
  template <typename Stop>
  size_t probe(size_t at, Stop&& stop) const {
    while (!stop(at)) at = next(at);
    return at;
  }

  // Empties slot `at` by backward shift: every later slot of its run whose
  // key may move closer to its home moves back into the hole, so that no
  // search stops early at it. `empty(k)` tells whether slot k is empty,
  // `home_of(k)` gives the home of slot k's key, `move(from, to)` moves a
  // slot's content and `clear(k)` empties a slot.
  template <typename Empty, typename HomeOf, typename Move, typename Clear>
  void erase(size_t at, Empty&& empty, HomeOf&& home_of, Move&& move,
             Clear&& clear) const {
    for (size_t later = next(at); !empty(later); later = next(later)) {
      // Stays when its home lies cyclically in (at, later].
      const size_t want = home_of(later);
      const bool stays =
          at < later ? at < want && want <= later : at < want || want <= later;
      if (stays) continue;
      move(later, at);
      at = later;
    }
    clear(at);
  }

 private:
  int log2_;
};

}  // namespace marovel

#endif  // MAROVEL_BASE_LINEAR_PROBING_H_
