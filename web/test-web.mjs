// Plays the web build in Debian's Chromium, headless, through playwright-core:
//   node web/test-web.mjs URL SCREENSHOT_DIR
// Checks that the page loads without a console error, that the canvas shows
// the level and its caption, that Right scrolls the view, that Space shoots,
// that the game runs at 100 +- 5 steps a second (counted from the page), and
// that Escape ends it. Prints one line per check; exits 1 if any fails.
// The steps are those the web build's frame timer counts in Module.steps.
import { chromium } from 'playwright-core';
import { mkdirSync } from 'node:fs';

const [url, shots] = process.argv.slice(2);
const CHROMIUM = '/usr/bin/chromium';
const LOAD_LIMIT_MS = 30000;
const MIN_COLOURS = 16;
const CAPTION_TOP = 430;  // the caption band: the bottom 50 rows
const MIN_SCROLLED_PIXELS = 1000;
const RATE_WINDOW_MS = 5000;
const RATE = 100, RATE_TOLERANCE = 5;
const BULLET_COLOURS = [0xF48420, 0xFFDE40, 0xFFFFE4];

let failures = 0;
function check(ok, what, detail) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${detail ? ': ' + detail : ''}`);
  if (!ok) failures++;
}

mkdirSync(shots, { recursive: true });
const browser = await chromium.launch({ executablePath: CHROMIUM, args: ['--no-sandbox'] });
const page = await browser.newPage({ viewport: { width: 800, height: 640 } });
const errors = [];
page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
page.on('pageerror', (e) => errors.push(String(e)));
// Pixels of the canvas as 0xRRGGBB numbers, read in the page.
const pixels = () => page.evaluate(() => {
  const c = document.getElementById('canvas');
  const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  const out = new Array(d.length / 4);
  for (let i = 0; i < out.length; i++) out[i] = (d[4 * i] << 16) | (d[4 * i + 1] << 8) | d[4 * i + 2];
  return out;
});
const WIDTH = 640;
const colours = (p, from, to) => new Set(p.slice(from * WIDTH, to * WIDTH)).size;
const shot = (name) => page.locator('#canvas').screenshot({ path: `${shots}/${name}.png` });

await page.goto(url);
const steps = () => page.evaluate(() => window.Module.steps || 0);
await page.waitForFunction(() => (window.Module.steps || 0) > 50, null, { timeout: LOAD_LIMIT_MS });
await shot('01-start');
const start = await pixels();
check(colours(start, 0, 480) >= MIN_COLOURS, 'the canvas shows the level', `${colours(start, 0, 480)} colours`);
check(colours(start, CAPTION_TOP, 480) >= 2, 'the caption band is there', `${colours(start, CAPTION_TOP, 480)} colours`);

const before = await steps();
const t0 = Date.now();
await page.waitForTimeout(RATE_WINDOW_MS);
const rate = ((await steps()) - before) * 1000 / (Date.now() - t0);
check(Math.abs(rate - RATE) <= RATE_TOLERANCE, 'steps a second', rate.toFixed(1));

await page.keyboard.down('ArrowRight');
await page.waitForTimeout(2000);
await page.keyboard.up('ArrowRight');
await shot('02-after-right');
const moved = await pixels();
const changed = moved.filter((v, i) => v !== start[i]).length;
check(changed > MIN_SCROLLED_PIXELS, 'Right scrolls the view', `${changed} pixels changed`);

const bullets = (p) => p.slice(0, CAPTION_TOP * WIDTH).filter((v) => BULLET_COLOURS.includes(v)).length;
const idle = bullets(await pixels());
await page.keyboard.down('Space');
let shooting = 0;  // the most bullet pixels in a frame, looked at for a second
for (let look = 0; look < 20 && shooting === 0; look++) {
  await page.waitForTimeout(50);
  shooting = Math.max(shooting, bullets(await pixels()));
}
await shot('03-shooting');
await page.keyboard.up('Space');
check(idle === 0 && shooting > 0, 'Space shoots', `bullet pixels ${idle} before, ${shooting} while held`);

await page.keyboard.down('Escape');
await page.waitForTimeout(200);
await page.keyboard.up('Escape');
const ended = await page.waitForFunction(() => window.gameEnded === true, null, { timeout: 5000 })
  .then(() => true, () => false);
const status = await page.textContent('#status');
await page.screenshot({ path: `${shots}/04-ended.png` });
check(ended && status.includes('ended'), 'Escape ends the game', status);
check(errors.length === 0, 'no console error', errors.join(' | '));

await browser.close();
process.exit(failures === 0 ? 0 : 1);
