// Pictures of the page for the README, at a desktop's and a phone's size,
// after the fire has burned for a while.
//   node web/screenshots.mjs SITE_FOLDER OUT_FOLDER
import path from 'node:path';

import { launchBrowser, waitFor } from '../tests/support/web_browser.mjs';
import { serveFolder } from './serve.mjs';

const [site, out] = process.argv.slice(2);
const { server, url } = await serveFolder(site);
const browser = await launchBrowser();
try {
  for (const [name, width, height, mobile] of [['web-desktop', 1280, 800, false], ['web-phone', 390, 844, true]]) {
    const page = await browser.newPage();
    await page.setViewport({ width, height, isMobile: mobile, hasTouch: mobile, deviceScaleFactor: 1 });
    await page.goto(url);
    await waitFor(() => page.evaluate(() => window.emberdell.ready && window.emberdell.framesDrawn() > 75), 30,
      'a fire burning');
    await page.screenshot({ path: path.join(out, `${name}.png`) });
    await page.close();
  }
} finally {
  await browser.close();
  server.close();
}
