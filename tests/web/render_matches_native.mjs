// window.emberdell.render() in Debian's Chromium against the native
// emberdell-render, byte for byte, on a table of scenes: each scene's files
// go to both, and every output either writes must be the other's.
//   node tests/web/render_matches_native.mjs SITE_FOLDER NATIVE_RENDERER
import { spawnSync } from 'node:child_process';
import { mkdtempSync, mkdirSync, readFileSync, rmSync, writeFileSync, existsSync } from 'node:fs';
import path from 'node:path';

import { launchBrowser, Root } from '../support/web_browser.mjs';
import { serveFolder } from '../../web/serve.mjs';

const [site, nativeArg] = process.argv.slice(2);
const native = nativeArg && path.resolve(nativeArg);
if (!site || !native || !existsSync(native)) {
  console.error(`usage: render_matches_native.mjs SITE NATIVE_RENDERER (renderer '${native}' missing?)`);
  process.exit(2);
}

// A 24-bit bottom-up BMP with rings and stripes: plenty of outlines.
function picture(width, height) {
  const row = (width * 3 + 3) & ~3;
  const bytes = new Uint8Array(54 + row * height);
  const view = new DataView(bytes.buffer);
  bytes.set([0x42, 0x4d]);
  view.setUint32(2, bytes.length, true);
  view.setUint32(10, 54, true);
  view.setUint32(14, 40, true);
  view.setInt32(18, width, true);
  view.setInt32(22, height, true);
  view.setUint16(26, 1, true);
  view.setUint16(28, 24, true);
  view.setUint32(34, row * height, true);
  for (let y = 0; y < height; y++) {
    const at = 54 + (height - 1 - y) * row;
    for (let x = 0; x < width; x++) {
      const dx = x - (width >> 1), dy = y - (height >> 1);
      bytes[at + 3 * x] = ((Math.floor((dx * dx + dy * dy) / 400) % 2) * 255);
      bytes[at + 3 * x + 1] = (Math.floor(x / 13) % 2) * 255;
      bytes[at + 3 * x + 2] = (x * 7 + y * 3) & 255;
    }
  }
  return bytes;
}

const StyleFolder = path.join(Root, 'resources/Flame Presets');
const style = (name) => new Uint8Array(readFileSync(path.join(StyleFolder, name)));
const Wood = '(Default) Wood.wyk', Gas = 'Gas Flame.wyk', Windy = 'Windy Night.wyk';
const Pictures = { 'picture.bmp': picture(301, 187), 'small/picture.bmp': picture(160, 90) };
const Styles = { [`styles/${Wood}`]: style(Wood), [`styles/${Gas}`]: style(Gas), [`styles/${Windy}`]: style(Windy) };
const Outputs = ['--raw', 'out/raw', '--save-style', 'out/style.wyk'];

const Scenes = [
  { name: 'a morph',
    args: ['--size', '301x187', '--picture', 'picture.bmp', '--seed', '5', '--frames', '40', '--style',
      `styles/${Gas}`, '--morph-to', `styles/${Wood}`, '--out', 'out/out.bmp', ...Outputs] },
  { name: 'a fitted picture of another size',
    args: ['--size', '241x133', '--picture', 'small/picture.bmp', '--fit', '--seed', '9', '--frames', '25',
      '--out', 'out/out.jpg', ...Outputs] },
  { name: 'a seeded random style under --styles and --change-every',
    args: ['--size', '200x120', '--picture', 'picture.bmp', '--random-style', '--seed', '-77', '--styles', 'styles',
      '--change-every', '1', '--fps', '10', '--frames', '45', '--screenshot', 'out/shot.bmp', ...Outputs] },
  { name: 'a fade-out',
    args: ['--size', '301x187', '--picture', 'picture.bmp', '--seed', '3', '--frames', '50', '--fade-out-after',
      '10', '--fade-out-ms', '1500', '--screenshot', 'out/shot.jpg', ...Outputs] },
  { name: 'an odd size',
    args: ['--size', '101x77', '--picture', 'picture.bmp', '--seed', '99', '--frames', '60', '--picture-height',
      '150', '--style', `styles/${Windy}`, '--out', 'out/out.bmp', ...Outputs] },
  // Natively the band of 58 rows at picture height 0 starts at row 29; IEEE
  // quad precision says 28.
  { name: 'a band that extended precision decides',
    args: ['--size', '90x58', '--picture', 'picture.bmp', '--seed', '12', '--frames', '30', '--picture-height', '0',
      ...Outputs] },
  { name: 'a refused size', args: ['--size', '0x10', '--picture', 'picture.bmp'] },
];
// The web build has neither giflib nor FFmpeg's libraries, and says so as
// the renderer does when it is built without them.
const Refusals = [
  { args: ['--size', '8x8', '--picture', 'picture.bmp', '--gif', 'out/fire.gif'],
    message: 'emberdell-render: --gif is not available: this renderer was built without giflib (libgif-dev)' },
  { args: ['--size', '8x8', '--picture', 'picture.bmp', '--video', 'out/fire.webm'],
    message: 'emberdell-render: --video is not available: this renderer was built without FFmpeg\'s libraries (libavcodec-dev, libavformat-dev, libavutil-dev, libswscale-dev)' },
];

