// The patch editor of vtxhost serve: the patch drawn with Drawflow, driven by the live
// session's protocol over a WebSocket. Every change goes to the server first; the drawing
// follows the server's answer (a refused link is taken back, with the reason shown).
'use strict';

const token = new URLSearchParams(location.search).get('token') || '';
const $ = (selector) => document.querySelector(selector);
const element = (tag, props = {}, children = []) => {
  const node = Object.assign(document.createElement(tag), props);
  for (const child of children) node.append(child);
  return node;
};

// ---- the connection ----------------------------------------------------------------------

let socket = null;
let nextId = 1;
const waiting = new Map();

function send(command) {
  return new Promise((resolve) => {
    const id = nextId++;
    waiting.set(id, resolve);
    socket.send(JSON.stringify(Object.assign({ id }, command)));
  });
}

function connect() {
  socket = new WebSocket(`ws://${location.host}/ws?token=${encodeURIComponent(token)}`);
  socket.onopen = async () => {
    for (const topic of ['sinks', 'messages', 'profiling', 'state']) await send({ cmd: 'subscribe', topic });
    await refresh();
  };
  socket.onmessage = (message) => {
    const data = JSON.parse(message.data);
    if ('event' in data) return onEvent(data);
    const resolve = waiting.get(data.id);
    waiting.delete(data.id);
    if (resolve) resolve(data);
  };
  socket.onclose = (close) => notice(`the connection closed${close.reason ? ': ' + close.reason : ''}`, true);
}

// Marks the page busy while a change and the redraw it causes are under way (the browser
// test waits for data-busy to be 0).
let busyCount = 0;
async function busy(work) {
  document.body.dataset.busy = String(++busyCount);
  try { return await work(); } finally { document.body.dataset.busy = String(--busyCount); }
}

function notice(text, error = false) {
  const box = $('#notice');
  box.textContent = text;
  box.className = error ? 'error' : '';
}

// An answer that is a refusal is shown; the answer comes back either way.
async function ask(command) {
  const answer = await send(command);
  if (!answer.ok) notice(`${command.cmd}: ${answer.error}`, true);
  return answer;
}

// ---- the patch -----------------------------------------------------------------------------

const editor = new Drawflow($('#drawflow'));
editor.reroute = false;
editor.start();

let patch = { blocks: [], links: [], state: 'stopped' };
const nodeOf = new Map();   // block name -> node id
const blockOf = new Map();  // node id -> block description
const values = new Map();   // "block.pin" -> latest value text
const watched = new Set();  // blocks whose values this page subscribed to
let drawing = false;        // events of our own drawing are not changes of the user's
let selected = null;
const refusals = new Map();  // "block.parameter" -> the reason its last value was refused
let hiddenOpen = false;     // whether the fold of hidden parameters is open

const pinName = (pins, cls) => (pins[Number(cls.split('_')[1]) - 1] || {}).id;
const pinClass = (kind, pins, id) => `${kind}_${pins.findIndex((pin) => pin.id === id) + 1}`;
const bitmapUrl = (catalog, cls) =>
  `/api/bitmap?catalog=${encodeURIComponent(catalog)}&class=${encodeURIComponent(cls)}`;

function nodeHtml(block) {
  const head = element('div', { className: 'node-head' });
  if (hasBitmap(block.catalog, block.class)) head.append(element('img', { src: bitmapUrl(block.catalog, block.class), alt: '' }));
  head.append(element('div', {}, [element('strong', { textContent: block.name }),
    element('div', { className: 'node-class', textContent: `${block.catalog}/${block.class}` })]));
  const pins = element('div', { className: 'node-pins' }, [
    element('div', { textContent: block.inputs.map((pin) => pin.id).join(', ') }),
    element('div', { textContent: block.outputs.map((pin) => pin.id).join(', ') })]);
  const value = element('div', { className: 'node-value', textContent: values.get(`${block.name}.input`) || '' });
  value.dataset.block = block.name;
  return element('div', {}, [head, pins, value]).innerHTML;
}

