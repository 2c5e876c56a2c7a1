// The page in Debian's Chromium as a user meets it: one scenario per
// behaviour, each on a fresh page over the same served folder.
//   node tests/web/page_behaviours.mjs SITE_FOLDER
import { mkdtempSync, readFileSync, rmSync, writeFileSync, existsSync } from 'node:fs';
import path from 'node:path';
import { deflateSync } from 'node:zlib';

import { launchBrowser, waitFor, Root } from '../support/web_browser.mjs';
import { serveFolder } from '../../web/serve.mjs';

const [site] = process.argv.slice(2);
if (!site) {
  console.error('usage: page_behaviours.mjs SITE');
  process.exit(2);
}
const work = mkdtempSync(path.join(Root, 'build', 'page-test-'));

// A valid black 1-bit PNG of Width x Height: small on disk, huge decoded.
function crc32(bytes) {
  let c = ~0;
  for (const b of bytes) {
    c ^= b;
    for (let k = 0; k < 8; k++) c = (c >>> 1) ^ (0xedb88320 & -(c & 1));
  }
  return ~c >>> 0;
}
function chunk(type, data) {
  const out = Buffer.alloc(12 + data.length);
  out.writeUInt32BE(data.length, 0);
  out.write(type, 4, 'latin1');
  data.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + data.length)), 8 + data.length);
  return out;
}
function blackPng(width, height) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 1; // bit depth; colour type 0 (grey)
  const raw = Buffer.alloc((1 + Math.ceil(width / 8)) * height);
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
    chunk('IDAT', deflateSync(raw, { level: 9 })), chunk('IEND', Buffer.alloc(0))]);
}

const frames = (page) => page.evaluate(() => (window.emberdell.framesDrawn ? window.emberdell.framesDrawn() : 0));
const message = (page) => page.$eval('#message', (m) => m.textContent);
async function burning(page, more = 10) {
  const from = await frames(page);
  await waitFor(async () => (await frames(page)) >= from + more, 20, `${more} more frames`);
}
// Drops files on the page as a drag from the desktop does.
function drop(page, files) {
  return page.evaluate(async (files) => {
    const transfer = new DataTransfer();
    for (const f of files) transfer.items.add(new File([new Uint8Array(f.bytes)], f.name));
    window.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, files.map((f) => ({ name: f.name, bytes: Array.from(f.bytes) })));
}

// A small grey 8-bit PNG with a bright square, for a picture that burns.
function squarePng(width, height) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;
  const raw = Buffer.alloc((1 + width) * height, 40);
  for (let y = 0; y < height; y++) {
    raw[y * (1 + width)] = 0;
    for (let x = 0; x < width; x++)
      if (x > width / 4 && x < (3 * width) / 4 && y > height / 4) raw[y * (1 + width) + 1 + x] = 250;
  }
  return Buffer.concat([Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), chunk('IHDR', header),
    chunk('IDAT', deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]);
}

