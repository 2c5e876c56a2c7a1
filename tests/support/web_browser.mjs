// Debian's Chromium, headless, driven by puppeteer-core (installed by
// scripts/setup into .cache/node; it downloads no browser), with a profile of
// its own under build/ that is removed on close.
import { mkdtempSync, mkdirSync, rmSync, existsSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const Root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const Skip = 77;
const Chromium = '/usr/bin/chromium';

function loadPuppeteer() {
  const require = createRequire(path.join(Root, '.cache/node/package.json'));
  return require('puppeteer-core');
}

// Exits with Skip when the machine lacks the browser or the driver.
export async function launchBrowser() {
  let puppeteer;
  try {
    puppeteer = loadPuppeteer();
  } catch (e) {
    console.log('SKIP: puppeteer-core is not installed (bash scripts/setup installs it)');
    process.exit(Skip);
  }
  if (!existsSync(Chromium)) {
    console.log(`SKIP: ${Chromium} is missing (bash scripts/setup installs it)`);
    process.exit(Skip);
  }
  mkdirSync(path.join(Root, 'build'), { recursive: true });
  const profile = mkdtempSync(path.join(Root, 'build', 'chromium-profile-'));
  // No GPU here: WebGL2 runs on the software renderer, which newer
  // Chromiums only fall back to when asked.
  const browser = await puppeteer.launch({
    executablePath: Chromium,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--enable-unsafe-swiftshader', '--disable-quic',
      '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync',
      `--user-data-dir=${profile}`],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    try {
      await close();
    } finally {
      rmSync(profile, { recursive: true, force: true });
    }
  };
  return browser;
}

// Waits for Condition (async, truthy when met) until Seconds have passed.
export async function waitFor(condition, seconds, what) {
  const deadline = Date.now() + seconds * 1000;
  for (;;) {
    const value = await condition();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out after ${seconds} s waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}
