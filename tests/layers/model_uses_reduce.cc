// Must not build: the model knows nothing of the rules that change it.
#include "reduce/reducer.h"
