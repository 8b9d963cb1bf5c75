#include "xml/content_digest.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace marovel {
namespace {

uint64_t digest_in_pieces(const std::string& bytes, size_t piece) {
  ContentDigest digest;
  for (size_t at = 0; at < bytes.size(); at += piece)
    digest.add(std::string_view(bytes).substr(at, piece));
  return digest.value();
}

TEST(ContentDigestTest, IgnoresHowTheBytesArriveAndSeesEveryChange) {
  std::string bytes;
  for (int k = 0; k < 1000; ++k)
    bytes += "<p name=\"" + std::to_string(k) + "\"/>";
  const uint64_t whole = digest_in_pieces(bytes, bytes.size());
  for (const size_t piece : {1, 7, 31, 32, 33, 4096})
    EXPECT_EQ(digest_in_pieces(bytes, piece), whole) << piece;

  std::string changed = bytes;
  changed[bytes.size() / 2] ^= 1;
  EXPECT_NE(digest_in_pieces(changed, 64), whole);
  // Trailing zero bytes and a shorter stream differ too.
  EXPECT_NE(digest_in_pieces(bytes + std::string(3, '\0'), 64), whole);
  EXPECT_NE(digest_in_pieces(bytes.substr(0, bytes.size() - 1), 64), whole);
  EXPECT_NE(ContentDigest().value(), digest_in_pieces(std::string(1, '\0'), 1));
}

TEST(ContentDigestTest, DigestsFilesAndRefusesWhatIsNoRegularFile) {
  char path[] = "/tmp/marovel_digest_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string bytes = "<petrinet/>\n";
  ASSERT_EQ(write(fd, bytes.data(), bytes.size()),
            static_cast<ssize_t>(bytes.size()));
  close(fd);
  EXPECT_EQ(digest_file(path), digest_in_pieces(bytes, 5));
  std::remove(path);
  EXPECT_EQ(digest_file(path), std::nullopt);
  EXPECT_EQ(digest_file("/tmp"), std::nullopt);
}

}  // namespace
}  // namespace marovel
