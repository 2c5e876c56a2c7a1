// Run by bench/run_web: the engine in the browser against bench_flame, the
// whole page's CPU seen (with each way of drawing) and hidden, the module's memory against the native
// renderer's peak, the first frame's delay and what the page loads.
import { spawnSync } from 'node:child_process';
import { readFileSync, readdirSync, writeFileSync } from 'node:fs';
import path from 'node:path';
import { gzipSync } from 'node:zlib';

import { launchBrowser, waitFor, Root } from '../../tests/support/web_browser.mjs';
import { serveFolder } from '../../web/serve.mjs';

const [site, nativeBench, nativeRender, work] = process.argv.slice(2);
const Span = Number(process.env.EMBERDELL_WEB_BENCH_SECONDS || 10);
const Frames = Number(process.env.EMBERDELL_WEB_BENCH_FRAMES || 200);
const Modules = (process.env.EMBERDELL_WEB_BENCH_MODULES || 'emberdell-simd emberdell').split(' ');
// Minutes the page burns at 1920 x 1080, the style changing every 10 s, with
// its memory read each minute (0: not at all).
const SoakMinutes = Number(process.env.EMBERDELL_WEB_BENCH_SOAK_MINUTES || 0);
// Rounds of the hidden page against two blank tabs, and of the page seen
// with each drawer in turn: one span says little on a machine doing more.
const HiddenRounds = Math.max(1, Number(process.env.EMBERDELL_WEB_BENCH_HIDDEN_ROUNDS || 3));
const DrawRounds = Math.max(1, Number(process.env.EMBERDELL_WEB_BENCH_DRAW_ROUNDS || 2));
const Drawers = ['2d', 'webgl2'];
const Ticks = 100; // USER_HZ on Linux

