// The fitting side of the page: runs quillon-batch's main in this Web Worker, so the
// page stays responsive. The build puts the emscripten glue (createQuillonCore) before
// this text. One fresh core per run: main may leave state behind, so an instance is
// never run twice. The next core is made as soon as one is taken, so that a run does
// not wait for the WebAssembly to be instantiated.
'use strict';

// Every core prints through these; one run at a time, so they point at its handlers.
let onOut = () => {};
let onErr = () => {};

function newCore() {
  return createQuillonCore({
    noInitialRun: true,
    print: (text) => onOut(text),
    printErr: (text) => onErr(text),
  });
}

let nextCore = null;

// A failure shows when the core is taken; until then it is not an unhandled rejection.
function prepareCore() {
  nextCore = newCore();
  nextCore.catch(() => {});
}

function takeCore() {
  const core = nextCore || newCore();
  nextCore = null;
  return core;
}

// Exits through exit() arrive as ExitStatus, other throws are faults of the program.
function callMain(core, args) {
  try {
    return core.callMain(args);
  } catch (e) {
    if (e && e.name === 'ExitStatus') return e.status;
    throw e;
  }
}

// The program's own version, so the page never shows one it was not built from.
async function announceVersion() {
  const core = await newCore();
  const lines = [];
  onOut = (text) => lines.push(text);
  callMain(core, ['--version']);
  onOut = () => {};
  const match = /(\d[\w.+-]*)\s*$/.exec(lines.join('\n').trim());
  self.postMessage({ type: 'version', version: match ? match[1] : '' });
}

// Relative names of every file under dir, subfolders (as from --to-dat) included.
function listFiles(FS, dir, prefix = '') {
  const names = [];
  for (const name of FS.readdir(dir).sort()) {
    if (name === '.' || name === '..') continue;
    const path = dir + '/' + name;
    if (FS.isDir(FS.stat(path).mode)) names.push(...listFiles(FS, path, prefix + name + '/'));
    else names.push(prefix + name);
  }
  return names;
}

const PROGRESS = /^(\d+)\/(\d+) (fitted|rejected) (.*)$/;
const CLOSING = /^\d+ files: \d+ fitted, \d+ rejected.* in [\d.]+ s$/;

async function run(job) {
  const core = await takeCore();
  const FS = core.FS;
  FS.mkdir('/in');
  FS.mkdir('/out');
  for (const file of job.files) FS.writeFile('/in/' + file.name, new Uint8Array(file.data));
  // Inputs named as dropped: the summary's file column and the progress lines show
  // the bare names, not a folder of this worker's own.
  FS.chdir('/in');

  const sent = new Set();
  // The outputs not yet posted, as transferable bytes.
  const fresh = () => {
    const outputs = {};
    for (const name of listFiles(FS, '/out')) {
      if (sent.has(name)) continue;
      sent.add(name);
      const bytes = FS.readFile('/out/' + name);
      // Only a whole buffer can be transferred.
      outputs[name] = bytes.byteLength === bytes.buffer.byteLength ? bytes : bytes.slice();
    }
    return outputs;
  };
  const post = (message, outputs) =>
    self.postMessage(message, Object.values(outputs || {}).map((bytes) => bytes.buffer));

  const stdout = [];
  const stderr = [];
  onOut = (text) => stdout.push(text);
  // A k/n line comes once that input's outputs are written: post them at once, so that
  // results appear as they come.
  onErr = (text) => {
    const progress = PROGRESS.exec(text);
    if (progress) {
      const outputs = fresh();
      post({
        type: 'record', id: job.id, done: Number(progress[1]), total: Number(progress[2]),
        fitted: progress[3] === 'fitted', text: progress[4], outputs,
      }, outputs);
      return;
    }
    // The closing count the page makes itself; anything else is a message to show.
    if (!CLOSING.test(text)) stderr.push(text);
  };

  const names = job.files.map((file) => file.name);
  let status = null;
  let fault = '';
  try {
    // "--" first: a file named "-x.dat" is still a file.
    status = callMain(core, [...job.args, '-o', '/out', '--', ...names]);
  } catch (e) {
    fault = String(e && e.message ? e.message : e);
  }
  onOut = () => {};
  onErr = () => {};
  const outputs = fresh();
  post({ type: 'done', id: job.id, status, fault, stdout, stderr, outputs }, outputs);
}

prepareCore();
// The version comes from a core of its own, made alongside the first run's: a run waits
// for it no longer than that takes, and the page names the version before any result.
const versionKnown = announceVersion().catch((e) =>
  self.postMessage({ type: 'fatal', message: String(e && e.message ? e.message : e) }));

self.onmessage = (event) => {
  const message = event.data;
  if (message.type !== 'run') return;
  versionKnown
    .then(() => run(message))
    .catch((e) => self.postMessage({ type: 'done', id: message.id, status: null,
      fault: String(e && e.message ? e.message : e), stdout: [], stderr: [], outputs: {} }))
    .finally(prepareCore);
};