const Scenarios = [
  ['a chosen picture burns, and no request leaves the page with it', async (page) => {
    const origin = new URL(page.url()).origin;
    const requests = [];
    page.on('request', (r) => requests.push(`${r.method()} ${r.url()}`));
    const file = path.join(work, 'square.png');
    writeFileSync(file, squarePng(120, 80));
    await (await page.$('#picture-file')).uploadFile(file);
    await waitFor(async () => /Burning square\.png/.test(await message(page)), 20, 'the picture burning');
    await burning(page);
    const elsewhere = requests.filter((r) => !r.startsWith(`GET ${origin}/`) && !r.startsWith('GET blob:'));
    if (elsewhere.length) throw new Error(`requests: ${elsewhere.join(', ')}`);
  }],
  ['a changed speed is kept across visits', async (page) => {
    await page.$eval('#speed', (s) => {
      s.value = '6';
      s.dispatchEvent(new Event('input'));
    });
    await page.reload();
    await waitFor(() => page.evaluate(() => window.emberdell.ready === true), 20, 'the page again');
    const shown = await page.$eval('#speed-caption', (c) => c.textContent);
    if (shown !== 'Current speed: Fastest') throw new Error(`after a reload: '${shown}'`);
  }],
  ['a dropped damaged .wyk gives a message and the fire goes on', async (page) => {
    await drop(page, [{ name: 'Broken.wyk', bytes: new Uint8Array(100) }]);
    await waitFor(async () => /Broken\.wyk is damaged/.test(await message(page)), 10, 'the message');
    await burning(page);
  }],
  ['a dropped 20000 x 20000 PNG is refused with a message', async (page) => {
    const big = path.join(work, 'big.png');
    writeFileSync(big, blackPng(20000, 20000));
    // Through the file picker: the page reads the file the browser hands it.
    await (await page.$('#picture-file')).uploadFile(big);
    await waitFor(async () => /20000 × 20000 pixels: larger than/.test(await message(page)), 20, 'the refusal');
    await burning(page);
  }],
  ['a hidden page draws no frame for 3 s, and draws again when shown', async (page, browser) => {
    const other = await browser.newPage();
    await other.bringToFront();
    await waitFor(() => page.evaluate(() => document.visibilityState === 'hidden'), 10, 'the page hidden');
    const before = await frames(page);
    const since = Date.now();
    await waitFor(() => Date.now() - since >= 3000, 5, 'three seconds');
    const after = await frames(page);
    if (after !== before) throw new Error(`${after - before} frames drawn while hidden`);
    await page.bringToFront();
    await other.close();
    await burning(page);
  }],
  ['full screen, then a key, ends full screen', async (page) => {
    await page.click('#full-screen');
    await waitFor(() => page.evaluate(() => !!document.fullscreenElement), 10, 'full screen');
    await page.keyboard.press('a');
    await waitFor(() => page.evaluate(() => !document.fullscreenElement), 10, 'the end of full screen');
  }],
  ['"F" downloads a PNG that decodes to the canvas\'s pixels', async (page, context) => {
    const folder = mkdtempSync(path.join(work, 'downloads-'));
    const session = await context.browser().target().createCDPSession();
    await session.send('Browser.setDownloadBehavior',
      { behavior: 'allow', downloadPath: folder, browserContextId: context.id });
    await page.evaluate(() => localStorage.setItem('emberdell.lastScreenshot', '41'));
    // The canvas's pixels and the key in one task: no frame comes between.
    const shown = await page.evaluate(() => {
      const canvas = document.getElementById('fire');
      const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      document.dispatchEvent(new KeyboardEvent('keydown', { key: 'F', keyCode: 70, bubbles: true }));
      return Array.from(pixels);
    });
    const file = path.join(folder, '000042.png');
    await waitFor(() => existsSync(file), 10, '000042.png');
    const bytes = Array.from(readFileSync(file));
    const same = await page.evaluate(async (bytes, shown) => {
      const bitmap = await createImageBitmap(new Blob([new Uint8Array(bytes)], { type: 'image/png' }),
        { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
      const scratch = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
      scratch.drawImage(bitmap, 0, 0);
      const decoded = scratch.getImageData(0, 0, bitmap.width, bitmap.height).data;
      return decoded.length === shown.length && decoded.every((v, i) => v === shown[i]);
    }, bytes, shown);
    if (!same) throw new Error('the PNG is not the canvas');
  }],
  ['a style file named as markup shows that name as text', async (page) => {
    const name = '<img src=x onerror=alert(1)>.wyk';
    const file = path.join(work, name);
    writeFileSync(file, readFileSync(path.join(Root, 'resources/Flame Presets/Gas Flame.wyk')));
    let alerted = false;
    page.on('dialog', async (d) => {
      alerted = true;
      await d.dismiss();
    });
    await (await page.$('#style-file')).uploadFile(file);
    await waitFor(() => page.evaluate(() => document.querySelectorAll('#styles li').length === 4), 10, 'the style');
    const shown = await page.evaluate(() => ({
      names: [...document.querySelectorAll('#styles .name')].map((n) => n.textContent),
      images: document.querySelectorAll('#styles img, #message img').length,
    }));
    if (!shown.names.includes('<img src=x onerror=alert(1)>') || shown.images || alerted)
      throw new Error(`shown as ${JSON.stringify(shown)}, alert ${alerted}`);
  }],
  ['?draw=webgl2 shows the pixels the 2d canvas shows for the same fire', async (page, context) => {
    // One seed on both pages: the same frames. First only the image's
    // rectangles change, then a style morphs and the colour table changes too.
    // An odd width pads the module's rows and runs its blocks over row ends;
    // a fire half as high changes only a band of the image.
    const pages = [['2d', page], ['webgl2', await context.newPage()]];
    const held = [];
    for (const [draw, p] of pages) {
      await p.setViewport({ width: 803, height: 601 });
      await p.evaluateOnNewDocument(() => {
        Math.random = () => 0.375;
        localStorage.setItem('emberdell.settings', JSON.stringify({ pictureHeight: 50 }));
      });
      await p.goto(new URL(`/?draw=${draw}`, page.url()).href);
      await waitFor(() => p.evaluate(() => window.emberdell.ready === true), 20, `the ${draw} page`);
      held.push(await p.evaluate(() => window.emberdell.holdAt(0)));
    }
    const drawer = await pages[1][1].evaluate(() => window.emberdell.drawer);
    if (drawer.name !== 'webgl2') throw new Error(`the WebGL2 page draws in ${drawer.name}: ${drawer.note}`);
    const from = Math.max(...held) + 1, to = from + 60;
    const shown = [];
    for (const [draw, p] of pages.reverse()) {
      await p.bringToFront();
      await waitFor(() => p.evaluate(() => document.visibilityState === 'visible'), 10, `the ${draw} page seen`);
      shown.push(await p.evaluate((from, to) => {
        const e = window.emberdell;
        const canvas = document.getElementById('fire');
        const rows = () => {
          const pixels = e.canvasPixels(), hashes = [];
          for (let y = 0, row = canvas.width * 4; y < canvas.height; y++) {
            let h = 2166136261;
            for (let i = y * row; i < (y + 1) * row; i++) h = Math.imul(h ^ pixels[i], 16777619);
            hashes.push(h >>> 0);
          }
          return hashes;
        };
        const reached = [e.holdAt(from), e.holdAt(from + 30)], still = rows();
        document.querySelectorAll('#styles button')[1].click();
        reached.push(e.holdAt(to));
        return { reached, size: [canvas.width, canvas.height], rows: [still, rows()] };
      }, from, to));
    }
    const [gl, flat] = shown;
    const wanted = `${from},${from + 30},${to}`;
    if (`${gl.reached}` !== wanted || `${flat.reached}` !== wanted)
      throw new Error(`frames drawn: webgl2 ${gl.reached}, 2d ${flat.reached}, wanted ${wanted}`);
    if (`${gl.size}` !== `${flat.size}`) throw new Error(`sizes ${gl.size} and ${flat.size}`);
    for (const [at, when] of [[0, 'before'], [1, 'while']]) {
      if (new Set(flat.rows[at]).size < 10) throw new Error(`the 2d canvas is nearly blank ${when} the morph`);
      const differing = flat.rows[at].map((h, y) => (h !== gl.rows[at][y] ? y : -1)).filter((y) => y >= 0);
      if (differing.length) throw new Error(`${when} the morph ${differing.length} rows differ, first ${differing[0]}`);
    }
  }],
  ['with the server stopped, a reload still burns', async (page, browser, server) => {
    await waitFor(() => page.evaluate(async () => {
      const kept = await caches.open('emberdell-page');
      return navigator.serviceWorker.controller && (await kept.keys()).length >= 14;
    }), 20, 'the service worker keeping the files');
    await new Promise((resolve) => server.close(resolve));
    server.closeAllConnections();
    await page.reload();
    await waitFor(() => page.evaluate(() => window.emberdell.ready === true), 20, 'the page offline');
    await burning(page);
  }],
];

const browser = await launchBrowser();
let failed = 0;
try {
  for (const [name, scenario] of Scenarios) {
    const { server, url } = await serveFolder(site);
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    try {
      await page.goto(url);
      await waitFor(() => page.evaluate(() => window.emberdell && window.emberdell.ready === true), 20, 'the page');
      await burning(page);
      await scenario(page, context, server);
      console.log(`ok: ${name}`);
    } catch (e) {
      console.log(`FAILED: ${name}: ${e.message}`);
      failed++;
    } finally {
      await context.close();
      server.close();
    }
  }
} finally {
  await browser.close();
  rmSync(work, { recursive: true, force: true });
}
console.log(failed ? `${failed} failed` : 'all passed');
process.exit(failed ? 1 : 0);