// Columns by the longest chain of links leading to a block; rows in patch order.
function autoLayout(blocks, links) {
  const depth = new Map(blocks.map((block) => [block.name, 0]));
  for (let pass = 0; pass < blocks.length; ++pass)
    for (const link of links) {
      const from = link.from.split('.')[0], to = link.to.split('.')[0];
      if (depth.get(to) < depth.get(from) + 1) depth.set(to, depth.get(from) + 1);
    }
  const rows = new Map();
  const place = new Map();
  for (const block of blocks) {
    const column = depth.get(block.name);
    const row = rows.get(column) || 0;
    rows.set(column, row + 1);
    place.set(block.name, { x: 40 + column * 300, y: 40 + row * 140 });
  }
  return place;
}

const moved = new Map();  // positions the user dragged blocks to, kept across redraws

function draw() {
  drawing = true;
  editor.clear();
  nodeOf.clear();
  blockOf.clear();
  const place = autoLayout(patch.blocks, patch.links);
  for (const block of patch.blocks) {
    const at = moved.get(block.name) || place.get(block.name);
    const id = editor.addNode(block.name, block.inputs.length, block.outputs.length, at.x, at.y, 'block', {}, nodeHtml(block));
    nodeOf.set(block.name, id);
    blockOf.set(id, block);
  }
  for (const link of patch.links) {
    const [fromBlock, fromPin] = link.from.split('.');
    const [toBlock, toPin] = link.to.split('.');
    const from = blockOf.get(nodeOf.get(fromBlock)), to = blockOf.get(nodeOf.get(toBlock));
    if (!from || !to) continue;
    editor.addConnection(nodeOf.get(fromBlock), nodeOf.get(toBlock), pinClass('output', from.outputs, fromPin),
      pinClass('input', to.inputs, toPin));
  }
  drawing = false;
  if (selected && nodeOf.has(selected)) showPanel(selected); else showPanel(null);
}

async function refresh() {
  const answer = await ask({ cmd: 'describe' });
  if (!answer.ok) return;
  patch = answer;
  // Every block's outputs, for the values shown on hovered links.
  for (const block of answer.blocks)
    if (!watched.has(block.name)) { watched.add(block.name); send({ cmd: 'subscribe', topic: 'values', block: block.name }); }
  $('#patch-name').textContent = answer.name;
  showState(answer);
  draw();
}

function showState(state) {
  patch.state = state.state;
  const badge = $('#state');
  badge.textContent = state.state + (state.pacing ? ` (${state.pacing})` : '');
  badge.className = `state ${state.state}`;
  if (state.round !== undefined) $('#round').textContent = `round ${state.round}`;
  if (selected) showPanel(selected);
}

editor.on('connectionCreated', async (connection) => {
  if (drawing) return;
  const from = blockOf.get(Number(connection.output_id)), to = blockOf.get(Number(connection.input_id));
  const link = { from: `${from.name}.${pinName(from.outputs, connection.output_class)}`,
    to: `${to.name}.${pinName(to.inputs, connection.input_class)}` };
  const answer = await ask(Object.assign({ cmd: 'add_link' }, link));
  if (answer.ok) patch.links.push(link); else await refresh();
});

editor.on('connectionRemoved', async (connection) => {
  if (drawing) return;
  const from = blockOf.get(Number(connection.output_id)), to = blockOf.get(Number(connection.input_id));
  if (!from || !to) return;
  const link = { from: `${from.name}.${pinName(from.outputs, connection.output_class)}`,
    to: `${to.name}.${pinName(to.inputs, connection.input_class)}` };
  const answer = await ask(Object.assign({ cmd: 'remove_link' }, link));
  await (answer.ok ? refresh() : refresh());
});

editor.on('nodeRemoved', async (id) => {
  if (drawing) return;
  const block = blockOf.get(Number(id));
  if (!block) return;
  await ask({ cmd: 'remove_block', block: block.name });
  await refresh();
});

editor.on('nodeMoved', (id) => {
  const block = blockOf.get(Number(id));
  const node = editor.getNodeFromId(id);
  if (block) moved.set(block.name, { x: node.pos_x, y: node.pos_y });
});

