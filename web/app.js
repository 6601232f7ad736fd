// The page: keeps the list of files, has the worker fit them, shows each file's result
// as it comes and, at the end, the batch's own index.html with its links pointing at
// the outputs held in this page.
'use strict';

const $ = (id) => document.getElementById(id);

// The batch reads these as given; of a folder's files only .dat, .csv and .tsv, as it
// does with a folder.
const GIVEN = /\.(dat|csv|tsv|txt)$/i;
const IN_FOLDER = /\.(dat|csv|tsv)$/i;

const TYPES = {
  svg: 'image/svg+xml',
  txt: 'text/plain;charset=utf-8',
  csv: 'text/csv;charset=utf-8',
  html: 'text/html;charset=utf-8',
  pdf: 'application/pdf',
  dat: 'text/plain;charset=utf-8',
};

const files = []; // {name, file, bar, status, done}, kept in byte order of the names
let worker = null;
let workerUrl = null;
let run = null; // the run going on, or the last one
let runs = 0;

// --- small DOM helpers -------------------------------------------------------------

function el(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) {
    if (value === false || value === null || value === undefined) continue;
    node.setAttribute(key, value === true ? '' : String(value));
  }
  node.append(...children.filter((c) => c !== null && c !== undefined));
  return node;
}

function notice(text) {
  $('notices').append(el('p', {}, text));
}

function setState(state) {
  document.body.dataset.state = state;
  const running = state === 'running';
  $('fit').disabled = running || files.length === 0;
  $('stop').disabled = !running;
  $('clear').disabled = running || files.length === 0;
  for (const button of document.querySelectorAll('button.remove')) button.disabled = running;
}

const decoder = new TextDecoder();
const textOf = (bytes) => decoder.decode(bytes);

function sizeText(bytes) {
  if (bytes < 1024) return bytes + ' B';
  if (bytes < 1024 * 1024) return (bytes / 1024).toFixed(1) + ' kB';
  return (bytes / 1024 / 1024).toFixed(1) + ' MB';
}

// --- the worker --------------------------------------------------------------------

function startWorker() {
  if (typeof self.quillonWorkerSource !== 'string') {
    $('overall-text').textContent = '';
    notice('The fitting engine is missing: quillon-worker.js was not found beside this page.');
    return null;
  }
  // One blob URL for every worker of the page: a stopped run's worker is replaced.
  workerUrl = workerUrl ||
    URL.createObjectURL(new Blob([self.quillonWorkerSource], { type: 'text/javascript' }));
  const w = new Worker(workerUrl);
  w.onmessage = (event) => onWorkerMessage(w, event.data);
  w.onerror = (event) => {
    event.preventDefault(); // shown in the page instead
    fail('The fitting engine stopped: ' + (event.message || 'unknown error'));
  };
  return w;
}

function onWorkerMessage(from, message) {
  if (from !== worker) return; // a stopped run's last words
  if (message.type === 'version') {
    if (message.version) $('product').textContent = 'Quillon ' + message.version;
  } else if (message.type === 'fatal') {
    fail('The fitting engine could not start: ' + message.message);
  } else if (run && !run.finished && message.id === run.id) {
    if (message.type === 'record') onRecord(message);
    else if (message.type === 'done') onDone(message);
  }
}

function fail(text) {
  const line = $('overall-text');
  $('progress-panel').hidden = false;
  line.textContent = text;
  line.classList.add('failed');
  if (run) run.finished = true;
  setState('failed');
}

// --- the file list -----------------------------------------------------------------

async function filesFromDrop(dataTransfer) {
  // Entries must be taken while the event lasts; a folder is then read at leisure.
  const entries = [...dataTransfer.items]
    .map((item) => (item.webkitGetAsEntry ? item.webkitGetAsEntry() : null))
    .filter(Boolean);
  if (entries.length === 0) return [...dataTransfer.files].map((file) => ({ file, inFolder: false }));
  const found = [];
  const walk = async (entry, inFolder) => {
    if (entry.isFile) {
      found.push({ file: await new Promise((ok, no) => entry.file(ok, no)), inFolder });
    } else if (entry.isDirectory) {
      const reader = entry.createReader();
      for (;;) {
        const batch = await new Promise((ok, no) => reader.readEntries(ok, no));
        if (batch.length === 0) break;
        for (const child of batch) await walk(child, true);
      }
    }
  };
  for (const entry of entries) await walk(entry, false);
  return found;
}

