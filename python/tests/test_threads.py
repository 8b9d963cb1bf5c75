"""A reduction runs without the GIL, shares its net safely, and stops on
Ctrl-C."""

import _thread
import threading
import time

import pytest

from conftest import chain, undated


def test_other_threads_run_while_a_net_is_reduced():
    net = chain(200_000)
    ticks = 0
    stop = threading.Event()

    def count():
        nonlocal ticks
        while not stop.is_set():
            ticks += 1

    thread = threading.Thread(target=count)
    thread.start()
    try:
        time.sleep(0.01)
        before = ticks
        net.reduce()
        during = ticks - before
    finally:
        stop.set()
        thread.join()
    assert net.place_count == 1
    assert during > 1000


def test_a_thread_reading_the_net_waits_for_the_reduction():
    net = chain(100_000)
    counts = []
    started = threading.Event()

    def read_while_reduced():
        started.wait()
        counts.append(net.place_count)

    thread = threading.Thread(target=read_while_reduced)
    thread.start()
    net.reduce(on_step=lambda rule, names: started.set())
    thread.join()
    # The reading came before or after the run, never in the middle of a
    # step.
    assert counts[0] == 1


def test_ctrl_c_stops_a_reduction_and_leaves_the_net_valid():
    whole = chain(100_000)
    whole.reduce()

    net = chain(100_000)
    # on_step is a C function, which lets a signal wait: the signal is then
    # seen by the reduction's own check, every few thousand steps.
    seen = {}
    sent = []

    def interrupt():
        while not seen:
            time.sleep(0.001)
        sent.append(time.monotonic())
        _thread.interrupt_main()

    interrupter = threading.Thread(target=interrupt)
    interrupter.start()
    with pytest.raises(KeyboardInterrupt):
        net.reduce(on_step=seen.__setitem__)
    stopped_after = time.monotonic() - sent[0]
    interrupter.join()
    assert 1 < net.place_count < 100_001
    assert (100_001 - net.place_count) % 4096 == 0
    assert stopped_after < 1.0
    net.reduce()
    assert undated(net.to_xml()) == undated(whole.to_xml())
