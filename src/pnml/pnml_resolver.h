// Completes a gathered PNML net: gives each id its node, follows every
// reference to the place or transition it stands for, and turns the arcs
// into PtArcs, parallel ones added up. Refuses, first fault first, an id
// given twice, a reference that leads nowhere or in a circle, and an arc
// that is not an ordinary one between a place and a transition.
#ifndef MAROVEL_PNML_PNML_RESOLVER_H_
#define MAROVEL_PNML_PNML_RESOLVER_H_

#include "base/status.h"
#include "pnml/pnml_net_parts.h"
#include "pnml/pt_net.h"

namespace marovel {

// `net` holds the gathered nodes and no arcs. A refusal is a kInvalidInput
// whose message is one line.
Status resolve_pnml(const PnmlNetParts& parts, PtNet& net);

}  // namespace marovel

#endif  // MAROVEL_PNML_PNML_RESOLVER_H_