function addFiles(list) {
  $('notices').replaceChildren();
  let added = 0;
  for (const { file, inFolder } of list) {
    if (!(inFolder ? IN_FOLDER : GIVEN).test(file.name)) {
      if (!inFolder) notice(file.name + ': not a data file or table (.dat, .csv, .tsv, .txt): skipped');
      continue;
    }
    // Outputs are named by the input's name: two inputs of one name would be one file
    // in the worker.
    if (files.some((f) => f.name === file.name)) {
      notice(file.name + ': a file of this name is in the list already (remove it to replace it): skipped');
      continue;
    }
    files.push({ name: file.name, file });
    added++;
  }
  if (added === 0) return;
  files.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
  drawFileList();
  startRun();
}

function drawFileList() {
  const rows = $('file-rows');
  rows.replaceChildren();
  for (const entry of files) {
    entry.bar = el('progress', { max: 1, value: 0, 'aria-label': 'Progress of ' + entry.name });
    entry.status = el('span', { class: 'status' }, 'waiting');
    const remove = el('button', { type: 'button', class: 'remove', 'aria-label': 'Remove ' + entry.name }, 'Remove');
    remove.addEventListener('click', () => {
      files.splice(files.indexOf(entry), 1);
      drawFileList();
      setState(document.body.dataset.state || 'idle');
    });
    rows.append(el('tr', {},
      el('td', { class: 'name' }, entry.name, el('span', { class: 'size' }, sizeText(entry.file.size))),
      el('td', { class: 'state' }, entry.bar, entry.status),
      el('td', {}, remove)));
  }
  $('file-list').hidden = files.length === 0;
  setState(document.body.dataset.state || 'idle');
}

// --- a run -------------------------------------------------------------------------

// The batch's options as the form sets them; every value as --name=value, so that a
// value beginning with "-" is not taken for an option.
function optionArgs() {
  const args = ['-j', '1'];
  const flag = (id, name) => { if ($(id).checked) args.push(name); };
  const value = (id, name) => {
    const text = $(id).value.trim();
    if (text) args.push(name + '=' + text);
  };
  flag('opt-compare', '--compare');
  flag('opt-diagnostic', '--diagnostic');
  flag('opt-strict', '--strict');
  flag('opt-pdf', '--pdf');
  if ($('opt-weight').value !== 'none') value('opt-weight', '--weight');
  value('opt-model', '--model');
  value('opt-columns', '--columns');
  flag('opt-decimal-comma', '--decimal-comma');
  value('opt-start', '--start');
  value('opt-lower', '--lower');
  value('opt-upper', '--upper');
  value('opt-equation', '--equation');
  value('opt-params', '--params');
  value('opt-x-unit', '--x-unit');
  value('opt-x2-unit', '--x2-unit');
  value('opt-y-unit', '--y-unit');
  value('opt-enzyme', '--enzyme');
  value('opt-substrate', '--substrate');
  value('opt-km', '--km');
  flag('opt-global', '--global');
  value('opt-share', '--share');
  if ($('opt-to-dat').checked) args.push('--to-dat=/out/dat');
  return args;
}

function stopRun() {
  if (!run || run.finished) return;
  run.finished = true;
  if (worker) worker.terminate();
  worker = startWorker();
}

async function startRun() {
  if (files.length === 0) return;
  stopRun();
  if (!worker) worker = startWorker();
  if (!worker) return;
  for (const url of run ? run.urls.values() : []) URL.revokeObjectURL(url);
  run = {
    id: ++runs,
    startedAt: performance.now(),
    names: files.map((f) => f.name),
    records: [],
    outputs: new Map(),
    urls: new Map(),
    finished: false,
  };
  const thisRun = run;
  for (const entry of files) {
    entry.done = false;
    entry.bar.value = 0;
    entry.status.textContent = 'waiting';
    entry.status.className = 'status';
  }
  markRunning();
  $('live').replaceChildren();
  $('results').replaceChildren();
  $('downloads').replaceChildren();
  $('results-panel').hidden = true;
  $('progress-panel').hidden = false;
  $('overall').max = files.length;
  $('overall').value = 0;
  $('overall-text').classList.remove('failed');
  $('overall-text').textContent = 'Fitting ' + files.length + (files.length === 1 ? ' file' : ' files') + '…';
  setState('running');
  const args = optionArgs();
  const inputs = await Promise.all(files.map(async (f) => ({ name: f.name, data: await f.file.arrayBuffer() })));
  if (run !== thisRun || run.finished) return; // stopped while the files were read
  worker.postMessage({ type: 'run', id: run.id, args, files: inputs }, inputs.map((i) => i.data));
}