// CPU seconds (user + system) of a process and everything below it.
function treeCpu(root) {
  const parent = new Map(), cpu = new Map();
  for (const pid of readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      const stat = readFileSync(`/proc/${pid}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parent.set(pid, fields[1]);
      cpu.set(pid, (Number(fields[11]) + Number(fields[12])) / Ticks);
    } catch (e) {}
  }
  let total = 0;
  for (const pid of cpu.keys()) {
    for (let p = pid; p; p = parent.get(p)) if (p === String(root)) { total += cpu.get(pid); break; }
  }
  return total;
}
const median = (values) => {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};
async function cpuShare(pid, seconds) {
  const before = treeCpu(pid), since = Date.now();
  await waitFor(() => Date.now() - since >= seconds * 1000, seconds + 5, 'the span');
  return (treeCpu(pid) - before) / ((Date.now() - since) / 1000);
}

// A 24-bit bitmap of the drawn desktop's colours for the native renderer.
function bmp(width, height) {
  const row = (width * 3 + 3) & ~3, bytes = Buffer.alloc(54 + row * height);
  bytes.write('BM', 0, 'latin1');
  bytes.writeUInt32LE(bytes.length, 2);
  bytes.writeUInt32LE(54, 10);
  bytes.writeUInt32LE(40, 14);
  bytes.writeInt32LE(width, 18);
  bytes.writeInt32LE(height, 22);
  bytes.writeUInt16LE(1, 26);
  bytes.writeUInt16LE(24, 28);
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++) {
      const at = 54 + y * row + 3 * x, window = (x >> 7) % 2 === (y >> 7) % 2;
      bytes[at] = window ? 245 : 140;
      bytes[at + 1] = window ? 245 : 90;
      bytes[at + 2] = window ? 245 : 60;
    }
  return bytes;
}

const report = [];
const { server, url } = await serveFolder(site);
const browser = await launchBrowser();
try {
  // The engine in each build of the module, and bench_flame in the same run.
  const native = spawnSync(nativeBench, ['--benchmark_filter=BM_NextFrame/', '--benchmark_format=json'],
    { encoding: 'utf8', maxBuffer: 1 << 24 });
  const nativeMs = {};
  for (const b of JSON.parse(native.stdout).benchmarks) nativeMs[b.name.replace('BM_NextFrame/', '')] = b.real_time;
  const peaks = {};
  for (const module of Modules) {
    const page = await browser.newPage();
    await page.goto(url + `bench/index.html?module=${module}&frames=${Frames}`);
    const engine = await waitFor(() => page.evaluate(() => window.benchResult), 600, 'the engine benchmark');
    await page.close();
    for (const s of engine.sizes) {
      const key = `${s.width}/${s.height}`;
      const ratio = s.msPerFrame / nativeMs[key];
      report.push(`engine ${s.width}x${s.height}: ${s.msPerFrame.toFixed(2)} ms a frame in ${engine.module}, ` +
        `${nativeMs[key].toFixed(2)} ms natively (bench_flame NextFrame): ${ratio.toFixed(1)}x (target at most 2x)`);
      if (!peaks[key]) {
        // The native renderer's peak for the same size.
        const picture = path.join(work, `desktop-${s.width}.bmp`);
        writeFileSync(picture, bmp(s.width, s.height));
        const timed = spawnSync('/usr/bin/time', ['-v', nativeRender, '--size', `${s.width}x${s.height}`,
          '--picture', picture, '--frames', '30', '--seed', '1'], { encoding: 'utf8' });
        peaks[key] = Number((/Maximum resident set size \(kbytes\): (\d+)/.exec(timed.stderr) || [0, 0])[1]) * 1024;
      }
      report.push(`memory ${s.width}x${s.height}: WebAssembly ${(s.memoryBytes / 1048576).toFixed(0)} MiB in ` +
        `${engine.module}, native renderer peak ${(peaks[key] / 1048576).toFixed(0)} MiB: ` +
        `${(s.memoryBytes / peaks[key]).toFixed(2)}x (target at most 3x)`);
    }
  }

  // The whole page at 1920 x 1080 and 25 frames a second (Normal), seen and hidden.
  const pid = browser.process().pid;
  // The baseline has as many tabs, the second one blank: what an idle tab
  // costs is not the page's.
  const idle = await browser.newPage();
  const fire = await browser.newPage();
  await fire.setViewport({ width: 1920, height: 1080 });
  const pct = (v) => `${(100 * v).toFixed(2)} %`;
  const open = async (query) => {
    await fire.bringToFront();
    await fire.goto(url + query);
    await waitFor(() => fire.evaluate(() => window.emberdell.ready === true), 30, 'the page');
  };
  // Blank and hidden in turn, the page loaded afresh each round.
  const blanks = [], hiddens = [];
  for (let round = 1; round <= HiddenRounds; round++) {
    await fire.goto('about:blank');
    await idle.bringToFront();
    blanks.push(await cpuShare(pid, Span));
    await fire.bringToFront();
    const opened = Date.now();
    await fire.goto(url);
    await waitFor(() => fire.evaluate(() => window.emberdell.framesDrawn && window.emberdell.framesDrawn() > 0), 30,
      'the first frame');
    if (round === 1) report.push(`first frame ${Date.now() - opened} ms after opening the page (target within 1000 ms)`);
    await waitFor(() => fire.evaluate(() => window.emberdell.ready === true), 30, 'the page');
    await idle.bringToFront();
    await waitFor(() => fire.evaluate(() => document.visibilityState === 'hidden'), 10, 'the page hidden');
    hiddens.push(await cpuShare(pid, Span));
    report.push(`CPU of the browser, all its processes, over ${Span} s, round ${round}: two blank tabs ` +
      `${pct(blanks.at(-1))}, the page hidden ${pct(hiddens.at(-1))} (less blank ${pct(hiddens.at(-1) - blanks.at(-1))})`);
  }
  report.push(`CPU of the page hidden less two blank tabs, median of ${HiddenRounds} rounds: ` +
    `${pct(median(hiddens.map((h, i) => h - blanks[i])))} (target at most 0.3 %)`);
  // Seen, each drawer in turn.
  const seen = Object.fromEntries(Drawers.map((d) => [d, []]));
  const rates = Object.fromEntries(Drawers.map((d) => [d, []]));
  const drawnBy = {};
  const drawn = () => fire.evaluate(() => window.emberdell.framesDrawn());
  for (let round = 1; round <= DrawRounds; round++)
    for (const draw of Drawers) {
      await open(`?draw=${draw}`);
      drawnBy[draw] = await fire.evaluate(() => window.emberdell.drawer);
      const before = await drawn(), since = Date.now();
      seen[draw].push(await cpuShare(pid, Span));
      rates[draw].push(((await drawn()) - before) / ((Date.now() - since) / 1000));
    }
  for (const draw of Drawers) {
    const d = drawnBy[draw];
    const how = d.name !== draw ? `drawn in ${d.name}: ${d.note}` : d.renderer ? `on ${d.renderer}` : 'canvas 2d';
    report.push(`CPU of the browser, all its processes, the page seen at 1920x1080 and 25 frames/s, ?draw=${draw} ` +
      `(${how}): ${seen[draw].map(pct).join(', ')} over ${Span} s each; median ${pct(median(seen[draw]))}; ` +
      `frames/s drawn ${rates[draw].map((r) => r.toFixed(1)).join(', ')}`);
  }
  if (SoakMinutes > 0) {
    await open('');
    await fire.evaluate(() => {
      const delay = document.getElementById('changing-delay');
      delay.value = '10';
      delay.dispatchEvent(new Event('change'));
    });
    const samples = [];
    const since = Date.now();
    for (let minute = 0; minute <= SoakMinutes; minute++) {
      await waitFor(() => Date.now() - since >= minute * 60000, 70, `minute ${minute}`);
      samples.push(await fire.evaluate(() => window.emberdell.memoryBytes()));
    }
    report.push(`memory of the page seen at 1920x1080, each minute for ${SoakMinutes} minutes: ` +
      samples.map((b) => `${(b / 1048576).toFixed(0)}`).join(' ') + ' MiB');
  }
} finally {
  await browser.close();
  server.close();
}

// What the page loads, compressed (one of the two modules).
const Loaded = ['index.html', 'page.css', 'page.js', 'emberdell-module.js', 'emberdell-render.js', 'render-worker.js',
  'emberdell-simd.js', 'emberdell-simd.wasm', 'manifest.webmanifest', 'icon-192.png', 'sw.js',
  'styles/(Default) Wood.wyk', 'styles/Gas Flame.wyk', 'styles/Windy Night.wyk'];
const compressed = Loaded.reduce((sum, f) => sum + gzipSync(readFileSync(path.join(site, f)), { level: 9 }).length, 0);
report.push(`the page loads ${(compressed / 1024).toFixed(0)} KB gzip-compressed (target at most 600 KB)`);
console.log(report.join('\n'));
