"""Shared fixtures: the repository's examples, the commands to compare
with (MAROVEL_BIN_DIR, the build folder holding marovel and its companions;
the tests that need them are skipped without it) and small nets."""

import os
import pathlib
import re
import subprocess

import pytest

import marovel

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = ROOT / "examples"


def undated(xml: str) -> str:
    """The document with the date the writer puts in masked."""
    return re.sub(r"<generatedate>[^<]*<", "<generatedate>DATE<", xml)


@pytest.fixture
def command():
    """Runs one of the built commands in a folder; returns the process."""
    folder = os.environ.get("MAROVEL_BIN_DIR")
    if not folder:
        pytest.skip("MAROVEL_BIN_DIR names no build of the commands")

    def run(name, *args, cwd):
        return subprocess.run([os.path.join(folder, name), *map(str, args)],
                              cwd=cwd, capture_output=True, text=True,
                              check=False)

    return run


def chain(length: int) -> marovel.Net:
    """p0 > t0 > p1 > ... > p<length>, which rule A folds into p0."""
    places = [f"p{i}" for i in range(length + 1)]
    transitions = [f"t{i}" for i in range(length)]
    arcs = [(f"p{i}", f"t{i}") for i in range(length)]
    arcs += [(f"t{i}", f"p{i + 1}") for i in range(length)]
    return marovel.Net.from_arcs(places, transitions, arcs)


def random_net(places: int, transitions: int, arcs: int, seed: int):
    """A random net's lists and arcs, every node on an arc, drawn from
    `seed`."""
    import random

    draw = random.Random(seed)
    place_names = [f"p{i}" for i in range(places)]
    transition_names = [f"t{i}" for i in range(transitions)]
    chosen = set()
    for i in range(max(places, transitions)):
        p = place_names[i % places]
        t = transition_names[i % transitions]
        chosen.add((p, t) if draw.random() < 0.5 else (t, p))
    while len(chosen) < arcs:
        p = draw.choice(place_names)
        t = draw.choice(transition_names)
        chosen.add((p, t) if draw.random() < 0.5 else (t, p))
    return place_names, transition_names, sorted(chosen)
