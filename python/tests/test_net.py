"""The package against the commands, its errors, keep and on_step."""

import errno
import pathlib
import re

import pytest

import marovel
from conftest import EXAMPLES, chain, random_net, undated

LOG_LINE = re.compile(r"^([A-F]):(.*) reduced$")


def inputs(tmp_path):
    """The examples and a generated net of a few thousand nodes, as files."""
    files = sorted(EXAMPLES.glob("*.xml")) + [EXAMPLES / "print_shop.pnml"]
    generated = tmp_path / "random.xml"
    generated.write_text(
        marovel.Net.from_arcs(*random_net(1500, 1500, 3300, seed=7)).to_xml())
    return files + [generated]


def test_same_output_and_log_as_the_command(tmp_path, command):
    for source in inputs(tmp_path):
        folder = tmp_path / source.stem
        folder.mkdir()
        net_file = folder / "in.xml"
        if source.suffix == ".pnml":
            assert command("pnml2net", source, "-o", net_file,
                           cwd=folder).returncode == 0
        else:
            net_file.write_bytes(source.read_bytes())
        command("marovel", "-l", "-o", "cli.xml", "in.xml", cwd=folder)

        net = marovel.read(source)
        steps = []
        report = net.reduce(on_step=lambda rule, names: steps.append(
            (rule, ",".join(names))))
        net.write(folder / "lib.xml")
        assert undated((folder / "lib.xml").read_text()) == undated(
            (folder / "cli.xml").read_text()), source.name
        log = [m.groups() for m in map(LOG_LINE.match,
                                       (folder / "in.log").read_text()
                                       .splitlines()) if m]
        assert steps == log, source.name
        assert sum(report.steps.values()) == len(steps)

    # The other writers are the companions' on the written net (the last
    # one's): write_pnml names the net after the file, as net2pnml does.
    assert command("net2pnml", "cli.xml", cwd=folder).returncode == 0
    (folder / "lib").mkdir()
    net.write_pnml(folder / "lib" / "cli.pnml")
    assert (folder / "lib" / "cli.pnml").read_text() == (
        folder / "cli.pnml").read_text()
    assert command("net2dot", "cli.xml", "-o", "cli.dot",
                   cwd=folder).returncode == 0
    assert net.to_dot() == (folder / "cli.dot").read_text()


def test_parse_reads_what_read_reads(tmp_path):
    for source in (EXAMPLES / "chain.xml", EXAMPLES / "print_shop.pnml"):
        from_file = undated(marovel.read(source).to_xml())
        assert undated(marovel.read(str(source)).to_xml()) == from_file
        assert undated(marovel.parse(source.read_bytes()).to_xml()) == from_file
        assert undated(marovel.parse(source.read_text()).to_xml()) == from_file


def test_from_arcs_and_what_a_net_gives_back():
    net = marovel.Net.from_arcs(
        ("q", "p"), ["u", "t"],
        [("p", "t"), ("t", "q", 2), ["q", "u", 3], ("u", "p"), ("p", "t", 0)])
    assert net.places == ["p", "q"]
    assert net.transitions == ["t", "u"]
    assert net.arcs == [("p", "t", 1), ("q", "u", 3), ("t", "q", 2),
                        ("u", "p", 1)]
    assert (net.place_count, net.transition_count, net.arc_count) == (2, 2, 4)
    assert dict(net.aggregates) == {n: (n,) for n in "pqtu"}
    with pytest.raises(TypeError):
        net.aggregates["p"] = ("x",)
    report = net.reduce(max_steps=10**30)
    assert report.stopped == "no rule applies any more"
    assert set(report.steps) == set("ABCDEF")
    assert sorted(sum(net.aggregates.values(), ())) == list("pqtu")
    assert net.aggregate(net.places[0]) == net.aggregates[net.places[0]]


