// The speed tricks a build can turn off, to measure what each one gains:
// asking for memory ahead (MAROVEL_PREFETCH) and the second core
// (MAROVEL_THREADS). Each is on unless the build sets it to 0.
#ifndef MAROVEL_BASE_SWITCHES_H_
#define MAROVEL_BASE_SWITCHES_H_

#ifndef MAROVEL_PREFETCH
#define MAROVEL_PREFETCH 1
#endif
#ifndef MAROVEL_THREADS
#define MAROVEL_THREADS 1
#endif

#endif  // MAROVEL_BASE_SWITCHES_H_