// The first file not yet done is the one being fitted: its bar runs without a value.
function markRunning() {
  const next = files.find((f) => !f.done);
  if (next) {
    next.bar.removeAttribute('value');
    next.status.textContent = 'fitting';
  }
}

// The input a progress line is about: its name, then " [set]" for a table's data set.
function splitRecordText(text, fitted) {
  const names = run.names.filter((n) => text === n || text.startsWith(n + ' [') || text.startsWith(n + ': '));
  const name = names.sort((a, b) => b.length - a.length)[0];
  if (!name) return { name: null, shown: text, message: '' };
  if (fitted) return { name, shown: text, message: '' };
  const rest = /^( \[[^\]]*\])?: ([\s\S]*)$/.exec(text.slice(name.length));
  return rest ? { name, shown: name + (rest[1] || ''), message: rest[2] } : { name, shown: text, message: '' };
}

function keepOutputs(outputs) {
  const names = Object.keys(outputs).sort();
  for (const name of names) run.outputs.set(name, outputs[name]);
  return names;
}

function urlOf(name) {
  if (!run.urls.has(name)) {
    const type = TYPES[name.split('.').pop().toLowerCase()] || 'application/octet-stream';
    run.urls.set(name, URL.createObjectURL(new Blob([run.outputs.get(name)], { type })));
  }
  return run.urls.get(name);
}

function downloadLink(name, label) {
  return el('a', { href: urlOf(name), download: name.split('/').pop() }, label || name);
}

function onRecord(message) {
  const { name, shown, message: why } = splitRecordText(message.text, message.fitted);
  const record = { shown, fitted: message.fitted, message: why, outputs: keepOutputs(message.outputs) };
  record.stem = stemOf(record);
  run.records.push(record);

  const entry = files.find((f) => f.name === name);
  if (entry) {
    entry.done = true;
    entry.bar.value = 1;
    entry.status.textContent = message.fitted ? 'fitted' : 'rejected: ' + why;
    entry.status.className = 'status ' + (message.fitted ? 'fitted' : 'rejected');
  }
  markRunning();
  $('overall').max = message.total;
  $('overall').value = message.done;
  $('overall-text').textContent = message.done + ' of ' + message.total + ' done, ' +
    secondsSince(run.startedAt);
  $('results-panel').hidden = false;
  $('live').append(liveCard(record));
}

function secondsSince(start) {
  return ((performance.now() - start) / 1000).toFixed(1) + ' s';
}

// Every fitted input writes <stem>.stats.txt: the stem names its other outputs.
function stemOf(record) {
  const stats = record.outputs.find((n) => n.endsWith('.stats.txt') && !n.includes('/'));
  return stats ? stats.slice(0, -'.stats.txt'.length) : null;
}

function textFile(name, label) {
  if (!run.outputs.has(name)) return null;
  return el('details', { class: 'text-file' },
    el('summary', {}, label),
    el('pre', { class: 'text', tabindex: 0 }, textOf(run.outputs.get(name))));
}

function fileLinks(record) {
  if (record.outputs.length === 0) return null;
  const links = el('p', { class: 'file-links' }, 'Download: ');
  for (const name of record.outputs) links.append(downloadLink(name), ' ');
  return links;
}

