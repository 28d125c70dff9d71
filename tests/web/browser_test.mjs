// SPDX-License-Identifier: MIT
// The browser build in Debian's headless Chromium and Firefox ESR and in its
// WebKitGTK: the title screen pixel for pixel as the X build shows it, a game
// started, steered, paused and ended with keys and with a gamepad, the end of
// the program said on the page, the site played offline and replaced when
// rebuilt; and in Chromium as a phone, the game played by touch.
//   PELKO_SITE=<site> PELKO_TITLE_PPM=<X title> node --test browser_test.mjs
// (tests/web/run.sh builds both and runs it.)
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { after, before, describe, it } from "node:test";
import { fileURLToPath } from "node:url";
import {
  BORDER, BROWSERS, COLOUR, FRAME_HEIGHT, FRAME_WIDTH, frameDifferences, giveReference, launchBrowser,
  readPpm, serveSite, sharpDifferences, waitFor, watchErrors,
} from "./browser.mjs";

const SOURCE = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const reference = readPpm(process.env.PELKO_TITLE_PPM);

async function titleShown(page) {
  const d = await frameDifferences(page);
  return { ok: d.count === 0, ...d };
}

// The game as the frame last shown has it: border, playfield colours, the fence,
// the worm's head on its start row and the game over's white letters, with
// the count of flushes (one a tick in a game).
function lookAtGame(page) {
  return page.evaluate((COLOUR, W, H, B) => {
    const d = window.pelko.frame.data;
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

async function gameShown(page) {
  const g = await lookAtGame(page);
  return { ok: g.head > 0 && g.fence, ...g };
}

function ended(page) {
  return waitFor("the end", () => page.evaluate(() => ({
    ok: window.pelko.state === "ended",
    exitStatus: window.pelko.exitStatus,
    notice: document.getElementById("notice").hidden ? "" : document.getElementById("notice").innerText,
  })));
}

const sent = (page) => page.evaluate(() => window.pelko.sent.map((entry) => entry[0]).join(""));

// A gamepad in the standard layout that the test holds: navigator.getGamepads
// gives it once it is plugged in.
function fakeGamepad() {
  const buttons = Array.from({ length: 17 }, () => ({ pressed: false, value: 0 }));
  const pad = { index: 0, id: "test pad", mapping: "standard", connected: true, buttons, axes: [0, 0, 0, 0] };
  let plugged = false;
  Object.defineProperty(Navigator.prototype, "getGamepads", { value: () => [plugged ? pad : null] });
  window.testPad = {
    plug() {
      plugged = true;
      window.dispatchEvent(new Event("gamepadconnected"));
    },
    hold(index, down) { buttons[index] = { pressed: down, value: down ? 1 : 0 }; },
  };
}

for (const name of BROWSERS)
  describe(`in ${name}`, () => {
    let browser, site;

    before(async () => {
      assert.deepEqual([reference.width, reference.height], [FRAME_WIDTH, FRAME_HEIGHT]);
      site = await serveSite(process.env.PELKO_SITE);
      browser = await launchBrowser(name);
    });

    after(async () => {
      await browser?.close();
      await site?.stop();
    });

    describe("on a desktop", () => {
      let page, errors;

      before(async () => {
        page = await browser.browser.newPage();
        // A room 1042 CSS pixels high: the picture twice the frame.
        await page.setViewport({ width: 1600, height: 1089 });
        errors = await watchErrors(page);
        await giveReference(page, reference);
        await page.evaluateOnNewDocument(fakeGamepad);
        await page.evaluateOnNewDocument(watchTurn, COLOUR.worm);
        await page.goto(site.url);
      });
      after(() => page?.close());

      it("shows the title screen exactly as the X build does, the canvas focused, at twice block for block", async () => {
        await waitFor("the title screen", () => titleShown(page));
        assert.equal(await page.title(), "Pelko v1.02");
        assert.equal(await page.evaluate(() => document.activeElement.id), "screen");
        const sharp = await sharpDifferences(page);
        assert.deepEqual([sharp.width, sharp.height, sharp.count, sharp.seams], [2 * FRAME_WIDTH, 2 * FRAME_HEIGHT, 0, 0],
          JSON.stringify(sharp));
        const shown = await page.evaluate(() =>
          Array.from(document.querySelectorAll(".controls")).filter((c) => c.getClientRects().length));
        assert.equal(shown.length, 0, "no touch controls with a mouse");
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
          first = await waitFor("the game", () => gameShown(page));
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

      it("steers up with the arrow key on the next tick, as with 'w', and Escape ends the game", async () => {
        await page.keyboard.press("s");
        await waitFor("the game", () => gameShown(page));
        await page.evaluate(() => { window.turnedUpAt = null; });
        await page.keyboard.press("ArrowUp");
        const turn = await waitFor("the turn", () => page.evaluate(() => ({
          ok: Boolean(window.turnedUpAt), at: window.turnedUpAt, sent: window.pelko.sent,
        })));
        const [character, flushes] = turn.sent[turn.sent.length - 1];
        assert.equal(character, "w");
        assert.equal(turn.at, flushes + 1, "up on the tick after the key");
        await page.keyboard.press("Escape");
        await waitFor("the title screen again", () => titleShown(page));
        assert.equal((await sent(page)).slice(-1), "q");
      });

      it("pauses on p: the picture held and dimmed, the worm going on from where it stopped", async () => {
        await page.keyboard.press("s");
        await waitFor("the game", () => gameShown(page));
        await page.keyboard.press("p");
        await waitFor("the pause", () => page.evaluate(() => window.pelko.paused));
        const held = await lookAtGame(page);
        await new Promise((resolve) => setTimeout(resolve, 2000));
        assert.deepEqual(await lookAtGame(page), held, "nothing moved in two seconds");
        assert.ok(await page.evaluate(() => document.getElementById("paused").checkVisibility()));
        await page.keyboard.press("p");
        const later = await waitFor("three more ticks", async () => {
          const g = await lookAtGame(page);
          return { ok: g.flushes >= held.flushes + 3, ...g };
        });
        assert.equal(later.head - held.head, 7 * (later.flushes - held.flushes), "a cell a tick from where it stopped");
        assert.ok(!(await page.evaluate(() => document.getElementById("paused").checkVisibility())));
        // Escape ends a paused game too.
        await page.keyboard.press("p");
        await waitFor("the pause", () => page.evaluate(() => window.pelko.paused));
        await page.keyboard.press("Escape");
        await waitFor("the title screen again", () => titleShown(page));
      });

      it("pauses a game when the page loses the focus or is hidden, until p", async () => {
        await page.keyboard.press("s");
        await waitFor("the game", () => gameShown(page));
        const paused = () => page.evaluate(() => window.pelko.paused);
        await page.evaluate(() => window.dispatchEvent(new Event("blur")));
        await waitFor("the pause", paused);
        await page.keyboard.press("p");
        await waitFor("the game going on", async () => !(await paused()));
        if (browser.hide) { // where a test can hide a page
          await browser.hide(page);
          await waitFor("the pause", paused);
          await browser.show(page);
          await new Promise((resolve) => setTimeout(resolve, 500));
          assert.ok(await paused(), "still paused when shown again");
          await page.keyboard.press("p");
          await waitFor("the game going on", async () => !(await paused()));
        }
        await page.keyboard.press("q");
        await waitFor("the title screen again", () => titleShown(page));
      });

      it("plays from a gamepad: Start held starts one game, B ends it", async () => {
        const before = await sent(page);
        await page.evaluate(() => {
          window.testPad.plug();
          window.testPad.hold(9, true);
        });
        await waitFor("the game", () => gameShown(page));
        const flushes = await page.evaluate(() => window.pelko.flushes);
        await waitFor("ten ticks held", () => page.evaluate((n) => window.pelko.flushes >= n, flushes + 10));
        await page.evaluate(() => {
          window.testPad.hold(9, false);
          window.testPad.hold(1, true);
        });
        await waitFor("the title screen again", () => titleShown(page));
        assert.equal((await sent(page)).slice(before.length), "sq");
        await page.evaluate(() => window.testPad.hold(1, false));
      });

      it("ends the program on 'e' and says so, with a way to play again", async () => {
        await page.focus("#screen");
        await page.keyboard.press("e");
        const end = await ended(page);
        assert.equal(end.exitStatus, 0);
        assert.match(end.notice, /Pelko has ended\./);
        assert.match(end.notice, /Play again/);
        await page.click("#again");
        await waitFor("the title screen of a new run", () => titleShown(page));
      });

      it("installs as an app: a manifest in the palette's colours, with icons at their sizes", async () => {
        const manifest = await page.evaluate(async () => {
          const link = document.querySelector("link[rel=manifest]");
          const body = await (await fetch(link.href)).json();
          for (const icon of body.icons) {
            const image = new Image();
            image.src = new URL(icon.src, link.href);
            await image.decode();
            icon.decoded = `${image.naturalWidth}x${image.naturalHeight}`;
          }
          return body;
        });
        assert.equal(manifest.name, "Pelko");
        assert.equal(manifest.display, "standalone");
        assert.equal(manifest.theme_color, "#000028", "the title screen's night");
        assert.equal(manifest.background_color, "#000028");
        const sizes = manifest.icons.map((icon) => `${icon.sizes} ${icon.purpose || "any"} ${icon.decoded}`);
        assert.deepEqual(sizes, ["192x192 any 192x192", "512x512 any 512x512", "512x512 maskable 512x512"]);
        if (name === "chromium") {
          const session = await page.createCDPSession();
          const { installabilityErrors } = await session.send("Page.getInstallabilityErrors");
          assert.deepEqual(installabilityErrors, []);
        }
      });

      it("logged no error and had nothing refused by its policy", async () => {
        assert.deepEqual(await errors(), []);
      });
    });

    // The picture fills its room sharp at the sizes players' windows have; the
    // page laid out when the first frame came is laid out so at the end.
    for (const [width, height, ratio] of [[1920, 955, 1], [1280, 720, 1.5]])
      it(`fills its room sharp at ${width} x ${height}, ${ratio} device pixels each, and nothing moves`, {
        skip: name === "webkit" && ratio !== 1 && "no device pixel ratio over WebDriver",
      }, async () => {
        const page = await browser.browser.newPage();
        try {
          await page.setViewport({ width, height, deviceScaleFactor: ratio });
          await giveReference(page, reference);
          await page.evaluateOnNewDocument(recordFirstLayout);
          await page.goto(site.url);
          await waitFor("the title screen", () => titleShown(page));
          await fillsItsRoom(page, `${width}x${height}`);
        } finally {
          await page.close();
        }
      });

    // The site with one of its files answered otherwise, in a profile of its
    // own and with no service worker to answer for the server; the program's end.
    async function endWith(file, answer) {
      const context = await browser.browser.createBrowserContext();
      const page = await context.newPage();
      await page.evaluateOnNewDocument(() => {
        Object.defineProperty(Navigator.prototype, "serviceWorker", { get: () => undefined });
      });
      await page.setRequestInterception(true);
      page.on("request", (request) => {
        if (new URL(request.url()).pathname === file) request.respond(answer);
        else request.continue();
      });
      await page.goto(site.url);
      const end = await ended(page);
      await context.close();
      return end;
    }

    // Classic WebDriver cannot answer for the server.
    const answersForTheServer = { skip: name === "webkit" && "no request interception over WebDriver" };

    it("stops with the game's own message when a data file is missing", answersForTheServer, async () => {
      // A package that lost the logo, as the X build's data directory can.
      const program = fs.readFileSync(path.join(process.env.PELKO_SITE, "pelko.js"), "utf8");
      const renamed = program.replaceAll('/pelko.raw"', '/pelko.gone"');
      assert.notEqual(renamed, program, "the package names pelko.raw");
      const end = await endWith("/pelko.js", { status: 200, contentType: "text/javascript", body: renamed });
      assert.equal(end.exitStatus, 1);
      assert.match(end.notice, /Pelko has stopped\.\s+file pelko\.raw not found\s+Play again/);
    });

    it("says it stopped when its data cannot be loaded, rather than load for ever", answersForTheServer, async () => {
      const end = await endWith("/pelko.data", { status: 404, body: "" });
      assert.match(end.notice, /Pelko has stopped\.\s+Not Found.*pelko\.data\s+Play again/);
    });

    // A copy of the site on a server of its own, which the test stops and
    // rebuilds as a player's server might.
    it("plays offline after one visit, and a rebuilt site replaces the kept one", async () => {
      const copy = fs.mkdtempSync(path.join(os.tmpdir(), "pelko-site-"));
      fs.cpSync(process.env.PELKO_SITE, copy, { recursive: true });
      const own = await serveSite(copy);
      const page = await browser.browser.newPage();
      await page.setViewport({ width: 1600, height: 1089 });
      const errors = await watchErrors(page);
      await giveReference(page, reference);
      // The site kept by the worker in control, in a cache other than the one before.
      const kept = (before) => waitFor("the site kept", () => page.evaluate(async (before) => {
        const registration = await navigator.serviceWorker.ready;
        const names = await caches.keys();
        return {
          ok: Boolean(navigator.serviceWorker.controller) && !registration.installing &&
            !registration.waiting && names.length === 1 && names[0] !== before,
          names,
        };
      }, before));
      const marked = () => page.evaluate(() => document.querySelector("meta[name=pelko-test]")?.content || "");
      try {
        await page.goto(own.url);
        await waitFor("the title screen", () => titleShown(page));
        const first = await kept();

        await own.stop();
        await page.reload();
        await waitFor("the title screen offline", () => titleShown(page));
        await page.focus("#screen");
        await page.keyboard.press("s");
        await waitFor("a game offline", () => gameShown(page));

        // A rebuild with a changed page: the worker's cache name follows.
        const index = path.join(copy, "index.html");
        fs.writeFileSync(index, fs.readFileSync(index, "utf8")
          .replace("<title>", '<meta name="pelko-test" content="rebuilt">\n<title>'));
        execFileSync("cmake", [`-DSITE=${copy}`, `-DWORKER=${SOURCE}/web/sw.js`, "-P", `${SOURCE}/web/site.cmake`]);
        await own.start();
        await page.goto(own.url);
        assert.equal(await marked(), "rebuilt", "the next visit serves the new page");
        await kept(first.names[0]); // a cache of the new build's name, the old one gone

        await own.stop();
        await page.reload();
        assert.equal(await marked(), "rebuilt", "offline, the new page kept");
        await waitFor("the title screen offline", () => titleShown(page));
        assert.deepEqual(await errors(), []);
      } finally {
        await page.close();
        await own.stop();
        fs.rmSync(copy, { recursive: true, force: true });
      }
    });
  });

// A screen wake lock that the test holds, counting the locks taken.
function fakeWakeLock() {
  window.wakeLocks = 0;
  Object.defineProperty(Navigator.prototype, "wakeLock", {
    get: () => ({
      request() {
        window.wakeLocks++;
        const lock = new EventTarget();
        lock.release = async () => lock.dispatchEvent(new Event("release"));
        return Promise.resolve(lock);
      },
    }),
  });
}


// Where the page's parts are when the first frame is painted, as a string.
function recordFirstLayout() {
  // The hint's text changes once the game is up: where it starts and its height count.
  window.layoutNow = () => JSON.stringify(["stage", "screen", "hint", "pad-area", "buttons", "keys"].map((id) => {
    const r = document.getElementById(id).getBoundingClientRect();
    return id === "hint" ? [id, r.y, r.height] : [id, r.x, r.y, r.width, r.height];
  }));
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    put.apply(this, args);
    if (!window.firstLayout) window.firstLayout = window.layoutNow();
  };
}

// The picture as tall as its room or as wide (a device pixel either way),
// sharp by the rule, and the layout as the first frame found it.
async function fillsItsRoom(page, name) {
  const room = await page.evaluate(() => {
    const stage = document.getElementById("stage"), ratio = window.devicePixelRatio;
    return [Math.floor(stage.clientWidth * ratio), Math.floor(stage.clientHeight * ratio), ratio];
  });
  const sharp = await sharpDifferences(page);
  const near = (a, b) => Math.abs(a - b) <= 1;
  assert.ok(near(sharp.width, room[0]) || near(sharp.height, room[1]), `${name}: ${sharp.width}x${sharp.height} in ${room}`);
  assert.ok(near(Math.round(sharp.width * FRAME_HEIGHT / FRAME_WIDTH), sharp.height), `${name}: its shape kept`);
  assert.equal(sharp.count, 0, `${name}: ${JSON.stringify(sharp)}`);
  const [first, last] = await page.evaluate(() => [window.firstLayout, window.layoutNow()]);
  assert.equal(last, first, `${name}: the layout moved after the first frame`);
  if (process.env.PELKO_CAPTURES && page.screenshot) await page.screenshot({ path: `${process.env.PELKO_CAPTURES}/page-${name}.png` });
}

// The worm's head above its start row, looked for in the frame as each
// tick puts it on the canvas: the flush that first shows it.
function watchTurn(worm) {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  window.turnedUpAt = undefined; // null once the test looks
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    put.apply(this, args);
    if (window.turnedUpAt !== null) return;
    // Rows 8 to 171 of the garden, inside the border: above the start row's cell.
    const d = window.pelko.frame.data;
    for (let y = 5 + 8; y < 5 + 8 + 164; y++)
      for (let x = 5 + 8; x < 647 - 5 - 8; x++) {
        const i = 4 * (y * 647 + x);
        if (((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]) === worm) {
          window.turnedUpAt = window.pelko.flushes + 1; // this flush, about to be counted
          return;
        }
      }
  };
}

it("fills the room beside the controls on a phone held sideways (844 x 390, 3 device pixels each)", async () => {
  const site = await serveSite(process.env.PELKO_SITE);
  const browser = await launchBrowser("chromium");
  try {
    const page = await browser.browser.newPage();
    await page.setViewport({ width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true, isLandscape: true });
    await giveReference(page, reference);
    await page.evaluateOnNewDocument(recordFirstLayout);
    await page.goto(site.url);
    await waitFor("the title screen", () => titleShown(page));
    await fillsItsRoom(page, "phone-landscape");
  } finally {
    await browser.close();
    await site.stop();
  }
});

describe("in chromium as a phone (390 x 844, 3 device pixels each, touch)", () => {
  let browser, site, page, errors;

  before(async () => {
    site = await serveSite(process.env.PELKO_SITE);
    browser = await launchBrowser("chromium");
    page = await browser.browser.newPage();
    await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
    errors = await watchErrors(page);
    await giveReference(page, reference);
    await page.evaluateOnNewDocument(watchTurn, COLOUR.worm);
    await page.evaluateOnNewDocument(fakeWakeLock);
    await page.evaluateOnNewDocument(recordFirstLayout);
    await page.goto(site.url);
    await waitFor("the title screen", () => titleShown(page));
  });

  after(async () => {
    await browser?.close();
    await site?.stop();
  });

  it("fills the room the controls leave, sharp, and nothing moved since the first frame", async () => {
    await fillsItsRoom(page, "phone-portrait");
  });

  it("shows the controls with names a screen reader reads, the game across the width", async () => {
    assert.match(await page.evaluate(() => document.getElementById("hint").textContent), /sideways/,
      "a landscape view would be larger");
    for (const label of ["Start", "Pause", "End game", "Quit", "Up", "Left", "Right", "Down"]) {
      const control = await page.$(`aria/${label}`);
      assert.ok(control && (await control.isVisible()), `${label} shown`);
      const box = await control.boundingBox();
      assert.ok(box.y >= 0 && box.y + box.height <= 844 && box.width >= 44, `${label} on the screen, large enough`);
    }
    const canvas = await page.evaluate(() => document.getElementById("screen").getBoundingClientRect().toJSON());
    assert.ok(canvas.width >= 0.9 * 390, `the game ${canvas.width} of 390 px wide`);
    assert.ok(canvas.bottom <= 844 * 0.6, "the game above the controls");
  });

  it("starts on a tap of Start and ends on a tap of End game, one character a tap", async () => {
    await (await page.$("aria/Start")).tap();
    const game = await waitFor("the game", () => gameShown(page));
    assert.ok(!game.gameOver);
    await (await page.$("aria/End game")).tap();
    await waitFor("the title screen again", () => titleShown(page));
    assert.equal(await sent(page), "sq");
  });

  it("turns the worm up on the tick after a swipe up", async () => {
    await (await page.$("aria/Start")).tap();
    await waitFor("the game", () => gameShown(page));
    const canvas = await page.evaluate(() => document.getElementById("screen").getBoundingClientRect().toJSON());
    const x = canvas.x + canvas.width / 2, y = canvas.y + canvas.height / 2;
    await page.evaluate(() => { window.turnedUpAt = null; });
    await page.touchscreen.touchStart(x, y);
    for (let step = 1; step <= 6; step++) await page.touchscreen.touchMove(x + step, y - 10 * step);
    await page.touchscreen.touchEnd();
    const turn = await waitFor("the turn", () => page.evaluate(() => ({
      ok: Boolean(window.turnedUpAt), at: window.turnedUpAt, sent: window.pelko.sent,
    })));
    const [character, flushes] = turn.sent[turn.sent.length - 1];
    assert.deepEqual(turn.sent.map((entry) => entry[0]).join(""), "sqsw", "one 'w' for the swipe");
    assert.equal(character, "w");
    assert.equal(turn.at, flushes + 1, "up on the tick after the swipe");
  });

  it("pauses on a tap of Pause and goes on at a tap on the game; keeps the screen awake in a game only", async () => {
    const look = () => page.evaluate(() => ({
      paused: window.pelko.paused, awake: window.pelko.awake, locks: window.wakeLocks,
    }));
    await (await page.$("aria/End game")).tap();
    await waitFor("the title screen", () => titleShown(page));
    const before = await look();
    assert.deepEqual([before.paused, before.awake], [false, false], "asleep on the title screen");
    assert.ok(before.locks > 0, "the screen kept on in the games before");
    await (await page.$("aria/Start")).tap();
    await waitFor("the game, the screen kept on", async () => ({ ok: (await look()).awake }));
    await (await page.$("aria/Pause")).tap();
    await waitFor("the pause", async () => ({ ok: (await look()).paused }));
    assert.equal((await look()).awake, false, "the screen may sleep while paused");
    await page.tap("#screen");
    await waitFor("the game going on", async () => {
      const now = await look();
      return { ok: !now.paused && now.awake, ...now };
    });
    await (await page.$("aria/End game")).tap();
    await waitFor("the title screen", () => titleShown(page));
    assert.equal((await look()).awake, false);
  });

  it("quits only on a second tap of Quit, which says so first", async () => {
    await (await page.$("aria/Quit")).tap();
    assert.ok(await page.$("aria/Tap again to quit"), "the button says what a second tap does");
    await new Promise((resolve) => setTimeout(resolve, 500));
    assert.equal(await page.evaluate(() => window.pelko.state), "running");
    await (await page.$("aria/Tap again to quit")).tap();
    const end = await ended(page);
    assert.equal(end.exitStatus, 0);
  });

  it("neither scrolled nor zoomed, and logged no error", async () => {
    const scrolled = await page.evaluate(() => [window.scrollX, window.scrollY, window.visualViewport.scale]);
    assert.deepEqual(scrolled, [0, 0, 1]);
    assert.deepEqual(await errors(), []);
  });
});
