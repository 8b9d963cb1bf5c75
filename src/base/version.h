// The version of marovel and its companion commands, stated once: the build
// reads it from here too (for the package and the man pages).
#ifndef MAROVEL_BASE_VERSION_H_
#define MAROVEL_BASE_VERSION_H_

#define MAROVEL_VERSION "0.1"
#define MAROVEL_VERSION_LINE "marovel " MAROVEL_VERSION

namespace marovel {

// What the reduced net's header says made it, and what --version prints.
inline constexpr char kProgramVersion[] = MAROVEL_VERSION_LINE;

}  // namespace marovel

#endif  // MAROVEL_BASE_VERSION_H_
