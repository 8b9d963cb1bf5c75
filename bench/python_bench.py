"""The Python package's side of bench/python_run.sh.

  python_bench.py run IN OUT    read IN, reduce it, write OUT: a whole run,
                                timed from outside against the command's
  python_bench.py access IN     items a second of net.places, .transitions,
                                .arcs and .aggregates on IN, before and
                                after a reduction (best of three each)
  python_bench.py small DIR     random nets of the sizes process-mining
                                studies quote, written as PNML into DIR and
                                reduced through the package, every node
                                free to go (best of five each)
"""

import pathlib
import random
import sys
import time

import marovel

# (places, transitions, arcs) of the nets the small runs generate.
SMALL_NETS = ((250, 250, 545), (469, 472, 1094))


def whole_run(source: str, output: str) -> None:
    net = marovel.read(source)
    net.reduce()
    net.write(output)


def best_of(times: int, call):
    """The shortest of `times` timings of call(), and its last result."""
    best, result = float("inf"), None
    for _ in range(times):
        start = time.perf_counter()
        result = call()
        best = min(best, time.perf_counter() - start)
    return best, result


def access(source: str) -> None:
    net = marovel.read(source)
    for state in ("read", "reduced"):
        if state == "reduced":
            net.reduce()
        for name in ("places", "transitions", "arcs", "aggregates"):
            seconds, items = best_of(3, lambda: len(getattr(net, name)))
            print(f"{state:8} {name:12} {items:9} items {seconds:7.3f} s "
                  f"{items / seconds / 1e6:6.2f} M items/s")


def random_net(places: int, transitions: int, arcs: int, seed: int):
    """Lists and arcs of a random net of exactly these counts: every node
    on an arc, each arc a fresh place/transition pair either way."""
    draw = random.Random(seed)
    place_names = [f"p{i}" for i in range(places)]
    transition_names = [f"t{i}" for i in range(transitions)]
    chosen = set()

    def add(place, transition):
        chosen.add((place, transition) if draw.random() < 0.5 else
                   (transition, place))

    for i in range(max(places, transitions)):
        add(place_names[i % places], transition_names[i % transitions])
    while len(chosen) < arcs:
        add(draw.choice(place_names), draw.choice(transition_names))
    return place_names, transition_names, sorted(chosen)


def small(folder: str) -> None:
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    print("net                                   | whole run s | left")
    for places, transitions, arcs in SMALL_NETS:
        source = folder / f"random-{places}-{transitions}-{arcs}.pnml"
        marovel.Net.from_arcs(*random_net(places, transitions, arcs,
                                          seed=1)).write_pnml(source)

        def run():
            net = marovel.read(source)
            net.reduce()
            net.write_pnml(folder / "reduced.pnml")
            return net

        seconds, net = best_of(5, run)
        print(f"{places} places, {transitions} transitions, {arcs} arcs "
              f"| {seconds:11.4f} | {net.place_count} places, "
              f"{net.transition_count} transitions")


def main(argv) -> int:
    if len(argv) == 4 and argv[1] == "run":
        whole_run(argv[2], argv[3])
    elif len(argv) == 3 and argv[1] == "access":
        access(argv[2])
    elif len(argv) == 3 and argv[1] == "small":
        small(argv[2])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
