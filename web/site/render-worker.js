// Runs one render() in a module of its own: its files, its generator and its
// memory are gone with the worker, so one call never changes the next.
'use strict';
importScripts('emberdell-module.js');
// The page may name the build (its tests run both); otherwise the browser's.
let loaded = false;
function loadModule(name) {
  if (loaded) return;
  importScripts((name === 'emberdell' || name === 'emberdell-simd' ? name : self.emberdellModuleName) + '.js');
  self.emberdellModuleName = name === 'emberdell' || name === 'emberdell-simd' ? name : self.emberdellModuleName;
  loaded = true;
}

// The arguments that name a file the renderer writes.
const OutputArgs = new Set(['--raw', '--out', '--screenshot', '--save-style']);

function folderOf(path) {
  const slash = path.lastIndexOf('/');
  return slash > 0 ? path.slice(0, slash) : '';
}

function contentsOf(FS, path) {
  try {
    return FS.lookupPath(path).node.contents;
  } catch (e) {
    return undefined;
  }
}

async function render(args, files) {
  const module = await EmberdellModule({ noInitialRun: true, print() {}, printErr() {} });
  const FS = module.FS;
  // The page has no disk: every folder a path names exists.
  for (const [path, bytes] of Object.entries(files)) {
    if (folderOf(path)) FS.mkdirTree(folderOf(path));
    FS.writeFile(path, bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes));
  }
  const outputs = [];
  args.forEach((arg, i) => {
    if (OutputArgs.has(arg) && i + 1 < args.length && args[i + 1] !== '') outputs.push(args[i + 1]);
  });
  const before = new Map(outputs.map((path) => [path, contentsOf(FS, path)]));
  for (const path of outputs) if (folderOf(path)) FS.mkdirTree(folderOf(path));

  for (const arg of args) module.ccall('EdRenderArg', null, ['string'], [arg]);
  const status = module.ccall('EdRenderRun', 'number', [], []);
  const message = module.UTF8ToString(module.ccall('EdRenderMessage', 'number', [], []));

  // What the run wrote, by the name the arguments gave it; a file that is
  // still the one handed in was not written.
  const written = {};
  for (const path of outputs) {
    const now = contentsOf(FS, path);
    if (now !== undefined && now !== before.get(path)) written[path] = FS.readFile(path);
  }
  return { status, message, files: written };
}

self.onmessage = async (event) => {
  const { args, files, query, module: name } = event.data;
  loadModule(name);
  if (query === 'build') {
    const module = await EmberdellModule({ noInitialRun: true, print() {}, printErr() {} });
    self.postMessage({ module: self.emberdellModuleName });
    return;
  }
  let result;
  try {
    result = await render(args, files);
  } catch (e) {
    result = { status: 2, message: 'emberdell-render: ' + (e && e.message ? e.message : String(e)), files: {} };
  }
  self.postMessage(result, Object.values(result.files).map((bytes) => bytes.buffer));
};
