// Hands fuzz input to code that reads files: the bytes go to an anonymous
// in-memory file reachable through a path, so no run touches the disk.
#ifndef MAROVEL_FUZZ_FUZZ_INPUT_H_
#define MAROVEL_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace marovel::fuzz {

class MemoryFile {
 public:
  MemoryFile(const uint8_t* data, size_t size);
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // A path that opens the file as a regular file.
  const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

}  // namespace marovel::fuzz

#endif  // MAROVEL_FUZZ_FUZZ_INPUT_H_
