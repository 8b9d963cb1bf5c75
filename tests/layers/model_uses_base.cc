// Builds: the model may use the general helpers.
#include "base/status.h"
#include "model/net_model.h"
