// Builds as far as the net file's names: the driver holds an InputNet.
#include "netfile/input_net.h"
// Must not build: the XML layer stays below the reader and the writer.
#include "xml/xml_document.h"
