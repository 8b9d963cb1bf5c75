// The replay of a reduction: applies, forward and back, what the engine
// recorded at each step. Every node and arc gets the step that made it and
// the step that erased it once, on load, so that showing any step is a
// filter over those lifetimes.
(function () {
  'use strict';
  const D = JSON.parse(document.getElementById('marovel-data').textContent);
  const $ = (id) => document.getElementById(id);
  const SVG = 'http://www.w3.org/2000/svg';
  const names = D.names;
  const nodeCount = names.length;
  const placeCount = D.places;
  const N = D.rules.length;
  const NEVER = N + 1;
  const isPlace = (n) => n < placeCount;
  const kindOf = (n) => (isPlace(n) ? 'place' : 'transition');
  const label = (n) => kindOf(n) + " '" + names[n] + "'";

  // Arcs: ends, weights, lifetimes.
  const arcCount = D.arcs.length / 2;
  const arcFrom = new Int32Array(arcCount);
  const arcTo = new Int32Array(arcCount);
  for (let a = 0; a < arcCount; ++a) {
    arcFrom[a] = D.arcs[2 * a];
    arcTo[a] = D.arcs[2 * a + 1];
  }
  const arcWeight = new Map();
  for (let k = 0; k < D.weights.length; k += 2) arcWeight.set(D.weights[k], D.weights[k + 1]);
  const arcBorn = new Int32Array(arcCount);
  const arcDied = new Int32Array(arcCount).fill(NEVER);

  // Steps, from the flat lists "count, ids..." of the data.
  const stepNames = [], stepErased = [], stepRemoved = [];
  const stepAbsorber = new Int32Array(N + 1).fill(-1);
  const stepFirstAdded = new Int32Array(N + 2);
  const erasedAt = new Int32Array(nodeCount).fill(NEVER);
  const parent = new Int32Array(nodeCount).fill(-1);
  const children = new Map();  // absorber -> [[node, step]...]
  const counts = { places: new Int32Array(N + 1), transitions: new Int32Array(N + 1), arcs: new Int32Array(N + 1) };
  {
    const take = (list, at) => list.slice(at.i + 1, (at.i += list[at.i] + 1));
    const ni = { i: 0 }, ei = { i: 0 }, ri = { i: 0 };
    let places = placeCount, transitions = nodeCount - placeCount, arcs = D.inputArcs;
    let next = D.inputArcs;
    counts.places[0] = places; counts.transitions[0] = transitions; counts.arcs[0] = arcs;
    stepFirstAdded[1] = next;
    for (let k = 1; k <= N; ++k) {
      stepNames[k] = take(D.stepNames, ni);
      const erased = (stepErased[k] = take(D.erased, ei));
      const removed = (stepRemoved[k] = take(D.removed, ri));
      const absorber = (stepAbsorber[k] = D.absorber[k - 1]);
      for (const n of erased) {
        erasedAt[n] = k;
        if (isPlace(n)) --places; else --transitions;
        if (n === absorber) continue;
        parent[n] = absorber;
        if (!children.has(absorber)) children.set(absorber, []);
        children.get(absorber).push([n, k]);
      }
      for (const a of removed) arcDied[a] = k;
      const added = D.added[k - 1];
      for (let a = next; a < next + added; ++a) arcBorn[a] = k;
      next += added;
      stepFirstAdded[k + 1] = next;
      arcs += added - removed.length;
      counts.places[k] = places; counts.transitions[k] = transitions; counts.arcs[k] = arcs;
    }
  }
  const alive = (n, k) => erasedAt[n] > k;
  const arcAlive = (a, k) => arcBorn[a] <= k && k < arcDied[a];

  // The input nodes `n` stands for after step k, itself included.
  function members(n, k) {
    const out = [], todo = [n];
    while (todo.length) {
      const m = todo.pop();
      out.push(m);
      for (const [c, at] of children.get(m) || []) if (at <= k) todo.push(c);
    }
    return out;
  }
  // The node that stands for input node n after step k, or -1 when the node
  // that took it was itself erased with nothing left to stand for it.
  function standsFor(n, k) {
    let m = n;
    while (erasedAt[m] <= k && parent[m] >= 0) m = parent[m];
    return alive(m, k) ? m : -1;
  }

  let step = 0;
  let selected = -1;
  const views = [];

  function render() {
    $('slider').value = String(step);
    $('status').textContent = 'Step ' + step + ' of ' + N + ': ' + counts.places[step] + ' places, ' +
      counts.transitions[step] + ' transitions, ' + counts.arcs[step] + ' arcs';
    $('logline').textContent = step === 0 ? 'The input net, before any step.'
      : D.rules[step - 1] + ':' + stepNames[step].map((n) => names[n]).join(',') + ' reduced';
    if (selected >= 0 && !alive(selected, step)) selected = -1;
    for (const view of views) view();
  }

  function goTo(k) {
    k = Math.max(0, Math.min(N, Math.trunc(Number(k)) || 0));
    step = k;
    render();
  }

  // The picture: the input layout, every arc any step makes drawn once.
  function pictureView() {
    const L = D.layout;
    const margin = 30;
    const svg = document.createElementNS(SVG, 'svg');
    svg.setAttribute('viewBox', [-margin, -margin, L.w + 2 * margin, L.h + 2 * margin].join(' '));
    // A small net is drawn larger, up to twice its layout's size.
    const scale = Math.min(2, Math.max(1, 1000 / (L.w + 2 * margin)));
    svg.setAttribute('width', scale * (L.w + 2 * margin));
    svg.setAttribute('height', scale * (L.h + 2 * margin));
    svg.setAttribute('role', 'img');
    svg.setAttribute('aria-label', 'The net at the chosen step');
    svg.innerHTML = '<defs><marker id="arrow" viewBox="0 0 10 10" refX="10" refY="5" markerWidth="7" ' +
      'markerHeight="7" orient="auto-start-reverse"><path d="M0,0L10,5L0,10z" fill="#444"/></marker>' +
      '<pattern id="hatch" width="6" height="6" patternUnits="userSpaceOnUse" patternTransform="rotate(45)">' +
      '<rect width="6" height="6" fill="#fff3b0"/><line x1="0" y1="0" x2="0" y2="6" stroke="#8a6d00" stroke-width="2"/>' +
      '</pattern></defs>';
    const R = 14.4, HW = 27, HH = 10.8;
    // Where the segment from node n towards (tx, ty) leaves n's outline.
    function rim(n, tx, ty) {
      const x = L.x[n], y = L.y[n], dx = tx - x, dy = ty - y;
      const len = Math.hypot(dx, dy) || 1;
      if (isPlace(n)) return [x + dx / len * R, y + dy / len * R];
      const s = Math.min(HW / Math.abs(dx || 1e-9), HH / Math.abs(dy || 1e-9));
      return [x + dx * Math.min(s, 1), y + dy * Math.min(s, 1)];
    }
    const arcLayer = document.createElementNS(SVG, 'g');
    const nodeLayer = document.createElementNS(SVG, 'g');
    svg.append(arcLayer, nodeLayer);
    const arcEls = new Array(arcCount);
    for (let a = 0; a < arcCount; ++a) {
      const f = arcFrom[a], t = arcTo[a];
      const [x1, y1] = rim(f, L.x[t], L.y[t]);
      const [x2, y2] = rim(t, L.x[f], L.y[f]);
      const g = document.createElementNS(SVG, 'g');
      const line = document.createElementNS(SVG, 'line');
      line.setAttribute('x1', x1); line.setAttribute('y1', y1);
      line.setAttribute('x2', x2); line.setAttribute('y2', y2);
      line.setAttribute('marker-end', 'url(#arrow)');
      g.append(line);
      const w = arcWeight.get(a);
      if (w !== undefined) {
        const text = document.createElementNS(SVG, 'text');
        text.setAttribute('x', (x1 + x2) / 2 + 3);
        text.setAttribute('y', (y1 + y2) / 2 - 3);
        text.textContent = String(w);
        g.append(text);
      }
      g.setAttribute('class', 'arc gone');
      arcLayer.append(g);
      arcEls[a] = g;
    }
    const nodeEls = new Array(nodeCount);
    for (let n = 0; n < nodeCount; ++n) {
      const g = document.createElementNS(SVG, 'g');
      g.setAttribute('class', 'node');
      g.dataset.node = String(n);
      let shape;
      if (isPlace(n)) {
        shape = document.createElementNS(SVG, 'circle');
        shape.setAttribute('cx', L.x[n]); shape.setAttribute('cy', L.y[n]); shape.setAttribute('r', R);
      } else {
        shape = document.createElementNS(SVG, 'rect');
        shape.setAttribute('x', L.x[n] - HW); shape.setAttribute('y', L.y[n] - HH);
        shape.setAttribute('width', 2 * HW); shape.setAttribute('height', 2 * HH);
      }
      const title = document.createElementNS(SVG, 'title');
      title.textContent = label(n);
      const text = document.createElementNS(SVG, 'text');
      text.setAttribute('x', L.x[n]);
      text.setAttribute('y', L.y[n] + (isPlace(n) ? R + 11 : 4));
      text.setAttribute('text-anchor', 'middle');
      text.textContent = names[n];
      g.append(title, shape, text);
      nodeLayer.append(g);
      nodeEls[n] = g;
    }
    svg.addEventListener('click', (event) => {
      const g = event.target.closest('.node');
      if (!g) return;
      const n = Number(g.dataset.node);
      if (alive(n, step)) select(n === selected ? -1 : n);
    });
    $('canvas').append(svg);
    const arcClass = new Array(arcCount).fill('arc gone');
    const nodeClass = new Array(nodeCount).fill('node');
    return function () {
      const touched = new Set(step > 0 ? stepNames[step].concat([stepAbsorber[step]]) : []);
      const stood = new Set(selected >= 0 ? members(selected, step) : []);
      for (let n = 0; n < nodeCount; ++n) {
        let c = 'node';
        if (erasedAt[n] < step && !stood.has(n)) c += ' gone';
        else if (erasedAt[n] <= step) c += ' erased';
        if (touched.has(n)) c += ' touched';
        if (stood.has(n) && n !== selected) c += ' member';
        if (n === selected) c += ' selected';
        if (c !== nodeClass[n]) nodeEls[n].setAttribute('class', (nodeClass[n] = c));
      }
      for (let a = 0; a < arcCount; ++a) {
        let c = 'arc';
        if (arcAlive(a, step)) { if (step > 0 && arcBorn[a] === step) c += ' added'; }
        else if (step > 0 && arcDied[a] === step) c += ' removed';
        else c += ' gone';
        if (c !== arcClass[a]) arcEls[a].setAttribute('class', (arcClass[a] = c));
      }
      $('selection').textContent = selected < 0 ? '' :
        label(selected) + ' stands for ' + stood.size + ' input node' + (stood.size === 1 ? '' : 's') +
        ' at step ' + step + ': ' + [...stood].map((n) => names[n]).sort().join(', ');
    };
  }

  // Adjacency over every arc any step makes, for the neighbourhoods.
  function adjacency() {
    const start = new Int32Array(nodeCount + 1);
    for (let a = 0; a < arcCount; ++a) { ++start[arcFrom[a] + 1]; ++start[arcTo[a] + 1]; }
    for (let n = 0; n < nodeCount; ++n) start[n + 1] += start[n];
    const fill = start.slice(0, nodeCount);
    const arcsOf = new Int32Array(2 * arcCount);
    for (let a = 0; a < arcCount; ++a) { arcsOf[fill[arcFrom[a]]++] = a; arcsOf[fill[arcTo[a]]++] = a; }
    return { start, arcsOf };
  }

  // Survivors' table (only the rows in sight are made) and the chosen
  // node's neighbourhood, laid out in rings by distance.
  function bigView() {
    const adj = adjacency();
    const ROW = 24;
    const table = $('table'), body = $('table-body');
    let rows = [], sizes = null, sortBy = 'size', sizeStep = -1;
    function sizesAt(k) {
      if (sizeStep === k) return sizes;
      sizes = new Int32Array(nodeCount).fill(1);
      for (let s = 1; s <= k; ++s)
        for (const n of stepErased[s]) if (n !== stepAbsorber[s]) sizes[stepAbsorber[s]] += sizes[n];
      sizeStep = k;
      return sizes;
    }
    function drawRows() {
      const first = Math.floor(table.scrollTop / ROW);
      const last = Math.min(rows.length, first + Math.ceil(table.clientHeight / ROW) + 2);
      body.replaceChildren();
      for (let r = first; r < last; ++r) {
        const n = rows[r];
        const div = document.createElement('div');
        div.className = 'row body' + (n === selected ? ' chosen' : '');
        div.style.top = r * ROW + 'px';
        div.dataset.node = String(n);
        div.setAttribute('role', 'row');
        const cells = [[names[n], 'name'], [kindOf(n), 'kind'], [String(sizes[n]), 'size']];
        for (const [text, cls] of cells) {
          const span = document.createElement('span');
          span.className = 'cell ' + cls;
          span.textContent = text;
          div.append(span);
        }
        body.append(div);
      }
    }
    table.addEventListener('scroll', () => requestAnimationFrame(drawRows));
    body.addEventListener('click', (event) => {
      const row = event.target.closest('.row');
      if (row) select(Number(row.dataset.node));
    });
    for (const button of document.querySelectorAll('#table-head button'))
      button.addEventListener('click', () => { sortBy = button.dataset.sort; render(); });
    $('distance').addEventListener('change', render);
    function drawHood() {
      const hood = $('hood');
      if (selected < 0) { hood.replaceChildren(); $('hood-title').textContent = 'Choose a node in the table.'; return; }
      const limit = Math.max(1, Math.min(4, Number($('distance').value) || 1));
      const CAP = 400;
      const dist = new Map([[selected, 0]]);
      const rings = [[selected]];
      const arcs = [];
      for (let d = 0; d < limit && dist.size < CAP; ++d) {
        const ring = [];
        for (const n of rings[d]) {
          for (let i = adj.start[n]; i < adj.start[n + 1]; ++i) {
            const a = adj.arcsOf[i];
            if (!arcAlive(a, step)) continue;
            const m = arcFrom[a] === n ? arcTo[a] : arcFrom[a];
            if (!dist.has(m)) {
              if (dist.size >= CAP) continue;
              dist.set(m, d + 1);
              ring.push(m);
            }
          }
        }
        rings.push(ring);
      }
      for (const n of dist.keys())
        for (let i = adj.start[n]; i < adj.start[n + 1]; ++i) {
          const a = adj.arcsOf[i];
          if (arcFrom[a] === n && arcAlive(a, step) && dist.has(arcTo[a])) arcs.push(a);
        }
      const size = 2 * (limit * 110 + 60);
      const c = size / 2, pos = new Map();
      rings.forEach((ring, d) => ring.forEach((n, i) => {
        const angle = 2 * Math.PI * i / Math.max(1, ring.length) + d * 0.3;
        pos.set(n, [c + d * 110 * Math.cos(angle), c + d * 110 * Math.sin(angle)]);
      }));
      let svg = '<svg xmlns="' + SVG + '" width="' + size + '" height="' + size + '" role="img" aria-label="Neighbourhood">' +
        '<defs><marker id="harrow" viewBox="0 0 10 10" refX="18" refY="5" markerWidth="7" markerHeight="7" orient="auto">' +
        '<path d="M0,0L10,5L0,10z" fill="#444"/></marker></defs>';
      for (const a of arcs) {
        const [x1, y1] = pos.get(arcFrom[a]), [x2, y2] = pos.get(arcTo[a]);
        svg += '<line x1="' + x1 + '" y1="' + y1 + '" x2="' + x2 + '" y2="' + y2 +
          '" stroke="#444" marker-end="url(#harrow)"/>';
        const w = arcWeight.get(a);
        if (w !== undefined) svg += '<text x="' + (x1 + x2) / 2 + '" y="' + (y1 + y2) / 2 + '">' + w + '</text>';
      }
      hood.innerHTML = svg + '</svg>';
      const drawn = hood.firstChild;
      for (const [n, [x, y]] of pos) {
        const g = document.createElementNS(SVG, 'g');
        g.setAttribute('class', 'node' + (n === selected ? ' selected' : ''));
        const shape = document.createElementNS(SVG, isPlace(n) ? 'circle' : 'rect');
        if (isPlace(n)) { shape.setAttribute('cx', x); shape.setAttribute('cy', y); shape.setAttribute('r', 10); }
        else { shape.setAttribute('x', x - 16); shape.setAttribute('y', y - 8); shape.setAttribute('width', 32); shape.setAttribute('height', 16); }
        const text = document.createElementNS(SVG, 'text');
        text.setAttribute('x', x); text.setAttribute('y', y + 22); text.setAttribute('text-anchor', 'middle');
        text.textContent = names[n];
        const title = document.createElementNS(SVG, 'title');
        title.textContent = label(n);
        g.append(title, shape, text);
        drawn.append(g);
      }
      $('hood-title').textContent = label(selected) + ': ' + dist.size + ' nodes within distance ' + limit +
        (dist.size >= CAP ? ' (the first ' + CAP + ')' : '') + ' at step ' + step;
    }
    return function () {
      sizesAt(step);
      rows = [];
      for (let n = 0; n < nodeCount; ++n) if (erasedAt[n] > step) rows.push(n);
      if (sortBy === 'size') rows.sort((a, b) => sizes[b] - sizes[a] || a - b);
      body.style.height = rows.length * ROW + 'px';
      drawRows();
      drawHood();
    };
  }

  function select(n) {
    selected = n;
    render();
  }

  function find(text) {
    const hits = [];
    for (let n = 0; n < nodeCount; ++n) if (names[n] === text) hits.push(n);
    if (!hits.length) { $('found').textContent = "No input node is named '" + text + "'."; return; }
    const said = hits.map((n) => {
      let s = label(n);
      if (parent[n] >= 0 || erasedAt[n] <= N) {
        const absorbed = erasedAt[n];
        const now = standsFor(n, step);
        if (absorbed > step) s += ' is in the net at step ' + step + ' (it goes at step ' + absorbed + ')';
        else if (now < 0) s += ' was erased at step ' + absorbed + ' with nothing left to stand for it';
        else s += ' was absorbed at step ' + absorbed + '; at step ' + step + ' ' + label(now) + ' stands for it';
      } else s += ' is never absorbed: it stands for itself at step ' + step;
      return s + '.';
    });
    $('found').textContent = said.join(' ');
    const now = standsFor(hits[0], step);
    if (now >= 0) select(now);
  }

  document.title = D.title + ' \u2014 marovel reduction';
  $('title').textContent = D.title;
  $('summary').textContent = D.summary.join('\n');
  $('slider').max = String(N);
  $('slider').addEventListener('input', () => goTo($('slider').value));
  $('first').addEventListener('click', () => goTo(0));
  $('prev').addEventListener('click', () => goTo(step - 1));
  $('next').addEventListener('click', () => goTo(step + 1));
  $('last').addEventListener('click', () => goTo(N));
  document.addEventListener('keydown', (event) => {
    const tag = event.target.tagName;
    if (tag === 'INPUT' && event.target.type !== 'range') return;
    const to = { ArrowLeft: step - 1, ArrowRight: step + 1, Home: 0, End: N }[event.key];
    if (to === undefined) return;
    event.preventDefault();
    goTo(to);
  });
  $('search-form').addEventListener('submit', (event) => {
    event.preventDefault();
    find($('search').value);
  });
  if (D.layout) { $('picture').hidden = false; views.push(pictureView()); }
  else { $('big').hidden = false; views.push(bigView()); }
  render();

  window.marovelPage = {
    steps: N,
    goTo: goTo,
    state: () => ({ step: step, places: counts.places[step], transitions: counts.transitions[step], arcs: counts.arcs[step] }),
  };
})();
