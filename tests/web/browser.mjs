// SPDX-License-Identifier: MIT
// What the browser test and the benchmark share: the built site on a local
// server, Debian's Chromium and Firefox ESR driven headless by
// puppeteer-core and its WebKitGTK over WebDriver (webkit.mjs), and the X
// build's title screen to compare the canvas with.
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import puppeteer from "puppeteer-core";
import { launchWebKit, watchWebKitErrors } from "./webkit.mjs";

export const FRAME_WIDTH = 647, FRAME_HEIGHT = 521, BORDER = 5;

// The game's colours as 0xRRGGBB by their names in gfx/colours.hpp (PAL_CAP_RED
// is COLOUR.capRed): its colour_table's intensities, the top 8 bits of each.
export const COLOUR = (() => {
  const header = fs.readFileSync(new URL("../../gfx/colours.hpp", import.meta.url), "latin1");
  const names = header.match(/enum[^{]*\{([^}]*)\}/)[1].match(/PAL_\w+/g);
  const table = header.slice(header.indexOf("colour_table"));
  const rgb = [...table.matchAll(/\{\s*(0x\w+),\s*(0x\w+),\s*(0x\w+)\s*\}/g)]
    .map((m) => m.slice(1).reduce((sum, v) => (sum << 8) | (parseInt(v, 16) >> 8), 0));
  if (rgb.length < names.length) throw new Error("gfx/colours.hpp: no colour_table to read");
  const camel = (name) => name.slice(4).toLowerCase().replace(/_(\w)/g, (_, c) => c.toUpperCase());
  return Object.fromEntries(names.map((name, i) => [camel(name), rgb[i]]));
})();

const TYPES = {
  ".html": "text/html; charset=utf-8",
  ".css": "text/css",
  ".js": "text/javascript",
  ".png": "image/png",
  ".webmanifest": "application/manifest+json",
  ".wasm": "application/wasm",
  ".data": "application/octet-stream",
};

// The site's files as a static server gives them; nothing else. stop() ends
// it with its connections, as a server that went away; start() brings it
// back at the same address.
export async function serveSite(directory) {
  const site = path.resolve(directory);
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, "http://localhost").pathname.replace(/^\/$/, "/index.html");
    const file = path.join(site, path.normalize(name));
    if (!file.startsWith(site + path.sep) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": TYPES[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  const listen = (port) => new Promise((resolve) => server.listen(port, "127.0.0.1", resolve));
  await listen(0);
  const port = server.address().port;
  return {
    server,
    url: `http://127.0.0.1:${port}/`,
    stop: () => new Promise((resolve) => {
      server.close(resolve);
      server.closeAllConnections();
    }),
    start: () => listen(port),
  };
}

export const BROWSERS = ["chromium", "firefox", "webkit"];

// Debian's Chromium over the DevTools protocol, or its Firefox ESR over
// WebDriver BiDi; headless, in a profile of their own, with nothing fetched
// from outside. Or its WebKitGTK.
export async function launchBrowser(name) {
  if (name === "webkit") return launchWebKit();
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), `pelko-${name}-`));
  const common = { headless: true, userDataDir: profile, timeout: 120000, protocolTimeout: 300000 };
  const browser = name === "firefox"
    ? await puppeteer.launch({
      ...common,
      browser: "firefox",
      executablePath: process.env.PELKO_FIREFOX || "/usr/bin/firefox-esr",
      extraPrefsFirefox: {
        "app.update.enabled": false, "browser.safebrowsing.update.enabled": false,
        "network.captive-portal-service.enabled": false, "network.connectivity-service.enabled": false,
      },
    })
    : await puppeteer.launch({
      ...common,
      executablePath: process.env.PELKO_CHROMIUM || "/usr/bin/chromium",
      args: [
        "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
        "--disable-background-networking", "--disable-component-update", "--disable-sync",
        "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
      ],
    });
  const close = async () => {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  // A page hidden behind another tab, and shown again.
  let cover = null;
  const hide = async () => {
    cover = await browser.newPage();
    await cover.bringToFront();
  };
  const show = async (page) => {
    await page.bringToFront();
    await cover?.close();
    cover = null;
  };
  return { name, browser, close, hide, show };
}

