// Must not build: the reader and the writer share the net file format
// (netfile/), not each other.
#include "writer/net_writer.h"
