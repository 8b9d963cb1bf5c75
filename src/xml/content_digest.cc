#include "xml/content_digest.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

namespace marovel {
namespace {

constexpr uint64_t kPrime1 = 0x9e3779b185ebca87;
constexpr uint64_t kPrime2 = 0xc2b2ae3d27d4eb4f;

uint64_t load_word(const char* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

uint64_t round(uint64_t lane, uint64_t word) {
  return std::rotl(lane + word * kPrime2, 31) * kPrime1;
}

uint64_t avalanche(uint64_t h) {
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime1;
  return h ^ (h >> 32);
}

}  // namespace

void ContentDigest::mix_stripe(const char* stripe) {
  for (size_t k = 0; k < lanes_.size(); ++k)
    lanes_[k] = round(lanes_[k], load_word(stripe + 8 * k));
}

void ContentDigest::add(std::string_view bytes) {
  length_ += bytes.size();
  if (pending_size_ > 0) {
    const size_t taken = std::min(kStripe - pending_size_, bytes.size());
    std::memcpy(pending_.data() + pending_size_, bytes.data(), taken);
    pending_size_ += taken;
    bytes.remove_prefix(taken);
    if (pending_size_ < kStripe) return;
    mix_stripe(pending_.data());
    pending_size_ = 0;
  }
  while (bytes.size() >= kStripe) {
    mix_stripe(bytes.data());
    bytes.remove_prefix(kStripe);
  }
  std::memcpy(pending_.data(), bytes.data(), bytes.size());
  pending_size_ = bytes.size();
}

uint64_t ContentDigest::value() const {
  uint64_t h = length_ * kPrime1;
  for (const uint64_t lane : lanes_) h = round(h, lane);
  // The tail, zero-padded; the length above tells tails that differ only in
  // trailing zero bytes apart.
  std::array<char, kStripe> tail{};
  std::memcpy(tail.data(), pending_.data(), pending_size_);
  for (size_t k = 0; k < kStripe; k += 8) h = round(h, load_word(&tail[k]));
  return avalanche(h);
}

std::optional<uint64_t> digest_file(const std::string& path) {
  // Non-blocking and regular files only, as the loader: a FIFO put in the
  // file's place must not stall the run.
  const int fd =
      open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  ContentDigest digest;
  std::vector<char> buffer(size_t{4} << 20);
  for (;;) {
    const ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    digest.add({buffer.data(), static_cast<size_t>(got)});
  }
  close(fd);
  return digest.value();
}

}  // namespace marovel
