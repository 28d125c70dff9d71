// SPDX-License-Identifier: MIT
// The browser build in headless Chromium: the title screen pixel for pixel
// as the X build shows it, a game started and ended with keys, and the end
// of the program said on the page.
//   PELKO_SITE=<site> PELKO_TITLE_PPM=<X title> node --test browser_test.mjs
// (tests/web/run.sh builds both and runs it.)
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import { after, before, describe, it } from "node:test";
import {
  BORDER, FRAME_HEIGHT, FRAME_WIDTH, frameDifferences, giveReference, launchChromium, readPpm,
  serveSite, waitFor,
} from "./browser.mjs";

const COLOUR = {
  white: 0xffffff, grass: 0x004000, grey: 0x909090, capRed: 0xfd3636, spot: 0xebebeb,
  worm: 0xd8854a,
};

async function titleShown(page) {
  const d = await frameDifferences(page);
  return { ok: d.count === 0, ...d };
}

// The game as it shows in the canvas: border, playfield colours, the fence,
// the worm's head on its start row and the game over's white letters, with
// the count of flushes (one a tick in a game).
function lookAtGame(page) {
  return page.evaluate((COLOUR, W, H, B) => {
    const canvas = document.getElementById("screen");
    const d = canvas.getContext("2d").getImageData(0, 0, W, H).data;
    const at = (x, y) => {
      const i = ((y + B) * W + x + B) * 4;
      return (d[i] << 16) | (d[i + 1] << 8) | d[i + 2];
    };
    const w = W - 2 * B, h = H - 2 * B;
    let borderWhite = true;
    for (let y = -B; y < h + B; y++)
      for (let x = -B; x < w + B; x++)
        if ((x < 0 || y < 0 || x >= w || y >= h) && at(x, y) !== COLOUR.white) borderWhite = false;
    const playfield = new Set([COLOUR.grass, COLOUR.grey, COLOUR.capRed, COLOUR.spot, COLOUR.worm]);
    let others = 0, grass = 0, white = 0;
    for (let y = 0; y < h; y++)
      for (let x = 0; x < w; x++) {
        const c = at(x, y);
        if (!playfield.has(c)) others++;
        if (c === COLOUR.grass) grass++;
        if (c === COLOUR.white) white++;
      }
    // The posts' solid rows and columns along the window's edges.
    let fence = true;
    for (let x = 0; x < w; x++) if (at(x, 1) !== COLOUR.grey || at(x, h - 1) !== COLOUR.grey) fence = false;
    for (let y = 0; y < h; y++) if (at(1, y) !== COLOUR.grey || at(w - 1, y) !== COLOUR.grey) fence = false;
    let head = -1;
    for (let x = 8; x < w - 8; x++) if (at(x, 175) === COLOUR.worm) head = x;
    return {
      borderWhite, others, grassShare: grass / (w * h), fence, head, gameOver: white > 0,
      flushes: window.pelko.flushes,
    };
  }, COLOUR, FRAME_WIDTH, FRAME_HEIGHT, BORDER);
}

let site, chromium;

before(async () => {
  site = await serveSite(process.env.PELKO_SITE);
  chromium = await launchChromium();
});

after(async () => {
  await chromium?.close();
  site?.server.close();
});

function ended(page) {
  return waitFor("the end", () => page.evaluate(() => ({
    ok: window.pelko.state === "ended",
    exitStatus: window.pelko.exitStatus,
    notice: document.getElementById("notice").hidden ? "" : document.getElementById("notice").innerText,
  })));
}