// While the run goes on: the input's plot as a picture (its own file, so that pictures'
// internal ids never meet), its report and statistics.
function liveCard(record) {
  const card = el('article', { class: 'live-fit' + (record.fitted ? '' : ' rejected') },
    el('h3', {}, record.shown + (record.fitted ? '' : ': rejected')));
  if (!record.fitted) {
    card.append(el('p', { class: 'reason' }, record.message));
    return card;
  }
  const plot = record.stem + '.svg';
  if (run.outputs.has(plot)) {
    card.append(el('div', { class: 'plot' }, el('img', { src: urlOf(plot), alt: 'Plot of the fit of ' + record.shown })));
  }
  // append() would write a missing file's null as text.
  card.append(...[
    textFile(record.stem + '.report.txt', 'Report'),
    textFile(record.stem + '.stats.txt', 'Statistics'),
    textFile(record.stem + '.compare.txt', 'Model comparison'),
    fileLinks(record)].filter(Boolean));
  return card;
}

function onDone(message) {
  keepOutputs(message.outputs);
  run.finished = true;
  const seconds = secondsSince(run.startedAt);
  // 0 all fitted, 1 some rejected, 3 data warnings: the run went through.
  const ran = [0, 1, 3].includes(message.status);
  for (const entry of files) {
    if (!entry.done) {
      entry.bar.value = ran ? 1 : 0;
      entry.status.textContent = ran ? 'done' : 'not fitted';
    }
  }
  $('results-panel').hidden = false;
  const fitted = run.records.filter((r) => r.fitted).length;
  const rejected = run.records.length - fitted;
  let summary;
  if (ran) {
    summary = fitted + ' fitted, ' + rejected + ' rejected in ' + seconds;
    if (message.status === 3) summary += '; some files have data warnings (see the notes)';
    $('overall').value = $('overall').max;
  } else if (message.status === null) {
    summary = 'The fit stopped with an internal error: ' + message.fault;
  } else {
    summary = 'Nothing was fitted (exit status ' + message.status + ')';
  }
  const problems = message.stderr.filter((line) => line.trim() !== '');
  if (problems.length > 0) {
    $('results').append(el('pre', { class: 'text log', role: 'alert' }, problems.join('\n')));
  }
  $('live').replaceChildren();
  showResults();
  showDownloads();
  $('overall-text').textContent = summary + '.';
  $('overall-text').classList.toggle('failed', !ran);
  setState('done');
}

// --- the finished run: the batch's page, its links and the downloads ---------------

function parseCsv(text) {
  const rows = [];
  let row = [];
  let field = '';
  let quoted = false;
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (quoted) {
      if (c !== '"') field += c;
      else if (text[i + 1] === '"') { field += '"'; i++; } else quoted = false;
    } else if (c === '"') {
      quoted = true;
    } else if (c === ',') {
      row.push(field);
      field = '';
    } else if (c === '\r' || c === '\n') {
      if (c === '\r' && text[i + 1] === '\n') i++;
      row.push(field);
      rows.push(row);
      row = [];
      field = '';
    } else {
      field += c;
    }
  }
  if (field !== '' || row.length > 0) rows.push([...row, field]);
  return rows;
}

function summaryCsvTable() {
  if (!run.outputs.has('summary.csv')) return null;
  const [header, ...rows] = parseCsv(textOf(run.outputs.get('summary.csv')));
  if (!header) return null;
  const table = el('table', { id: 'summary-csv' },
    el('thead', {}, el('tr', {}, ...header.map((h) => el('th', { scope: 'col' }, h)))),
    el('tbody', {}, ...rows.map((r) => el('tr', {}, ...r.map((cell) => el('td', {}, cell))))));
  return el('details', { class: 'text-file' },
    el('summary', {}, 'Every column of summary.csv'),
    el('div', { class: 'table-wrap' }, table));
}

// The program's page holds nothing active, but it shows text from the data files:
// whatever could act is dropped before it is taken in.
function sanitise(root) {
  for (const node of root.querySelectorAll('script, style, link, meta, base, iframe, object, embed, form')) node.remove();
  for (const node of root.querySelectorAll('*')) {
    for (const attribute of [...node.attributes]) {
      if (/^on/i.test(attribute.name) || /^\s*javascript:/i.test(attribute.value)) node.removeAttribute(attribute.name);
    }
  }
}

function outputName(reference) {
  try {
    return decodeURIComponent(reference);
  } catch {
    return reference;
  }
}

