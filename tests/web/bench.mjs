// SPDX-License-Identifier: MIT
// Measurements of the browser build, not a test: the time from loading the
// page to its first frame and to the title screen drawn as the X build draws
// it (after the wipe's 40 ticks), the ticks per second on the title screen
// over 5 s, and in the first second of a game (one flush a tick in both).
//   PELKO_SITE=<site> PELKO_TITLE_PPM=<X title> node bench.mjs [runs]
import {
  frameDifferences, giveReference, launchChromium, readPpm, serveSite, waitFor,
} from "./browser.mjs";

const runs = Number(process.argv[2] || 3);
const reference = readPpm(process.env.PELKO_TITLE_PPM);
const site = await serveSite(process.env.PELKO_SITE);
const chromium = await launchChromium();
try {
  for (let run = 1; run <= runs; run++) {
    const page = await chromium.browser.newPage();
    await giveReference(page, reference);
    await page.goto(site.url, { waitUntil: "domcontentloaded" });
    const drawn = await waitFor("the title screen", async () => {
      const d = await frameDifferences(page);
      return { ok: d.count === 0, at: await page.evaluate(() => performance.now()) };
    });
    const firstFlush = await page.evaluate(() => window.pelko.firstFlushAt);
    const start = await page.evaluate(() => [performance.now(), window.pelko.flushes]);
    await new Promise((resolve) => setTimeout(resolve, 5000));
    const end = await page.evaluate(() => [performance.now(), window.pelko.flushes]);
    const ticks = ((end[1] - start[1]) * 1000) / (end[0] - start[0]);
    // A game's first second, before its worm can reach the fence.
    await page.keyboard.press("s");
    await waitFor("the game", () => page.evaluate(() => {
      const c = document.getElementById("screen").getContext("2d").getImageData(40, 180, 1, 1).data;
      return c[0] === 0xd8 && c[1] === 0x85 && c[2] === 0x4a;
    }));
    const gameStart = await page.evaluate(() => [performance.now(), window.pelko.flushes]);
    await new Promise((resolve) => setTimeout(resolve, 1000));
    const gameEnd = await page.evaluate(() => [performance.now(), window.pelko.flushes]);
    const gameTicks = ((gameEnd[1] - gameStart[1]) * 1000) / (gameEnd[0] - gameStart[0]);
    console.log(`run ${run}: first frame ${firstFlush.toFixed(0)} ms, title drawn ` +
                `${drawn.at.toFixed(0)} ms after navigation; ` +
                `${ticks.toFixed(2)} ticks/s over ${((end[0] - start[0]) / 1000).toFixed(2)} s ` +
                `on the title, ${gameTicks.toFixed(2)} in a game's first second`);
    await page.close();
  }
} finally {
  await chromium.close();
  site.server.close();
}
