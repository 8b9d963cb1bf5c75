"""networkx graphs and pm4py nets in and out. pm4py is replaced by a
stand-in with its module path, class names, constructors and attributes."""

import sys
import types

import pytest

import marovel
from conftest import EXAMPLES, chain, undated

networkx = pytest.importorskip("networkx")


def test_networkx_round_trip():
    net = marovel.read(EXAMPLES / "print_shop.pnml")
    net.reduce(max_steps=3)
    graph = net.to_networkx()
    assert isinstance(graph, networkx.MultiDiGraph)
    assert {n for n, kind in graph.nodes(data="kind") if kind == "place"} == \
        set(net.places)
    assert dict(graph.nodes(data="aggregates")) == dict(net.aggregates)
    assert sorted(graph.edges(data="weight")) == sorted(net.arcs)

    again = marovel.from_networkx(graph)
    assert again.arcs == net.arcs
    assert again.places == net.places
    # The new net's nodes stand for themselves.
    assert all(again.aggregate(n) == (n,) for n in again.places)


def test_from_networkx_adds_parallel_edges_and_defaults_weights():
    graph = networkx.MultiDiGraph()
    graph.add_node("p", kind="place")
    graph.add_node("t", kind="transition")
    graph.add_edge("p", "t")
    graph.add_edge("p", "t", weight=2)
    graph.add_edge("t", "p")
    assert marovel.from_networkx(graph).arcs == [("p", "t", 3), ("t", "p", 1)]


def test_graphs_that_are_not_nets_are_refused():
    def graph(kinds, edges, kind=networkx.DiGraph):
        g = kind()
        for name, node_kind in kinds.items():
            g.add_node(name, **({"kind": node_kind} if node_kind else {}))
        g.add_edges_from(edges)
        return g

    cases = [
        (graph({"p": "place", "q": "place"}, [("p", "q")]), marovel.Error),
        (graph({"p": "place", "t": None}, [("p", "t")]), marovel.Error),
        (graph({"p": "place", "t": "arc"}, [("p", "t")]), marovel.Error),
        (graph({"p": "place", "t": "transition"}, [("p", "t")],
               networkx.Graph), marovel.Error),
        (graph({"p": "place", 1: "transition"}, [("p", 1)]), TypeError),
    ]
    for g, expected in cases:
        with pytest.raises(expected):
            marovel.from_networkx(g)


def test_a_place_and_a_transition_of_one_name_make_no_graph():
    net = marovel.Net.from_arcs(["x", "p"], ["x", "t"],
                                [("x", "t"), ("t", "x"), ("p", "x")])
    assert "x" in net.places and "x" in net.transitions
    with pytest.raises(marovel.Error, match="share a name"):
        net.to_networkx()


@pytest.fixture
def pm4py(monkeypatch):
    """A stand-in for pm4py.objects.petri_net.obj, with pm4py's names."""

    class PetriNet:
        def __init__(self, name=None, places=None, transitions=None,
                     arcs=None, properties=None):
            self.name = name
            self.places = set() if places is None else places
            self.transitions = set() if transitions is None else transitions
            self.arcs = set() if arcs is None else arcs

        class Place:
            def __init__(self, name, in_arcs=None, out_arcs=None,
                         properties=None):
                self.name = name
                self.in_arcs = set() if in_arcs is None else in_arcs
                self.out_arcs = set() if out_arcs is None else out_arcs

        class Transition:
            def __init__(self, name, label=None, in_arcs=None,
                         out_arcs=None, properties=None):
                self.name = name
                self.label = label
                self.in_arcs = set() if in_arcs is None else in_arcs
                self.out_arcs = set() if out_arcs is None else out_arcs

        class Arc:
            def __init__(self, source, target, weight=1, properties=None):
                self.source = source
                self.target = target
                self.weight = weight

    path = "pm4py.objects.petri_net.obj"
    parts = path.split(".")
    for i in range(1, len(parts) + 1):
        monkeypatch.setitem(sys.modules, ".".join(parts[:i]),
                            types.ModuleType(".".join(parts[:i])))
    sys.modules[path].PetriNet = PetriNet
    return PetriNet


def process_model(PetriNet):
    """source > a > p1 > tau > p2 > b > sink, and a weighted loop p2 > c >
    p2; `tau` is silent."""
    net = PetriNet("model")
    nodes = {name: PetriNet.Place(name) for name in ("source", "p1", "p2",
                                                     "sink")}
    nodes.update({name: PetriNet.Transition(name, label)
                  for name, label in (("a", "A"), ("tau", None), ("b", "B"),
                                      ("c", "C"))})
    for node in nodes.values():
        (net.places if isinstance(node, PetriNet.Place) else
         net.transitions).add(node)
    for source, target, weight in (("source", "a", 1), ("a", "p1", 1),
                                   ("p1", "tau", 1), ("tau", "p2", 1),
                                   ("p2", "b", 1), ("b", "sink", 1),
                                   ("p2", "c", 2), ("c", "p2", 2)):
        arc = PetriNet.Arc(nodes[source], nodes[target], weight)
        net.arcs.add(arc)
        nodes[source].out_arcs.add(arc)
        nodes[target].in_arcs.add(arc)
    return net


def test_pm4py_nets_in_and_out(pm4py):
    model = process_model(pm4py)
    net = marovel.from_pm4py(model)
    assert net.arcs == [("p1", "tau", 1), ("p2", "b", 1), ("p2", "c", 2),
                        ("source", "a", 1), ("a", "p1", 1), ("b", "sink", 1),
                        ("c", "p2", 2), ("tau", "p2", 1)]

    # Only the silent transition goes.
    net.reduce(keep=[t.name for t in model.transitions if t.label is not None]
               + ["source", "sink"])
    assert "tau" not in net.transitions

    out = net.to_pm4py()
    assert isinstance(out, pm4py) and out.name == "model"
    assert {(t.name, t.label) for t in out.transitions} == {
        ("a", "A"), ("b", "B"), ("c", "C")}
    assert {p.name for p in out.places} == set(net.places)
    assert sorted((a.source.name, a.target.name, a.weight)
                  for a in out.arcs) == sorted(net.arcs)
    for arc in out.arcs:
        assert arc in arc.source.out_arcs and arc in arc.target.in_arcs


def test_a_net_from_elsewhere_labels_transitions_by_name(pm4py):
    out = chain(1).to_pm4py()
    assert [(t.name, t.label) for t in out.transitions] == [("t0", "t0")]


def test_from_pm4py_needs_no_pm4py():
    assert "pm4py" not in sys.modules
    node = types.SimpleNamespace
    p, t = node(name="p"), node(name="t", label="T")
    model = node(places=[p], transitions=[t],
                 arcs=[node(source=p, target=t, weight=1),
                       node(source=t, target=p, weight=3)])
    net = marovel.from_pm4py(model)
    assert undated(net.to_xml()) == undated(marovel.Net.from_arcs(
        ["p"], ["t"], [("p", "t"), ("t", "p", 3)]).to_xml())
