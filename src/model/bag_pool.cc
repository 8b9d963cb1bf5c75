#include "model/bag_pool.h"

#include <algorithm>
#include <cassert>
#include <new>

namespace marovel {
namespace {

// Few chunks, each carved into many blocks.
constexpr size_t kChunkBytes = size_t{4} << 20;

}  // namespace

BagPool::~BagPool() {
  for (const auto& [chunk, bytes] : chunks_) ::operator delete(chunk, bytes);
}

BagEntry* BagPool::take(int log2) {
  assert(log2 >= 0 && log2 <= kMaxLog2);
  if (FreeBlock* block = free_[log2]) {
    free_[log2] = block->next;
    return reinterpret_cast<BagEntry*>(block);
  }
  const size_t bytes = sizeof(BagEntry) << log2;
  if (static_cast<size_t>(end_ - cursor_) < bytes) {
    // What is left of the chunk goes to the free lists, largest blocks
    // first, so that nothing is lost.
    for (int k = kMaxLog2; k >= 0; --k) {
      const size_t block = sizeof(BagEntry) << k;
      while (static_cast<size_t>(end_ - cursor_) >= block) {
        give(reinterpret_cast<BagEntry*>(cursor_), k);
        cursor_ += block;
      }
    }
    const size_t chunk = std::max(kChunkBytes, bytes);
    cursor_ = static_cast<char*>(::operator new(chunk));
    end_ = cursor_ + chunk;
    chunks_.emplace_back(cursor_, chunk);
    reserved_ += chunk / sizeof(BagEntry);
  }
  BagEntry* block = reinterpret_cast<BagEntry*>(cursor_);
  cursor_ += bytes;
  return block;
}

void BagPool::give(BagEntry* block, int log2) {
  assert(log2 >= 0 && log2 <= kMaxLog2);
  FreeBlock* free = reinterpret_cast<FreeBlock*>(block);
  free->next = free_[log2];
  free_[log2] = free;
}

}  // namespace marovel
