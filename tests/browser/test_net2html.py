"""net2html's pages in headless Chromium: the replay's counts against
marovel's own at every step, search and click-to-highlight, no console
error and no request leaving the page.

Run by ctest (see CMakeLists.txt) with the built commands named in the
environment: MAROVEL (the reference counts: the build without sanitizers
when there is one, for speed), NET2HTML and MAROVEL_SOURCE_DIR."""

import json
import os
import random
import re
import subprocess
import tempfile
from concurrent.futures import ThreadPoolExecutor

import pytest
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

from headless import start_chromium

MAROVEL = os.environ["MAROVEL"]
NET2HTML = os.environ["NET2HTML"]
SOURCE = os.environ["MAROVEL_SOURCE_DIR"]
EXAMPLES = os.path.join(SOURCE, "examples")


@pytest.fixture(scope="module")
def workdir():
    with tempfile.TemporaryDirectory(prefix="net2html-browser-") as path:
        yield path


@pytest.fixture(scope="module")
def browser(workdir):
    driver = start_chromium(workdir, logs=True)
    driver.set_script_timeout(120)
    yield driver
    driver.quit()


def bench_net(path, nodes=3000, seed=7):
    """A net of about `nodes` nodes that every rule reduces somewhere:
    chains, parallel places, self-loops and random cross arcs."""
    rng = random.Random(seed)
    places, transitions, edges = [], [], []
    while len(places) + len(transitions) < nodes:
        k = len(transitions)
        p, q, t = "p%d" % len(places), "p%d" % (len(places) + 1), "t%d" % k
        places += [p, q]
        transitions.append(t)
        edges += [(p, t, 1), (t, q, 1 + (k % 5 == 0))]
        if k % 4 == 1:
            places.append("s%d" % k)
            edges += [("s%d" % k, t, 1), (t, "s%d" % k, 1)]
        if k and rng.random() < 0.6:
            edges.append((transitions[rng.randrange(k)], p, 1))
    with open(path, "w", encoding="utf-8") as out:
        out.write("<petrinet>\n<placelist>\n")
        out.writelines('<place name="%s"><info>%s</info></place>\n' % (p, p)
                      for p in places)
        out.write("</placelist>\n<transitionlist>\n")
        out.writelines('<transition name="%s"><info>%s</info></transition>\n'
                      % (t, t) for t in transitions)
        out.write("</transitionlist>\n<edgelist>\n")
        for source, target, weight in edges:
            out.write('<edge from="%s" to="%s" multiplicity="%d"/>\n'
                      % (source, target, weight))
        out.write("</edgelist>\n</petrinet>\n")


def marovel_counts(net, steps, workdir):
    os.makedirs(workdir, exist_ok=True)
    """The counts of marovel -v's "left:" line after `steps` steps (a run
    that stops at its step limit exits with 1, the net written all the
    same)."""
    run = subprocess.run(
        [MAROVEL, "-v", "--steps=%d" % steps, "-o",
         os.path.join(workdir, "reduced.xml"), net],
        capture_output=True, text=True, check=False)
    left = re.search(r"marovel: left: (\d+) places?, (\d+) transitions?, "
                     r"(\d+) arcs?", run.stderr)
    assert left, run.stderr
    return tuple(int(n) for n in left.groups())


def open_page(browser, net, workdir):
    page = os.path.join(workdir, os.path.basename(net) + ".html")
    subprocess.run([NET2HTML, net, "-o", page], check=True,
                   capture_output=True)
    browser.get_log("browser")
    browser.get_log("performance")
    browser.get("file://" + page)
    WebDriverWait(browser, 30).until(
        lambda d: d.execute_script("return !!window.marovelPage"))
    return "file://" + page


def page_problems(browser, url):
    """Console errors, and every request the page made but its own load
    (the browser's own pages, such as its new tab, are not the page's)."""
    errors = [entry["message"] for entry in browser.get_log("browser")
              if entry["level"] == "SEVERE"]
    requests = []
    for entry in browser.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] != "Network.requestWillBeSent":
            continue
        params = message["params"]
        target = params["request"]["url"]
        if params.get("documentURL") == url and target != url:
            requests.append(target)
    return errors, requests


STATUS = re.compile(r"^Step (\d+) of (\d+): (\d+) places, (\d+) transitions, "
                    r"(\d+) arcs$")


def statuses(browser):
    """goTo(k) for every step k; the status element's text after each."""
    return browser.execute_script("""
        const page = window.marovelPage, seen = [];
        for (let k = 0; k <= page.steps; ++k) {
          page.goTo(k);
          seen.push(document.getElementById('status').textContent);
        }
        return seen;""")


def example_nets():
    return sorted(os.path.join(EXAMPLES, name) for name in os.listdir(EXAMPLES)
                  if name.endswith(".xml"))


@pytest.mark.parametrize("net", example_nets() + ["bench"],
                         ids=lambda n: os.path.basename(n))
