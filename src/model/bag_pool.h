// Storage for the entries of many bags: blocks of a power of two of entries,
// carved from large chunks and kept, once given back, on a free list of
// their size, so that what one step of a reduction frees the next one
// reuses instead of asking the system for fresh pages. Not thread-safe: one
// pool serves one map of nodes.
#ifndef MAROVEL_MODEL_BAG_POOL_H_
#define MAROVEL_MODEL_BAG_POOL_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/ids.h"

namespace marovel {

// A distinct node and its count. Counts are 64-bit: fusions add weights up
// past 2^31. Packed to 4-byte alignment, 12 bytes rather than 16: entries
// are a large share of a net's memory, and a count on a 4-byte boundary
// reads no slower on x86-64 (the read and reduction phases measured the
// same). A count must be copied, never bound to a reference.
#pragma pack(push, 4)
struct BagEntry {
  NodeId node;
  uint64_t count;
};
#pragma pack(pop)
static_assert(sizeof(BagEntry) == 12 && alignof(BagEntry) == 4);

class BagPool {
 public:
  BagPool() = default;
  ~BagPool();
  BagPool(const BagPool&) = delete;
  BagPool& operator=(const BagPool&) = delete;

  static constexpr int kMaxLog2 = 40;

  // A block of 2^log2 entries, with contents undefined.
  BagEntry* take(int log2);
  // Gives back a block that take(log2) gave.
  void give(BagEntry* block, int log2);

  // Entries' worth of memory asked of the system so far.
  size_t reserved() const { return reserved_; }

 private:
  // A free block's first bytes link it to the next free block of its size;
  // blocks are only as aligned as the entries are.
#pragma pack(push, 4)
  struct FreeBlock {
    FreeBlock* next;
  };
#pragma pack(pop)
  static_assert(alignof(FreeBlock) <= alignof(BagEntry));

  std::array<FreeBlock*, kMaxLog2 + 1> free_{};
  char* cursor_ = nullptr;
  char* end_ = nullptr;
  std::vector<std::pair<void*, size_t>> chunks_;
  size_t reserved_ = 0;
};

}  // namespace marovel

#endif  // MAROVEL_MODEL_BAG_POOL_H_