editor.on('nodeSelected', (id) => { selected = blockOf.get(Number(id)).name; showPanel(selected); });
editor.on('nodeUnselected', () => { selected = null; showPanel(null); });

// The latest value of an output, beside the link it travels on.
$('#drawflow').addEventListener('mouseover', (event) => {
  const path = event.target.closest('svg.connection');
  const tip = $('#link-value');
  if (!path) { tip.hidden = true; return; }
  const classes = [...path.classList];
  const out = classes.find((c) => c.startsWith('node_out_node-'));
  const outputClass = classes.find((c) => /^output_\d+$/.test(c));
  const block = out && blockOf.get(Number(out.split('-')[1]));
  if (!block) return;
  const pin = pinName(block.outputs, outputClass);
  const area = $('#canvas-area').getBoundingClientRect();
  tip.textContent = `${block.name}.${pin}: ${values.get(`${block.name}.${pin}`) ?? '(no value yet)'}`;
  tip.style.left = `${event.clientX - area.left + 12}px`;
  tip.style.top = `${event.clientY - area.top + 12}px`;
  tip.hidden = false;
});

// ---- the parameter panel -------------------------------------------------------------------

function boundsOf(parameter) {
  const b = parameter.bounds;
  if (!Array.isArray(b)) return {};
  const limits = {};
  if (b[1] === 1 || b[1] === 2) limits.min = b[0];
  if (b[3] === 1 || b[3] === 2) limits.max = b[2];
  return limits;
}

function parameterField(block, parameter, changeable) {
  const type = (parameter.datatype || parameter.type || []).join('/');
  const layout = parameter.layout || {};
  const key = `${block.name}.${parameter.id}`;
  const error = element('div', { className: 'error', textContent: refusals.get(key) || '' });
  const set = (value) => busy(async () => {
    error.textContent = '';
    refusals.delete(key);
    const answer = await send({ cmd: 'set', block: block.name, parameter: parameter.id, value: String(value) });
    if (!answer.ok) {
      // Kept until the next change of the field, across redraws of the panel.
      refusals.set(key, answer.error);
      error.textContent = answer.error;
      return;
    }
    parameter.value = answer.value;
    // A value may make the block declare more (or fewer) parameters and pins.
    if (patch.state === 'stopped') await refresh();
  });
  let input;
  if (type === 'kernel/trigger') {
    input = element('button', { textContent: 'Fire', onclick: async () => {
      error.textContent = '';
      const answer = await send({ cmd: 'fire', block: block.name, parameter: parameter.id });
      if (!answer.ok) error.textContent = answer.error;
    } });
  } else if (layout.kind === 'combo' || layout.kind === 'datatype_selector_combo') {
    input = element('select');
    const items = layout.items || [];
    items.forEach((item, index) => {
      const text = typeof item === 'string' ? item : `${item[0]}/${item[1]}`;
      const value = type === 'kernel/int' ? String(index) : text;
      input.append(element('option', { value, textContent: text, selected: value === parameter.value }));
    });
    input.onchange = () => set(input.value);
  } else if (type === 'kernel/bool') {
    input = element('input', { type: 'checkbox', checked: parameter.value === 'true' || parameter.value === '1' });
    input.onchange = () => set(input.checked ? 'true' : 'false');
  } else {
    const numeric = type === 'kernel/int' || type === 'kernel/double';
    input = element('input', { type: numeric ? 'number' : 'text', value: parameter.value ?? '' });
    if (numeric) {
      const limits = boundsOf(parameter);
      if ('min' in limits) input.min = limits.min;
      if ('max' in limits) input.max = limits.max;
      input.step = type === 'kernel/int' ? '1' : 'any';
    }
    if (layout.kind === 'filename' || layout.kind === 'foldername')
      input.placeholder = layout.kind === 'filename' ? `file${layout.filter ? ' (' + layout.filter + ')' : ''}` : 'folder';
    input.onchange = () => set(input.value);
  }
  input.disabled = !changeable;
  input.name = parameter.id;
  const label = element('label', { textContent: `${parameter.name || parameter.id}`,
    className: changeable ? '' : 'disabled', title: parameter.id });
  const parts = [label, element('div', { className: 'field' }, [input])];
  if (parameter.bounds_text) parts.push(element('div', { className: 'desc', textContent: `domain ${parameter.bounds_text}` }));
  if (parameter.description) parts.push(element('div', { className: 'desc', textContent: parameter.description }));
  parts.push(error);
  return element('div', { className: 'parameter' }, parts);
}