def test_status_matches_marovel_at_every_step(browser, workdir, net):
    if net == "bench":
        net = os.path.join(workdir, "bench.xml")
        bench_net(net)
    url = open_page(browser, net, workdir)
    seen = statuses(browser)
    steps = len(seen) - 1
    assert steps > 0
    # marovel's runs, two at a time, each writing its own output.
    with ThreadPoolExecutor(max_workers=2) as pool:
        expected = list(pool.map(
            lambda k: marovel_counts(net, k, os.path.join(workdir, str(k % 2))),
            range(steps + 1)))
    for k, text in enumerate(seen):
        match = STATUS.match(text)
        assert match, text
        assert (int(match[1]), int(match[2])) == (k, steps)
        counts = tuple(int(n) for n in match.groups()[2:])
        assert counts == expected[k], "step %d" % k
    # The whole run stops where marovel's does.
    assert marovel_counts(net, steps + 1, workdir) == counts
    state = browser.execute_script(
        "window.marovelPage.goTo(1); return window.marovelPage.state();")
    assert state == dict(zip(("step", "places", "transitions", "arcs"),
                             (1,) + marovel_counts(net, 1, workdir)))
    assert page_problems(browser, url) == ([], [])


def test_pnml_input_and_options(browser, workdir):
    net = os.path.join(EXAMPLES, "print_shop.pnml")
    url = open_page(browser, net, workdir)
    assert browser.execute_script("return window.marovelPage.steps") > 0
    page = os.path.join(workdir, "limited.html")
    subprocess.run([NET2HTML, os.path.join(EXAMPLES, "series.xml"),
                    "--steps=1", "--rules=A", "-o", page], check=True,
                   capture_output=True)
    browser.get("file://" + page)
    WebDriverWait(browser, 30).until(
        lambda d: d.execute_script("return !!window.marovelPage"))
    assert browser.execute_script("return window.marovelPage.steps") == 1
    assert browser.find_element(By.ID, "logline").text == \
        "The input net, before any step."


def test_replay_search_and_highlight(browser, workdir):
    url = open_page(browser, os.path.join(EXAMPLES, "series.xml"), workdir)
    status = browser.find_element(By.ID, "status")
    log = browser.find_element(By.ID, "logline")
    body = browser.find_element(By.TAG_NAME, "body")
    body.send_keys(Keys.ARROW_RIGHT)
    assert status.text.startswith("Step 1 of 2:")
    assert log.text == "A:p_boards,t_cut,p_cut reduced"
    node = lambda name: browser.find_element(
        By.XPATH, "//*[local-name()='g'][*[local-name()='title']"
                  "[substring-after(., \"'\")=\"%s'\"]]" % name)
    assert "touched" in node("p_boards").get_attribute("class")
    assert "erased" in node("p_cut").get_attribute("class")
    body.send_keys(Keys.ARROW_RIGHT)
    assert log.text == "B:t_assemble,p_frame,t_sand reduced"
    body.send_keys(Keys.ARROW_LEFT)
    assert status.text.startswith("Step 1 of 2:")
    assert "gone" not in node("t_sand").get_attribute("class")

    browser.execute_script("window.marovelPage.goTo(2)")
    search = browser.find_element(By.ID, "search")
    search.send_keys("t_cut", Keys.ENTER)
    found = browser.find_element(By.ID, "found").text
    assert "transition 't_cut' was absorbed at step 1" in found
    assert "place 'p_boards' stands for it" in found
    search.clear()
    search.send_keys("nothing", Keys.ENTER)
    assert "No input node is named 'nothing'" in \
        browser.find_element(By.ID, "found").text

    # Clicking a survivor hatches what it stands for, on the input picture.
    browser.execute_script("window.marovelPage.goTo(2)")
    node("t_assemble").click()
    selection = browser.find_element(By.ID, "selection").text
    assert selection.endswith("t_assemble, t_sand")
    assert "member" in node("t_sand").get_attribute("class")
    assert "member" not in node("p_boards").get_attribute("class")
    assert page_problems(browser, url) == ([], [])


def test_big_net_table_and_neighbourhood(browser, workdir):
    """Above the picture's limit: the survivors' table, largest first, and
    the chosen node's neighbourhood at the step shown."""
    net = os.path.join(workdir, "big-view.xml")
    bench_net(net)
    url = open_page(browser, net, workdir)
    assert not browser.find_element(By.ID, "big").get_attribute("hidden")
    browser.execute_script(
        "window.marovelPage.goTo(window.marovelPage.steps)")
    rows = browser.find_elements(By.CSS_SELECTOR, "#table-body .row")
    # Only the rows in sight are made, largest aggregate first.
    assert 0 < len(rows) < 100
    sizes = [int(row.find_element(By.CSS_SELECTOR, ".size").text)
             for row in rows]
    assert sizes == sorted(sizes, reverse=True) and sizes[0] > 1
    name = rows[0].find_element(By.CSS_SELECTOR, ".name").text
    rows[0].click()
    title = browser.find_element(By.ID, "hood-title").text
    assert title.startswith("place '%s': " % name) or \
        title.startswith("transition '%s': " % name), title
    assert "within distance 1 at step" in title
    assert browser.find_elements(By.CSS_SELECTOR, "#hood svg .node.selected")
    assert page_problems(browser, url) == ([], [])