describe("the browser build", () => {
  let page;

  before(async () => {
    const reference = readPpm(process.env.PELKO_TITLE_PPM);
    assert.deepEqual([reference.width, reference.height], [FRAME_WIDTH, FRAME_HEIGHT]);
    page = await chromium.browser.newPage();
    await page.setViewport({ width: 1600, height: 1500 });
    page.on("pageerror", (error) => console.error("page error:", error.message));
    await giveReference(page, reference);
    await page.goto(site.url);
  });

  it("shows the title screen exactly as the X build does, the canvas focused and scaled whole", async () => {
    await waitFor("the title screen", () => titleShown(page));
    assert.equal(await page.title(), "Pelko v1.02");
    assert.equal(await page.evaluate(() => document.activeElement.id), "screen");
    const width = await page.evaluate(() => document.getElementById("screen").getBoundingClientRect().width);
    assert.ok(Number.isInteger(width / FRAME_WIDTH) && width >= 2 * FRAME_WIDTH, `canvas ${width} px wide`);
  });

  it("takes Shift+S for 'S', not a start, as X does", async () => {
    const flushes = await page.evaluate(() => window.pelko.flushes);
    await page.keyboard.down("Shift");
    await page.keyboard.press("KeyS");
    await page.keyboard.up("Shift");
    await waitFor("ten ticks", () => page.evaluate((n) => window.pelko.flushes >= n, flushes + 10));
    const d = await frameDifferences(page);
    assert.equal(d.count, 0, "the title screen stays");
  });

  it("starts a game on 's': grass in the fence, the worm moving right a cell a tick", async () => {
    let first, later;
    // A page held up until the worm reached the fence gets another game.
    for (let attempt = 1; ; attempt++) {
      await page.keyboard.press("s");
      first = await waitFor("the game", async () => {
        const g = await lookAtGame(page);
        return { ok: g.head > 0 && g.fence, ...g };
      });
      later = await waitFor("three more ticks", async () => {
        const g = await lookAtGame(page);
        return { ok: g.flushes >= first.flushes + 3, ...g };
      });
      if (!first.gameOver && !later.gameOver) break;
      assert.ok(attempt < 3, "every game was over before the test could look at it twice");
      await waitFor("the title screen", () => titleShown(page));
    }
    assert.ok(first.borderWhite, "the border stays white");
    assert.equal(first.others, 0, "only the playfield's colours inside the window");
    assert.ok(first.grassShare > 0.8, `grass ${first.grassShare}`);
    assert.equal(later.head - first.head, 7 * (later.flushes - first.flushes), "7 pixels a tick");
  });

  it("ends the game on 'q' and comes back to the title screen", async () => {
    await page.keyboard.press("q");
    await waitFor("the title screen again", () => titleShown(page));
  });

  it("ends the program on 'e' and says so, with a way to play again", async () => {
    await page.keyboard.press("e");
    const end = await ended(page);
    assert.equal(end.exitStatus, 0);
    assert.match(end.notice, /Pelko has ended\./);
    assert.match(end.notice, /Play again/);
    await page.click("#again");
    await waitFor("the title screen of a new run", () => titleShown(page));
  });
});

// The site with one of its files answered otherwise; the program's end.
async function endWith(file, answer) {
  const page = await chromium.browser.newPage();
  await page.setRequestInterception(true);
  page.on("request", (request) => {
    if (new URL(request.url()).pathname === file) request.respond(answer);
    else request.continue();
  });
  await page.goto(site.url);
  const end = await ended(page);
  await page.close();
  return end;
}

it("stops with the game's own message when a data file is missing", async () => {
  // A package that lost the logo, as the X build's data directory can.
  const program = fs.readFileSync(path.join(process.env.PELKO_SITE, "pelko.js"), "utf8");
  const renamed = program.replaceAll('/pelko.raw"', '/pelko.gone"');
  assert.notEqual(renamed, program, "the package names pelko.raw");
  const end = await endWith("/pelko.js", { status: 200, contentType: "text/javascript", body: renamed });
  assert.equal(end.exitStatus, 1);
  assert.match(end.notice, /Pelko has stopped\.\s+file pelko\.raw not found\s+Play again/);
});

it("says it stopped when its data cannot be loaded, rather than load for ever", async () => {
  const end = await endWith("/pelko.data", { status: 404, body: "" });
  assert.match(end.notice, /Pelko has stopped\.\s+Not Found.*pelko\.data\s+Play again/);
});