// What a page logs as an error, throws, or has the Content-Security-Policy
// refuse, from now on, gathered as lines.
export async function watchErrors(page) {
  if (page.leaving) return watchWebKitErrors(page);
  const errors = [];
  page.on("console", (message) => {
    if (message.type() === "error") errors.push(`console: ${message.text()}`);
  });
  page.on("pageerror", (error) => errors.push(`thrown: ${error.message}`));
  await page.evaluateOnNewDocument(() => {
    window.refused = [];
    document.addEventListener("securitypolicyviolation", (event) => {
      window.refused.push(`${event.effectiveDirective} refused ${event.blockedURI}`);
    });
  });
  return async () => {
    const refused = await page.evaluate(() => window.refused).catch(() => []);
    return errors.concat(refused.map((line) => `policy: ${line}`));
  };
}

// A binary PPM's pixels as RGB bytes.
export function readPpm(file) {
  const bytes = fs.readFileSync(file);
  const header = bytes.toString("latin1", 0, 32).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!header) throw new Error(`${file} is not a binary PPM`);
  return { width: +header[1], height: +header[2], rgb: bytes.subarray(header[0].length) };
}

// Hands the reference to the pages the tab loads from now on, where it is
// compared without a round trip.
export async function giveReference(page, reference) {
  await page.evaluateOnNewDocument((base64) => {
    window.referenceFrame = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
  }, Buffer.from(reference.rgb).toString("base64"));
}

// The frame last shown's pixels that differ from the reference: how many, and the first few.
export function frameDifferences(page) {
  return page.evaluate(() => {
    const frame = window.pelko.frame;
    if (!frame) return { count: Infinity, first: [] };
    const data = frame.data, reference = window.referenceFrame;
    const first = [];
    let count = 0;
    for (let i = 0, j = 0; j < reference.length; i += 4, j += 3) {
      if (data[i] === reference[j] && data[i + 1] === reference[j + 1] && data[i + 2] === reference[j + 2])
        continue;
      if (count++ < 5) first.push(`(${(j / 3) % frame.width},${Math.floor(j / 3 / frame.width)})`);
    }
    return { count, first };
  });
}

// How the canvas, one pixel a device pixel, shows the reference by the sharp
// rule (as the install tests' shows_sharp): a pixel wholly inside one frame
// pixel's rectangle has its colour exactly; one that straddles has in each
// channel a value within the range of those it overlaps and within half that
// range of their mix by share. The pixels against it, and the seams counted.
export function sharpDifferences(page) {
  return page.evaluate((N, M) => {
    const canvas = document.getElementById("screen"), W = canvas.width, H = canvas.height;
    const data = canvas.getContext("2d").getImageData(0, 0, W, H).data;
    const reference = window.referenceFrame;
    const under = (p, length, count) => {
      const first = Math.floor(p * count / length), last = Math.floor(((p + 1) * count - 1) / length);
      return [first, last, first === last ? 0 : p + 1 - last * length / count];
    };
    const columns = Array.from({ length: W }, (_, i) => under(i, W, N));
    const first = [];
    let count = 0, seams = 0;
    for (let j = 0; j < H; j++) {
      const [r0, r1, sy] = under(j, H, M);
      for (let i = 0; i < W; i++) {
        const [c0, c1, sx] = columns[i], at = 4 * (j * W + i);
        const from = [3 * (r0 * N + c0), 3 * (r0 * N + c1), 3 * (r1 * N + c0), 3 * (r1 * N + c1)];
        const share = [(1 - sx) * (1 - sy), sx * (1 - sy), (1 - sx) * sy, sx * sy];
        const exact = c0 === c1 && r0 === r1;
        if (!exact) seams++;
        let right = true;
        for (let k = 0; k < 3; k++) {
          const value = data[at + k];
          if (exact) {
            right = right && value === reference[from[0] + k];
            continue;
          }
          const values = from.map((f) => reference[f + k]);
          const low = Math.min(...values), high = Math.max(...values);
          const mixed = values.reduce((sum, v, n) => sum + share[n] * v, 0);
          right = right && value >= low && value <= high && Math.abs(value - mixed) <= (high - low) / 2 + 1;
        }
        if (!right && count++ < 5) first.push(`(${i},${j})`);
      }
    }
    return { count, first, seams, width: W, height: H };
  }, FRAME_WIDTH, FRAME_HEIGHT);
}

// Polls until check() gives a truthy value; never a timing assertion, only a
// limit for a page that does not get there at all.
export async function waitFor(what, check, seconds = 120) {
  const end = Date.now() + seconds * 1000;
  let last;
  for (;;) {
    last = await check();
    if (last && last.ok !== false) return last;
    if (Date.now() > end) throw new Error(`${what}: not within ${seconds} s (last: ${JSON.stringify(last)})`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}
