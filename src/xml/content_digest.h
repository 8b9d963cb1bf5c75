// A 64-bit digest of a byte stream that does not depend on how the stream is
// cut into pieces: it tells whether a file still holds the bytes a document
// was loaded from. Not cryptographic; it guards against change, not attack.
#ifndef MAROVEL_XML_CONTENT_DIGEST_H_
#define MAROVEL_XML_CONTENT_DIGEST_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marovel {

class ContentDigest {
 public:
  void add(std::string_view bytes);
  // The digest of everything added so far.
  uint64_t value() const;

 private:
  static constexpr size_t kStripe = 32;  // four independent 8-byte lanes
  void mix_stripe(const char* stripe);

  std::array<uint64_t, 4> lanes_ = {0x9e3779b97f4a7c15, 0xc2b2ae3d27d4eb4f,
                                    0x165667b19e3779f9, 0x85ebca77c2b2ae63};
  uint64_t length_ = 0;
  std::array<char, kStripe> pending_{};
  size_t pending_size_ = 0;
};

// The digest of the file at `path`, or none when it can't be read whole.
std::optional<uint64_t> digest_file(const std::string& path);

}  // namespace marovel

#endif  // MAROVEL_XML_CONTENT_DIGEST_H_
