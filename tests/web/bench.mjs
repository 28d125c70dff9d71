// SPDX-License-Identifier: MIT
// Measurements of the browser build, not a test, in Chromium and Firefox
// ESR: the time from navigation to the first frame (the first title pixels)
// and to the title screen drawn as the X build draws it (after the wipe's
// 40 ticks), the ticks per second on the title screen over 5 s, and in the
// first second of a game (one flush a tick in both), in a window of 1920 x
// 955 CSS pixels, the picture filling it sharp. Each page loads three
// ways: a first visit (a fresh profile, no service worker yet), a visit
// again with the server up (the worker asks it first), and offline (the
// server stopped, the site from the worker's cache); a site without a
// worker (an older build, as a baseline) the first way only.
//   PELKO_SITE=<site> PELKO_TITLE_PPM=<X title> node bench.mjs [runs] [browser...]
import fs from "node:fs";
import path from "node:path";
import {
  BROWSERS, COLOUR, frameDifferences, launchBrowser, readPpm, serveSite, waitFor,
} from "./browser.mjs";

const runs = Number(process.argv[2] || 3);
const browsers = process.argv.length > 3 ? process.argv.slice(3) : BROWSERS;
const referenceBase64 = Buffer.from(readPpm(process.env.PELKO_TITLE_PPM).rgb).toString("base64");
const offline = fs.existsSync(path.join(process.env.PELKO_SITE, "sw.js"));

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const now = (page) => page.evaluate(() => [performance.now(), window.pelko.flushes]);
const rate = (from, to) => ((to[1] - from[1]) * 1000) / (to[0] - from[0]);

// The reference goes in once the page has loaded, so that its megabyte does
// not hold up the start being measured.
async function measure(page, url) {
  await page.setViewport({ width: 1920, height: 955 }); // a desktop browser's window
  await page.goto(url, { waitUntil: "domcontentloaded" });
  await page.evaluate((base64) => {
    window.referenceFrame = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
  }, referenceBase64);
  const drawn = await waitFor("the title screen", async () => {
    const d = await frameDifferences(page);
    return { ok: d.count === 0, at: await page.evaluate(() => performance.now()) };
  });
  const firstFrame = await page.evaluate(() => window.pelko.firstFlushAt);
  const start = await now(page);
  await pause(5000);
  const title = rate(start, await now(page));
  // A game's first second, before its worm can reach the fence.
  await page.focus("#screen");
  await page.keyboard.press("s");
  await waitFor("the game", () => page.evaluate((worm) => {
    const frame = window.pelko.frame, i = 4 * (180 * frame.width + 40);
    return ((frame.data[i] << 16) | (frame.data[i + 1] << 8) | frame.data[i + 2]) === worm;
  }, COLOUR.worm));
  const gameStart = await now(page);
  await pause(1000);
  return { firstFrame, drawn: drawn.at, title, game: rate(gameStart, await now(page)) };
}

function report(label, results) {
  const m = (key) => median(results.map((r) => r[key]));
  console.log(`${label}: first frame ${m("firstFrame").toFixed(0)} ms, title drawn ${m("drawn").toFixed(0)} ms ` +
              `after navigation; ${m("title").toFixed(2)} ticks/s on the title over 5 s, ` +
              `${m("game").toFixed(2)} in a game's first second (medians of ${results.length})`);
}

// A visit that leaves the worker in control of the default profile, then
// the runs with the server up and with it stopped.
async function withWorker(browser, site, modes) {
  const page = await browser.newPage();
  await page.goto(site.url);
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.close();
  for (const mode of ["again, online", "offline"]) {
    if (mode === "offline") await site.stop();
    modes[mode] = [];
    for (let run = 0; run < runs; run++) {
      const visit = await browser.newPage();
      modes[mode].push(await measure(visit, site.url));
      await visit.close();
    }
  }
}

for (const name of browsers) {
  const site = await serveSite(process.env.PELKO_SITE);
  const browser = await launchBrowser(name);
  try {
    const modes = { "first visit": [] };
    for (let run = 0; run < runs; run++) {
      const context = await browser.browser.createBrowserContext();
      modes["first visit"].push(await measure(await context.newPage(), site.url));
      await context.close();
    }
    if (offline) await withWorker(browser.browser, site, modes);
    for (const [mode, results] of Object.entries(modes)) {
      for (const [i, r] of results.entries())
        console.log(`${name}, ${mode}, run ${i + 1}: first frame ${r.firstFrame.toFixed(0)} ms, ` +
                    `title drawn ${r.drawn.toFixed(0)} ms; ${r.title.toFixed(2)} ticks/s, ` +
                    `${r.game.toFixed(2)} in a game`);
      report(`${name}, ${mode}`, results);
    }
  } finally {
    await browser.close();
    await site.stop();
  }
}
