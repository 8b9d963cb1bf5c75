"""Measures net2html on a large net: the time to write the page against
marovel's whole run, the page's size against the input's, and in headless
Chromium the first paint and the longest task while the replay is driven.

    /usr/bin/python3 bench/net2html_page.py BUILD_DIR [WORK_DIR]

The net (written to WORK_DIR/big.xml unless there) has 40,000 transitions
and about 700,000 arcs: 2,500 pairs of places in series around a
transition (rule A fuses each, 2,500 steps in all), and 37,500 transitions
with 18 or 19 arcs each to and from 20,000 places drawn at random (seed 1),
where no rule applies."""

import os
import random
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.support.ui import WebDriverWait

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "tests", "browser"))
from headless import start_chromium  # noqa: E402


def write_net(path):
    rng = random.Random(1)
    chains, hubs, places = 2500, 37500, 20000
    with open(path, "w", encoding="utf-8") as out:
        out.write("<petrinet>\n<placelist>\n")
        for p in range(places):
            out.write('<place name="p%d"><info>p%d</info></place>\n' % (p, p))
        for c in range(chains):
            out.write('<place name="a%d"><info>a%d</info></place>\n'
                      '<place name="b%d"><info>b%d</info></place>\n' % (c, c, c, c))
        out.write("</placelist>\n<transitionlist>\n")
        for t in range(hubs):
            out.write('<transition name="t%d"><info>t%d</info></transition>\n'
                      % (t, t))
        for c in range(chains):
            out.write('<transition name="c%d"><info>c%d</info></transition>\n'
                      % (c, c))
        out.write("</transitionlist>\n<edgelist>\n")
        for t in range(hubs):
            ends = rng.sample(range(places), 18 + t % 2)
            for k, p in enumerate(ends):
                if k % 2:
                    out.write('<edge from="t%d" to="p%d"/>\n' % (t, p))
                else:
                    out.write('<edge from="p%d" to="t%d"/>\n' % (p, t))
        for c in range(chains):
            # a -> c -> b, and b feeds one hub: rule A fuses b into a.
            out.write('<edge from="a%d" to="c%d"/>\n<edge from="c%d" to="b%d"/>\n'
                      % (c, c, c, c))
            out.write('<edge from="b%d" to="t%d"/>\n<edge from="t%d" to="a%d"/>\n'
                      % (c, c, (c + 1) % hubs, c))
        out.write("</edgelist>\n</petrinet>\n")


def timed(command):
    start = time.monotonic()
    # marovel's status is 1 when it wrote a reduced net.
    run = subprocess.run(command, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, check=False)
    assert run.returncode in (0, 1), run.stderr
    return time.monotonic() - start


def main(build, work=None):
    work = work or tempfile.mkdtemp(prefix="net2html-bench-")
    net = os.path.join(work, "big.xml")
    if not os.path.exists(net):
        write_net(net)
    page = os.path.join(work, "big.html")
    marovel = min(timed([os.path.join(build, "marovel"), net, "-o",
                         os.path.join(work, "reduced.xml")]) for _ in range(3))
    net2html = min(timed([os.path.join(build, "net2html"), net, "-o", page])
                   for _ in range(3))
    print("marovel's whole run: %.2f s; net2html: %.2f s (%.2fx)"
          % (marovel, net2html, net2html / marovel))
    print("input %.1f MB; page %.1f MB (%.2f of the input)"
          % (os.path.getsize(net) / 1e6, os.path.getsize(page) / 1e6,
             os.path.getsize(page) / os.path.getsize(net)))

    driver = start_chromium(work)
    try:
        driver.set_script_timeout(300)
        driver.get("file://" + page)
        WebDriverWait(driver, 120).until(
            lambda d: d.execute_script("return !!window.marovelPage"))
        paint = driver.execute_script(
            "const e = performance.getEntriesByType('paint');"
            "return e.length ? e[e.length - 1].startTime : null;")
        loaded = driver.execute_script(
            "return performance.getEntriesByType('navigation')[0].loadEventEnd;")
        print("first paint: %.0f ms; load event ended: %.0f ms" % (paint, loaded))
        # Long tasks while the replay is driven: random jumps, the table
        # sorted both ways and scrolled, neighbourhoods drawn.
        longest = driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            let longest = 0;
            new PerformanceObserver((list) => {
              for (const e of list.getEntries()) longest = Math.max(longest, e.duration);
            }).observe({type: 'longtask'});
            const page = window.marovelPage, table = document.getElementById('table');
            let n = 0, worst = 0;
            const acts = [];
            for (let i = 0; i < 20; ++i) acts.push(() => page.goTo(Math.floor(Math.random() * (page.steps + 1))));
            acts.push(() => document.querySelector('[data-sort=name]').click());
            acts.push(() => document.querySelector('[data-sort=size]').click());
            acts.push(() => { table.scrollTop = 50000; table.dispatchEvent(new Event('scroll')); });
            acts.push(() => document.querySelector('#table-body .row').click());
            acts.push(() => { document.getElementById('distance').value = 3;
                              document.getElementById('distance').dispatchEvent(new Event('change')); });
            acts.push(() => page.goTo(page.steps));
            function next() {
              if (n === acts.length) { setTimeout(() => done([longest, worst]), 500); return; }
              const start = performance.now();
              acts[n++]();
              worst = Math.max(worst, performance.now() - start);
              requestAnimationFrame(() => setTimeout(next, 50));
            }
            next();""")
        print("longest task while driven: %.0f ms; slowest action: %.0f ms"
              % tuple(longest))
    finally:
        driver.quit()


if __name__ == "__main__":
    main(*sys.argv[1:])
