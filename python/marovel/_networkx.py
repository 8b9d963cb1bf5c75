"""Nets to and from networkx graphs; networkx is imported only when a net
becomes a graph."""

from ._errors import Error
from ._marovel import Net

_KINDS = ("place", "transition")


def _clash(net: Net) -> None:
    """Refuses a net with a place and a transition of one name, which one
    graph keyed by name cannot hold apart."""
    shared = set(net.places).intersection(net.transitions)
    if shared:
        raise Error("A place and a transition share a name",
                    f"{min(shared)!r} names both, and a graph holds one node "
                    "of a name", "invalid_argument")


def to_networkx(net: Net):
    """The net as a networkx.MultiDiGraph: see Net.to_networkx."""
    import networkx

    _clash(net)
    aggregates = net.aggregates
    graph = networkx.MultiDiGraph()
    graph.add_nodes_from((name, {"kind": "place", "aggregates": aggregates[name]})
                         for name in net.places)
    graph.add_nodes_from(
        (name, {"kind": "transition", "aggregates": aggregates[name]})
        for name in net.transitions)
    graph.add_edges_from((source, target, {"weight": weight})
                         for source, target, weight in net.arcs)
    return graph


def from_networkx(graph) -> Net:
    """Builds a net from a directed networkx graph.

    Each node is a place or a transition, as its ``kind`` attribute says
    ("place" or "transition"), named by its key, which must be a str. Each
    edge is an arc joining a place and a transition, either way, of its
    ``weight`` attribute (1 when it has none); parallel edges add up.
    ``aggregates`` attributes are not read: the new net's nodes stand for
    themselves. A node without edges is left out, as a net file's would
    be. A node without a known kind, an edge between two nodes of
    one kind or an undirected graph is refused with marovel.Error; a key
    that is not a str with TypeError.
    """
    if not graph.is_directed():
        raise Error("Wrong graph", "an undirected graph gives no arc "
                    "directions", "invalid_argument")
    lists = {kind: [] for kind in _KINDS}
    for node, data in graph.nodes(data=True):
        if not isinstance(node, str):
            raise TypeError(f"node {node!r} is not named by a str")
        kind = data.get("kind")
        if kind not in lists:
            raise Error("Wrong node kind",
                        f"node {node!r} has kind {kind!r}, not 'place' or "
                        "'transition'", "invalid_argument")
        lists[kind].append(node)
    arcs = [(source, target, data.get("weight", 1))
            for source, target, data in graph.edges(data=True)]
    return Net.from_arcs(lists["place"], lists["transition"], arcs)