function showPanel(name) {
  const panel = $('#panel');
  panel.replaceChildren();
  const block = patch.blocks.find((b) => b.name === name);
  if (!block) { panel.append(element('p', { className: 'hint', textContent: 'Select a block to see its parameters.' })); return; }
  panel.append(element('h3', { textContent: block.name }),
    element('div', { className: 'desc', textContent: `${block.catalog}/${block.class}` }));
  const running = patch.state !== 'stopped';
  // Parameters the block's layout does not show are listed under a fold the user opens.
  const hidden = element('details', { open: hiddenOpen });
  hidden.ontoggle = () => { hiddenOpen = hidden.open; };
  let hiddenCount = 0;
  for (const parameter of block.parameters) {
    const changeable = running ? parameter.changeable.run_time : parameter.changeable.design_time;
    const field = parameterField(block, parameter, changeable);
    if (parameter.shown === false) { hidden.append(field); ++hiddenCount; } else panel.append(field);
  }
  if (hiddenCount) {
    hidden.prepend(element('summary', { textContent: `Parameters the block's layout hides (${hiddenCount})` }));
    panel.append(hidden);
  }
  const sets = element('div', { className: 'property-sets' }, [element('h4', { textContent: 'Property sets' })]);
  panel.append(sets);
  showPropertySets(block, sets);
}

// The block's named property sets, each property edited through its text form.
async function showPropertySets(block, box) {
  const answer = await send({ cmd: 'properties', block: block.name });
  if (!answer.ok) { box.append(element('div', { className: 'error', textContent: answer.error })); return; }
  if (!answer.sets.length) box.append(element('div', { className: 'desc', textContent: 'none' }));
  for (const set of answer.sets) {
    box.append(element('div', { className: 'desc', textContent: set.name }));
    for (const property of set.properties) {
      const error = element('div', { className: 'error' });
      const input = element('input', { value: property.value, name: `${set.name}.${property.name}` });
      input.onchange = () => busy(async () => {
        error.textContent = '';
        const result = await send({ cmd: 'set_property', block: block.name, set: set.name, property: property.name,
          value: input.value });
        if (result.ok) input.value = result.value; else error.textContent = result.error;
      });
      box.append(element('label', { textContent: property.name }), element('div', { className: 'field' }, [input]), error);
    }
  }
}

// ---- events -------------------------------------------------------------------------------

const keptLogLines = 1000;

function onEvent(event) {
  if (event.event === 'value') {
    values.set(`${event.block}.${event.pin}`, event.value);
    if (event.round !== undefined) $('#round').textContent = `round ${event.round}`;
    for (const box of document.querySelectorAll('.node-value'))
      if (box.dataset.block === event.block && event.pin === 'input') box.textContent = event.value;
  } else if (event.event === 'state') {
    showState(event);
    if (event.error) notice(event.error, true);
  } else if (event.event === 'message') {
    const line = element('div', { className: `kind-${event.kind}`,
      textContent: `[${event.kind}] ${event.block}${event.method ? ' ' + event.method : ''}: ${event.text}` });
    line.onclick = () => highlight(event.block);
    const log = $('#log');
    log.append(line);
    // A block that fails every round must not fill the tab's memory: the newest lines stay.
    while (log.childElementCount > keptLogLines) log.firstElementChild.remove();
    log.scrollTop = log.scrollHeight;
    highlight(event.block);
  } else if (event.event === 'profile') {
    const body = $('#profile tbody');
    let row = [...body.rows].find((r) => r.dataset.block === event.block);
    if (!row) { row = body.insertRow(); row.dataset.block = event.block; }
    const us = (ns) => `${(ns / 1000).toFixed(1)} µs`;
    row.replaceChildren(...[event.block, event.class, event.count, us(event.mean_ns), us(event.min_ns),
      us(event.max_ns), us(event.total_ns)].map((text) => element('td', { textContent: String(text) })));
  } else if (event.event === 'opened') {
    moved.clear();
    refresh();
  }
}