function showResults() {
  const target = $('results');
  const index = run.outputs.get('index.html');
  if (!index) return;
  const page = new DOMParser().parseFromString(textOf(index), 'text/html');
  const body = page.body;
  sanitise(body);
  const title = body.querySelector('h1');
  if (title) title.remove();
  for (const link of body.querySelectorAll('a[href]')) {
    const href = link.getAttribute('href');
    if (href.startsWith('#')) continue;
    const name = outputName(href);
    if (run.outputs.has(name)) {
      link.setAttribute('href', urlOf(name));
      link.setAttribute('download', name.split('/').pop());
    } else {
      link.removeAttribute('href');
    }
  }
  for (const picture of body.querySelectorAll('img[src]')) {
    const name = outputName(picture.getAttribute('src'));
    if (run.outputs.has(name)) picture.setAttribute('src', urlOf(name));
    else picture.removeAttribute('src');
  }
  for (const table of body.querySelectorAll('table')) {
    const wrap = page.createElement('div');
    wrap.className = 'table-wrap';
    table.replaceWith(wrap);
    wrap.append(table);
  }
  const imported = [...body.childNodes].map((node) => document.adoptNode(node));
  target.append(...imported);

  const summary = target.querySelector('table.summary');
  const full = summaryCsvTable();
  if (full) {
    if (summary) summary.parentElement.after(full);
    else target.prepend(full);
  }
  // Each fitted input's section: its text files beneath, and every file it wrote.
  for (const section of target.querySelectorAll('section.fit')) {
    const heading = section.querySelector('h2');
    const record = heading && run.records.find((r) => r.shown === heading.textContent);
    if (!record || !record.stem) continue;
    section.append(...[
      textFile(record.stem + '.report.txt', 'Report'),
      textFile(record.stem + '.stats.txt', 'Statistics file'),
      textFile(record.stem + '.compare.txt', 'Model comparison text'),
      fileLinks(record)].filter(Boolean));
  }
}

function zipOfOutputs() {
  const names = [...run.outputs.keys()].sort();
  return QuillonZip.storedZip(names.map((name) => ({ name: 'quillon-results/' + name, data: run.outputs.get(name) })));
}

function showDownloads() {
  const box = $('downloads');
  box.replaceChildren();
  if (run.outputs.size === 0) return;
  const zip = el('button', { type: 'button', id: 'download-zip' },
    'Download all ' + run.outputs.size + ' files (ZIP)');
  zip.addEventListener('click', () => {
    const url = URL.createObjectURL(zipOfOutputs());
    const link = el('a', { href: url, download: 'quillon-results.zip', hidden: true });
    document.body.append(link);
    link.click();
    link.remove();
    // The download has taken the blob by now; a minute's margin all the same.
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  });
  box.append(zip);
  // The run's own files; each input's are beside its result.
  const ofRecords = new Set(run.records.flatMap((r) => r.outputs));
  for (const name of run.outputs.keys()) {
    if (!ofRecords.has(name)) box.append(downloadLink(name));
  }
}

// --- wiring ------------------------------------------------------------------------

function wire() {
  const input = $('pick-files');
  input.addEventListener('change', () => {
    addFiles([...input.files].map((file) => ({ file, inFolder: false })));
    input.value = ''; // picking the same file again is a change too
  });
  const drop = $('drop');
  // Files dropped anywhere on the page are taken, rather than opened by the browser.
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    drop.classList.add('dragging');
  });
  document.addEventListener('dragleave', (event) => {
    if (event.relatedTarget === null) drop.classList.remove('dragging');
  });
  document.addEventListener('drop', async (event) => {
    event.preventDefault();
    drop.classList.remove('dragging');
    addFiles(await filesFromDrop(event.dataTransfer));
  });
  $('fit').addEventListener('click', startRun);
  $('stop').addEventListener('click', () => {
    stopRun();
    for (const entry of files) {
      if (!entry.done) {
        entry.bar.value = 0;
        entry.status.textContent = 'stopped';
      }
    }
    $('overall-text').textContent = run ? 'Stopped after ' + run.records.length + ' of ' + run.names.length + ' files.' : '';
    setState('stopped');
  });
  $('clear').addEventListener('click', () => {
    files.length = 0;
    drawFileList();
    $('notices').replaceChildren();
  });
  $('options').addEventListener('submit', (event) => event.preventDefault());
  worker = startWorker();
  setState('idle');
}

wire();
