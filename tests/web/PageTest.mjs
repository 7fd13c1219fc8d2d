// End-to-end tests of the web build in headless Chromium, one case a run:
//   node --experimental-websocket PageTest.mjs CASE WEB_ZIP GOLDEN_DIR
// The zip is unpacked into a scratch folder and served from there; each run
// has a browser profile of its own, so IndexedDB starts empty.
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { Browser, decodePng, keys } from './Browser.mjs';

const [caseName, zip, goldenDir] = process.argv.slice(2);
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

function check(condition, what) {
  if (!condition)
    throw new Error(what);
}

// Pixels of the screenshot in the box (fractions of its size) for which test is true.
function count(shot, [x0, y0, x1, y1], test) {
  let n = 0;
  for (let y = Math.floor(y0 * shot.height); y < y1 * shot.height; y++)
    for (let x = Math.floor(x0 * shot.width); x < x1 * shot.width; x++)
      if (test(...shot.rgb(x, y)))
        n++;
  return n;
}
const white = (r, g, b) => r > 235 && g > 235 && b > 235;
const grey = (r, g, b) => r > 100 && r < 210 && Math.abs(r - g) < 8 && Math.abs(r - b) < 8;
const red = (r, g, b) => r > 180 && g < 40 && b < 40;
const radarGreen = (r, g, b) => g > 120 && g - r > 40 && g - b > 40;

// The menu under the logo: one item white, the other two grey, and none of
// the options' red values.
function looksLikeTitle(shot) {
  const menu = [0.3, 0.38, 0.7, 0.72];
  return count(shot, menu, white) > 1500 && count(shot, menu, grey) > 3000 && count(shot, menu, red) < 50;
}

// The HUD's radar at the bottom, and no menu.
function looksLikeFlight(shot) {
  return count(shot, [0.3, 0.8, 0.7, 1], radarGreen) > 1000 && !looksLikeTitle(shot);
}

// Screenshots until one passes the test (which may act on it): it, or a
// failure saying what was seen.
async function waitForLook(browser, test, ms, what) {
  const end = Date.now() + ms;
  for (;;) {
    const shot = await browser.screenshot();
    if (await test(shot))
      return shot;
    if (Date.now() > end) {
      const file = `${caseName}-last.png`;
      writeFileSync(file, shot.png);
      throw new Error(`waited ${ms} ms for ${what} (the last screenshot: ${file}); ` +
                      `the page's console:\n${browser.console.join('\n')}`);
    }
    await sleep(250);
  }
}

