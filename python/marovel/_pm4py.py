"""Nets to and from pm4py's PetriNet. A pm4py net is read through its
attributes only, so reading one needs no pm4py; pm4py is imported only
when a net becomes one."""

from ._marovel import Net
from ._networkx import _clash


def from_pm4py(petri_net) -> Net:
    """Builds a net from a pm4py PetriNet.

    Reads ``petri_net.places`` and ``.transitions`` (each by ``.name``;
    a transition's ``.label`` too) and ``.arcs`` (by ``.source.name``,
    ``.target.name`` and ``.weight``), and nothing else, so any object with
    those attributes will do. The labels stay with the net for
    Net.to_pm4py(). A place or transition without arcs is left out, as a
    net file's would be.

    A marking is not part of marovel's nets, and the rules may fuse or
    remove a marked place. To reduce a net whose markings matter, keep
    their places, e.g.
    ``net.reduce(keep=[p.name for p in initial_marking] + ...)``, and build
    the markings of the reduced net from those places' names; or carry a
    marking over through ``net.aggregates``, which says which input places
    each surviving place stands for.

    For a process model, keep the labelled transitions so that only silent
    ones are fused: ``keep=[t.name for t in petri_net.transitions if
    t.label is not None]``.
    """
    places = [place.name for place in petri_net.places]
    transitions = [transition.name for transition in petri_net.transitions]
    labels = {transition.name: transition.label
              for transition in petri_net.transitions}
    arcs = [(arc.source.name, arc.target.name, getattr(arc, "weight", 1))
            for arc in petri_net.arcs]
    net = Net.from_arcs(places, transitions, arcs)
    net._pm4py_labels = labels
    net._pm4py_name = getattr(petri_net, "name", None)
    return net


def to_pm4py(net: Net):
    """The survivors as a pm4py PetriNet: see Net.to_pm4py."""
    from pm4py.objects.petri_net.obj import PetriNet

    _clash(net)
    labels = getattr(net, "_pm4py_labels", None)
    petri_net = PetriNet(getattr(net, "_pm4py_name", None) or "net")
    nodes = {}
    for name in net.places:
        nodes[name] = PetriNet.Place(name)
        petri_net.places.add(nodes[name])
    for name in net.transitions:
        label = labels.get(name) if labels is not None else name
        nodes[name] = PetriNet.Transition(name, label)
        petri_net.transitions.add(nodes[name])
    for source, target, weight in net.arcs:
        arc = PetriNet.Arc(nodes[source], nodes[target], weight)
        petri_net.arcs.add(arc)
        nodes[source].out_arcs.add(arc)
        nodes[target].in_arcs.add(arc)
    return petri_net
