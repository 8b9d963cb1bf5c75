// What a path names on disk: whether it is a readable regular file, and
// whether two paths name one file.
#ifndef MAROVEL_BASE_FILE_IDENTITY_H_
#define MAROVEL_BASE_FILE_IDENTITY_H_

#include <string>

namespace marovel {

// True when `path` is an existing regular file that opens for reading.
bool is_readable_regular_file(const std::string& path);

// True when both paths name one existing file (through links or not), or
// are the same text.
bool same_file(const std::string& a, const std::string& b);

}  // namespace marovel

#endif  // MAROVEL_BASE_FILE_IDENTITY_H_