const cases = {
  // On a device of 1.5 pixels a CSS pixel: the title after the splash and
  // the intro, in the device's own pixels; a game with its HUD, Escape to
  // Game Over and back, a setting changed, the page resized, the game left. After a reload the
  // setting and the game's demo are still there, to download from the page.
  async titleGameAndASettingThatLasts(browser) {
    await browser.load('/');
    const title = await waitForLook(browser, looksLikeTitle, 90000, 'the title');
    const [canvasW, pageW] = await browser.value('[canvas.width, innerWidth]');
    check(title.width === 1920 && pageW === 1280 && canvasW === 1920,
          `the canvas has the device's pixels: ${canvasW} for a page of ${pageW}, shown on ${title.width}`);

    await sleep(500);  // the logo has landed and the menu reads keys
    await browser.press(keys.Enter);
    const flying = await waitForLook(browser, looksLikeFlight, 15000, 'the HUD');
    check(count(flying, [0, 0, 0.2, 0.05], white) > 20, 'the score in the corner');
    check(count(flying, [0, 0.85, 0.03, 1], (r, g, b) => r + g + b > 150) > 300,
          'widescreen: the HUD bar reaches the left edge');

    // Escape ends the game once the approach is over (which takes longer on
    // a busy machine, whose frames come slower): Game Over, then the title.
    await waitForLook(browser, async (s) => {
      if (looksLikeFlight(s)) {
        await browser.press(keys.Escape, 300);
        await sleep(1000);
      }
      return looksLikeTitle(s);
    }, 45000, 'the title again, after Escape in flight');
    await sleep(500);

    await browser.press(keys.Down);
    await browser.press(keys.Enter);  // Game Options
    await sleep(800);
    await browser.press(keys.Down);
    await browser.press(keys.Enter);  // Game Type: from Modern to Classic
    await sleep(800);
    await browser.press(keys.Escape);  // the title
    await waitForLook(browser, looksLikeTitle, 10000, 'the title after the options');
    // The page resized and moved to a screen of 2 pixels a CSS pixel: the
    // canvas and the title follow.
    await browser.send('Emulation.setDeviceMetricsOverride', { width: 1000, height: 600, deviceScaleFactor: 2,
                                                               mobile: false });
    await browser.until('canvas.width === 2000 && canvas.height === 1200', 15000,
                        `the canvas to follow (${await browser.value('[canvas.width, canvas.height]')} before)`);
    await waitForLook(browser, (s) => s.width === 2000 && looksLikeTitle(s) &&
                      count(s, [0, 0, 1, 0.02], (r, g, b) => r + g + b > 30) > 5000,  // not the old one, fitted
                      10000, 'the title redrawn to the page');
    await sleep(500);
    await browser.press(keys.Escape);  // Exit Game
    await browser.until('window.zephyrionExit !== undefined', 15000, 'the game to end');
    check(await browser.value('window.zephyrionExit') === 0, 'the game ended with status 0');

    await browser.load('/');
    const cfg = await browser.value('FS.readFile("Zephyrion.cfg", { encoding: "utf8" })');
    check(/Classic = 1/.test(cfg), `the setting lasts; Zephyrion.cfg is:\n${cfg}`);
    const demo = await browser.value('FS.readFile("demos/last.zdemo").length');
    check(demo > 100, `the game's demo lasts: ${demo} bytes`);
    // Nothing but the browser's own rule on sound, if headless Chromium has it.
    const log = await browser.value('FS.analyzePath("ErrorLog.txt").exists ? ' +
                                    'FS.readFile("ErrorLog.txt", { encoding: "utf8" }) : ""');
    const lines = log.split('\n').filter((line) => /^[A-Z]{3}:/.test(line));
    check(lines.every((line) => line.startsWith('INF:') && line.includes('holds the sound back')),
          `nothing logged but the sound's wait:\n${log}`);
    await browser.value('document.getElementById("files").open = true');
    await sleep(200);
    const links = await browser.value('Array.from(document.querySelectorAll("#file-list a"), (a) => a.download)');
    check(links.includes('last.zdemo'), `the page offers the demo to download: ${links}`);
  },

  // A golden demo replayed as fast as the page's frames go: in step to its
  // end, with the same result as on Linux, and its frame of tick 600 the
  // very picture the Linux game drew.
  async aGoldenDemoReplaysInStep(browser, folder) {
    copyFileSync(join(goldenDir, 'old-school-refuel-and-crash.zdemo'), join(folder, 'golden.zdemo'));
    await browser.load('/');
    await browser.value('FS.writeFile("Zephyrion.cfg", "[Display]\\nSmoothMotion = 0\\nWidescreen = 0\\n' +
                        'Resolution = 1\\n"), new Promise((done) => FS.syncfs(false, done))');
    await browser.load('/?timedemo=golden.zdemo&shot=600');
    await browser.until('window.zephyrionExit !== undefined', 240000, 'the replay to end');
    const out = browser.console.join('\n');
    check(await browser.value('window.zephyrionExit') === 0, `the replay ended with status 0:\n${out}`);
    check(out.includes('Score -38, cities 0, ticks 1996') && !out.includes('out of step'),
          `in step to the end:\n${out}`);
    console.log(out.match(/.* fps/)?.[0]);
    const frame = decodePng(Buffer.from(await browser.value(
        'btoa(Array.from(FS.readFile("shot.png"), (c) => String.fromCharCode(c)).join(""))'), 'base64'));
    const before = decodePng(readFileSync(join(goldenDir, 'old-school-tick-600.png')));
    check(frame.width === 800 && frame.height === 600, `the frame is ${frame.width} x ${frame.height}`);
    let differing = 0;
    for (let y = 0; y < 600; y++)
      for (let x = 0; x < 800; x++)
        if (frame.rgb(x, y).join() !== before.rgb(x, y).join())
          differing++;
    check(differing === 0, `${differing} pixels of tick 600 differ from Linux's`);
  },
};

const scratch = mkdtempSync(join(tmpdir(), 'zephyrion-web-'));
let browser;
try {
  check(cases[caseName], `no case ${caseName}`);
  execFileSync('unzip', ['-q', zip, '-d', scratch]);
  const folder = join(scratch, readdirSync(scratch)[0]);
  browser = await Browser.open(folder, { scale: caseName === 'titleGameAndASettingThatLasts' ? 1.5 : 1 });
  await cases[caseName](browser, folder);
  console.log(`${caseName}: passed`);
} catch (error) {
  console.error(`${caseName}: FAILED: ${error.message}`);
  process.exitCode = 1;
} finally {
  await browser?.close();
  rmSync(scratch, { recursive: true, force: true });
}