def test_errors():
    cases = [
        (lambda: marovel.read("no/such/file.xml"), FileNotFoundError),
        (lambda: marovel.read(EXAMPLES), IsADirectoryError),
        (lambda: marovel.parse("<petrinet><placelist>"), marovel.Error),
        (lambda: marovel.parse("<pnml><net id='n'/></pnml>"), marovel.Error),
        (lambda: marovel.parse(3), TypeError),
        (lambda: marovel.read(3), TypeError),
        (lambda: marovel.Net.from_arcs([], ["t"], [("p", "t")]), marovel.Error),
        (lambda: marovel.Net.from_arcs(["p"], ["t"], [("p", "x")]),
         marovel.Error),
        (lambda: marovel.Net.from_arcs(["p"], ["t"], ["pt"]), TypeError),
        (lambda: marovel.Net.from_arcs(["p"], ["t"], [("p",)]), TypeError),
        (lambda: marovel.Net.from_arcs(["p"], ["t"], [("p", 1)]), TypeError),
        (lambda: marovel.Net.from_arcs(["p"], ["t"], [("p", "t", -1)]),
         ValueError),
        (lambda: marovel.Net.from_arcs(["p"], ["t"], [("p", "t", 2**64)]),
         OverflowError),
        (lambda: marovel.Net.from_arcs("p", ["t"], [("p", "t")]), TypeError),
        (lambda: chain(2).reduce(keep=["nobody"]), marovel.Error),
        (lambda: chain(2).reduce(keep="p1"), TypeError),
        (lambda: chain(2).reduce(keep=[1]), TypeError),
        (lambda: chain(2).reduce(on_step=3), TypeError),
        (lambda: chain(2).reduce(max_steps="3"), TypeError),
        (lambda: chain(2).aggregate("nobody"), marovel.Error),
        (lambda: chain(2).write("no/such/folder/out.xml"), FileNotFoundError),
        (lambda: marovel.Net(), TypeError),
    ]
    for call, expected in cases:
        with pytest.raises(expected):
            call()

    with pytest.raises(FileNotFoundError) as missing:
        marovel.read(pathlib.Path("no/such/file.xml"))
    assert missing.value.errno == errno.ENOENT
    assert missing.value.filename == pathlib.Path("no/such/file.xml")
    assert "Can't open input file" in str(missing.value)

    with pytest.raises(marovel.Error) as broken:
        marovel.parse("<petrinet><placelist>")
    assert isinstance(broken.value, ValueError)
    assert broken.value.message == "Can't open input file"
    assert broken.value.detail.startswith("XML parsing error: ")
    assert broken.value.code == "invalid_input"
    assert str(broken.value).startswith("Can't open input file: XML parsing")


def test_keep():
    net = chain(4)
    report = net.reduce(keep=("p2", "t3"))
    assert {"p2", "t3"} <= set(net.places + net.transitions)
    assert report.steps["A"] == 2
    # A kept node absorbs others; keep may be any iterable of names.
    net = chain(4)
    net.reduce(keep=iter(["p0"]))
    assert net.aggregates == {"p0": tuple(sorted(
        [f"p{i}" for i in range(5)] + [f"t{i}" for i in range(4)]))}


def test_step_limits_and_rules():
    net = chain(5)
    assert net.reduce(max_steps=0).stopped.startswith("no step allowed")
    assert net.reduce(max_steps=-10**30).steps == dict.fromkeys("ABCDEF", 0)
    report = net.reduce(rules="xbc", max_steps=1)
    assert set(report.steps) == {"B", "C"}
    assert report.stopped == "step limit 1 reached"
    assert net.place_count == 5
    assert net.reduce().stopped == "no rule applies any more"
    assert net.place_count == 1


def test_an_exception_in_on_step_stops_and_leaves_the_net_valid():
    whole = chain(6)
    whole.reduce()

    net = chain(6)
    seen = []

    def stop_at_three(rule, names):
        seen.append(names)
        if len(seen) == 3:
            raise KeyError("enough")

    with pytest.raises(KeyError, match="enough"):
        net.reduce(on_step=stop_at_three)
    assert net.place_count == 7 - 3
    assert net.reduce().steps["A"] == 3
    assert undated(net.to_xml()) == undated(whole.to_xml())


def test_a_callback_cannot_use_the_net_it_reduces():
    net = chain(3)
    with pytest.raises(RuntimeError, match="in use"):
        net.reduce(on_step=lambda rule, names: net.places)
    assert net.place_count == 3
    other = chain(2)
    net.reduce(on_step=lambda rule, names: other.places)


def test_paths_may_be_path_like(tmp_path):
    net = chain(2)
    net.write(tmp_path / "a.xml")
    net.write_pnml(tmp_path / "a.pnml")
    assert undated(marovel.read(tmp_path / "a.xml").to_xml()) == undated(
        net.to_xml())
    assert marovel.read(tmp_path / "a.pnml").places == net.places
    with pytest.raises(marovel.Error, match="overwrite"):
        marovel.read(tmp_path / "a.xml").write(str(tmp_path / "a.xml"))


def test_version():
    assert re.fullmatch(r"\d+\.\d+(\.\d+)?", marovel.__version__)
