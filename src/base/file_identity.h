// What a path names on disk: whether it is a readable regular file, whether
// two paths name one file, and letting go of a reader that waits on a FIFO.
#ifndef MAROVEL_BASE_FILE_IDENTITY_H_
#define MAROVEL_BASE_FILE_IDENTITY_H_

#include <optional>
#include <string>

namespace marovel {

// True when `path` is an existing regular file that opens for reading.
bool is_readable_regular_file(const std::string& path);
// The same check, saying why not: 0 when it passes, else the errno of the
// failed open (ENOENT, EACCES...), EISDIR for a folder, or -1 for another
// kind of file (a FIFO, a device).
int readable_regular_file_error(const std::string& path);

// True when both paths name one file: the same text, one existing file
// (through links or not), or, for a path that names nothing yet, the same
// entry of the same folder, so that a file created under one name would be
// the other.
bool same_file(const std::string& a, const std::string& b);

// The folder a path's last component lies in: "a/b" gives "a", "/b" gives
// "/", "b" gives ".".
std::string folder_of(const std::string& path);

// The descriptor that a path names directly: 1 for /dev/stdout, N for
// /dev/fd/N or /proc/self/fd/N, and so on; none for any other path.
std::optional<int> stream_descriptor(const std::string& path);

// Follows symbolic links to the file they finally name, so that replacing
// that file leaves the links in place. A dangling link names the file to
// create; a link to one of the process's own streams (/dev/stdout,
// /dev/fd/N) stops there, since what such a stream leads to may have no name
// at all (a pipe).
std::string resolve_links(std::string path);

// When `path` is a FIFO with a reader waiting, opens it without blocking and
// closes it at once, so that the reader sees the end of the file and no
// byte; does nothing for anything else, and never waits.
void release_fifo_reader(const std::string& path);

}  // namespace marovel

#endif  // MAROVEL_BASE_FILE_IDENTITY_H_
