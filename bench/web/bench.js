// The engine's frame time and the module's memory at each size, for
// bench/run_web (which reads window.benchResult) or a person looking.
'use strict';
(async function () {
  const query = new URLSearchParams(location.search);
  const sizes = (query.get('sizes') || '1920x1080,3840x2160').split(',').map((s) => s.split('x').map(Number));
  const frames = Number(query.get('frames') || 60);
  const out = document.getElementById('out');
  // ?module=emberdell measures the portable build where the browser has SIMD.
  const name = query.get('module') || self.emberdellModuleName;
  await new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = '../' + name + '.js';
    script.onload = resolve;
    script.onerror = reject;
    document.head.append(script);
  });
  const M = await EmberdellModule({ print() {}, printErr() {} });
  const result = { module: name, sizes: [] };
  const lines = [`module ${result.module}, ${frames} frames a size`];
  for (const [width, height] of sizes) {
    if (!M.ccall('EdEngineStart', 'number', ['number', 'number'], [width, height])) {
      lines.push(`${width} x ${height}: no memory for the engine`);
      continue;
    }
    const started = performance.now();
    M.ccall('EdEngineRun', null, ['number'], [frames]);
    const ms = (performance.now() - started) / frames;
    const memory = M.HEAPU8.buffer.byteLength;
    M.ccall('EdEngineStop', null, [], []);
    result.sizes.push({ width, height, msPerFrame: ms, memoryBytes: memory });
    lines.push(`${width} x ${height}: ${ms.toFixed(2)} ms a frame, WebAssembly memory ${(memory / 1048576).toFixed(0)} MiB`);
    out.textContent = lines.join('\n');
  }
  out.textContent = lines.join('\n');
  window.benchResult = result;
})();
