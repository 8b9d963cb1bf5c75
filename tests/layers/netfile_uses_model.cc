// Must not build: the net file format is read without the in-memory net.
#include "model/net_model.h"