function runNative(args, files) {
  const work = mkdtempSync(path.join(Root, 'build', 'render-native-'));
  try {
    for (const [name, bytes] of Object.entries(files)) {
      mkdirSync(path.dirname(path.join(work, name)), { recursive: true });
      writeFileSync(path.join(work, name), bytes);
    }
    mkdirSync(path.join(work, 'out'));
    const run = spawnSync(native, args, { cwd: work, encoding: 'utf8' });
    const written = {};
    for (let i = 0; i + 1 < args.length; i++)
      if (['--raw', '--out', '--screenshot', '--save-style'].includes(args[i]) && existsSync(path.join(work, args[i + 1])))
        written[args[i + 1]] = new Uint8Array(readFileSync(path.join(work, args[i + 1])));
    return { status: run.status, message: run.stderr.replace(/\n$/, ''), files: written };
  } finally {
    rmSync(work, { recursive: true, force: true });
  }
}

function same(a, b) {
  return a.length === b.length && a.every((v, i) => v === b[i]);
}

const { server, url } = await serveFolder(site);
const browser = await launchBrowser();
let failed = 0;
try {
  // Both builds: browsers without WebAssembly SIMD get the portable one.
  for (const moduleName of ['emberdell-simd', 'emberdell']) {
    const page = await browser.newPage();
    await page.goto(url + 'index.html?module=' + moduleName);
    await page.waitForFunction(() => window.emberdell && window.emberdell.render);
    const build = await page.evaluate(() => window.emberdell.build());
    console.log(`module ${build.module}`);
    if (build.module !== moduleName) throw new Error(`asked for ${moduleName}, got ${build.module}`);
    const inPage = (args, files) =>
      page.evaluate(async (args, files) => {
        const bytes = Object.fromEntries(Object.entries(files).map(([k, v]) => [k, new Uint8Array(v)]));
        const r = await window.emberdell.render(args, bytes);
        return { status: r.status, message: r.message,
          files: Object.fromEntries(Object.entries(r.files).map(([k, v]) => [k, Array.from(v)])) };
      }, args, Object.fromEntries(Object.entries(files).map(([k, v]) => [k, Array.from(v)])));

    const files = { ...Pictures, ...Styles };
    for (const scene of Scenes) {
      const want = runNative(scene.args, files);
      const got = await inPage(scene.args, files);
      const problems = [];
      if (got.status !== want.status) problems.push(`status ${got.status}, natively ${want.status}`);
      if (got.message !== want.message) problems.push(`message '${got.message}', natively '${want.message}'`);
      const names = new Set([...Object.keys(want.files), ...Object.keys(got.files)]);
      for (const name of names) {
        if (!got.files[name]) problems.push(`${name} not written in the page`);
        else if (!want.files[name]) problems.push(`${name} written only in the page`);
        else if (!same(got.files[name], want.files[name])) problems.push(`${name} differs`);
      }
      if (scene.args.includes('--raw') && !want.files['out/raw']) problems.push('the native renderer wrote nothing');
      if (problems.length === 0) console.log(`ok: ${scene.name} (${names.size} files)`);
      else {
        console.log(`FAILED: ${scene.name}: ${problems.join('; ')}`);
        failed++;
      }
    }
    for (const refusal of Refusals) {
      const got = await inPage(refusal.args, Pictures);
      if (got.status === 2 && got.message === refusal.message && Object.keys(got.files).length === 0)
        console.log(`ok: ${refusal.args.at(-2)} refused`);
      else {
        console.log(`FAILED: ${refusal.args.at(-2)}: status ${got.status}, message '${got.message}'`);
        failed++;
      }
    }
    await page.close();
  }
} finally {
  await browser.close();
  server.close();
}
console.log(failed ? `${failed} failed` : 'all passed');
process.exit(failed ? 1 : 0);
