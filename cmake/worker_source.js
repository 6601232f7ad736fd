// Writes the page's worker as one string, self.quillonWorkerSource: the core's
// runtime and WebAssembly, then the worker's own script. The page starts the worker
// from a Blob of it, since from file:// a browser will not load a worker's file.
//   node worker_source.js CORE.js WORKER.js OUT.js
'use strict';
const fs = require('fs');
const [core, worker, out] = process.argv.slice(2);
const source = fs.readFileSync(core, 'utf8') + '\n' + fs.readFileSync(worker, 'utf8');
fs.writeFileSync(out, 'self.quillonWorkerSource = ' + JSON.stringify(source) + ';\n');
