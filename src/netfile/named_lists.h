// The lists of a net built in code rather than read: what a net file holds
// that declares each place as <place name="N"><info>N</info></place>, and
// each transition likewise, found by the same scan as a file's, so that the
// writer copies such members as it copies a file's.
#ifndef MAROVEL_NETFILE_NAMED_LISTS_H_
#define MAROVEL_NETFILE_NAMED_LISTS_H_

#include <span>
#include <string>

#include "base/status.h"
#include "netfile/input_net.h"

namespace marovel {

// Scans into the fresh `input` the place and transition lists that declare
// `places` and `transitions` (any bytes that are XML text, repeats allowed,
// in the order given); the net has no edge list. Fails as the XML layer
// says (a kIoError) when a name is no XML text.
Status scan_named_lists(std::span<const std::string> places,
                        std::span<const std::string> transitions,
                        InputNet& input);

}  // namespace marovel

#endif  // MAROVEL_NETFILE_NAMED_LISTS_H_