function highlight(name) {
  for (const node of document.querySelectorAll('.drawflow-node.highlight')) node.classList.remove('highlight');
  const id = nodeOf.get(name);
  const node = id && document.getElementById(`node-${id}`);
  if (node) node.classList.add('highlight');
}

// ---- the palette ----------------------------------------------------------------------------

let palette = { catalogs: [] };
const hasBitmap = (catalog, cls) =>
  palette.catalogs.some((c) => c.id === catalog && c.blocks.some((b) => b.id === cls && b.bitmap));

function uniqueName(cls) {
  const base = cls.toLowerCase();
  for (let n = 1; ; ++n) if (!patch.blocks.some((b) => b.name === `${base}${n}`)) return `${base}${n}`;
}

async function addBlock(catalog, cls, x, y) {
  const name = uniqueName(cls);
  const answer = await ask({ cmd: 'add_block', block: { name, catalog, class: cls } });
  if (!answer.ok) return;
  if (x !== undefined) moved.set(name, { x, y });
  await refresh();
}

async function loadPalette() {
  const response = await fetch('/api/palette');
  palette = await response.json();
  const nav = $('#palette');
  nav.replaceChildren();
  for (const catalog of palette.catalogs) {
    nav.append(element('h3', { textContent: catalog.id }));
    for (const block of catalog.blocks) {
      const item = element('div', { className: 'palette-item', draggable: true, title: block.description });
      item.dataset.catalog = catalog.id;
      item.dataset.class = block.id;
      if (block.bitmap) item.append(element('img', { src: bitmapUrl(catalog.id, block.id), alt: '' }));
      item.append(element('div', {}, [element('span', { textContent: block.name }),
        element('small', { textContent: block.description })]));
      item.ondragstart = (event) => event.dataTransfer.setData('text/plain', JSON.stringify([catalog.id, block.id]));
      item.ondblclick = () => addBlock(catalog.id, block.id);
      nav.append(item);
    }
  }
}

$('#drawflow').addEventListener('dragover', (event) => event.preventDefault());
$('#drawflow').addEventListener('drop', (event) => {
  event.preventDefault();
  const [catalog, cls] = JSON.parse(event.dataTransfer.getData('text/plain') || '[]');
  if (!cls) return;
  const rect = $('#drawflow').getBoundingClientRect();
  addBlock(catalog, cls, event.clientX - rect.left, event.clientY - rect.top);
});

// ---- the toolbar ----------------------------------------------------------------------------

for (const command of ['start', 'stop', 'pause', 'resume', 'step'])
  $(`#${command}`).onclick = async () => { const answer = await ask({ cmd: command }); if (answer.ok) notice(`${command}: done`); };

$('#save').onclick = async () => {
  const path = $('#save-path').value.trim();
  const answer = await ask({ cmd: 'save', path });
  if (answer.ok) { notice(`saved to ${path}`); loadFiles(); }
};

$('#open').onclick = async () => {
  const answer = await ask({ cmd: 'open', path: $('#files').value });
  if (answer.ok) { notice(`opened ${answer.path}`); moved.clear(); await refresh(); }
};

async function loadFiles() {
  const answer = await send({ cmd: 'files' });
  if (!answer.ok) return;
  $('#files').replaceChildren(...answer.files.map((file) => element('option', { value: file, textContent: file.split('/').pop() })));
}

for (const tab of document.querySelectorAll('.tabs button'))
  tab.onclick = () => {
    for (const other of document.querySelectorAll('.tabs button')) other.classList.toggle('active', other === tab);
    $('#log').hidden = tab.dataset.tab !== 'log';
    $('#profile').hidden = tab.dataset.tab !== 'profile';
  };

loadPalette().then(() => { connect(); socket.addEventListener('open', loadFiles); });
