// SPDX-License-Identifier: MIT
// WebKitGTK, Safari's engine as Debian ships it: its MiniBrowser driven by
// WebKitWebDriver over classic WebDriver (plain HTTP requests), on an Xvfb
// of its own. Its pages answer the few calls of puppeteer's Page that the
// tests make; a script given for new documents runs once each has loaded,
// which is all classic WebDriver allows.
import { spawn } from "node:child_process";
import net from "node:net";

const MINIBROWSER = process.env.PELKO_MINIBROWSER || "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser";
// WebDriver's code points for the keys that type nothing.
const KEYS = {
  ArrowLeft: "\uE012", ArrowUp: "\uE013", ArrowRight: "\uE014", ArrowDown: "\uE015",
  Escape: "\uE00C", Pause: "\uE00B", Shift: "\uE008",
};

function started(child, what) {
  return new Promise((resolve, reject) => {
    child.once("error", reject);
    child.once("exit", (code) => reject(new Error(`${what} exited with ${code}`)));
    child.once("spawn", () => resolve(child));
  });
}

// An Xvfb on a display number it finds free itself.
async function startXvfb() {
  const child = spawn("Xvfb", ["-displayfd", "3", "-screen", "0", "1920x1600x24", "-nolisten", "tcp"],
    { stdio: ["ignore", "ignore", "ignore", "pipe"] });
  await started(child, "Xvfb");
  const number = await new Promise((resolve, reject) => {
    let text = "";
    child.stdio[3].on("data", (chunk) => {
      text += chunk;
      if (text.includes("\n")) resolve(text.trim());
    });
    child.once("exit", () => reject(new Error("Xvfb gave no display")));
  });
  return { child, display: `:${number}` };
}

function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer().listen(0, "127.0.0.1", () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

async function request(base, method, path, body) {
  const response = await fetch(base + path, {
    method, headers: { "Content-Type": "application/json" },
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  const { value } = await response.json();
  if (value && value.error) throw new Error(`WebDriver ${method} ${path}: ${value.error}: ${value.message}`);
  return value;
}

class Page {
  constructor(base, id) {
    this.call = (method, path, body) => request(base, method, `/session/${id}${path}`, body);
    this.scripts = [];
    this.errorLog = [];
    this.shift = false;
    const key = (type, name) => this.keys([{ type, value: this.keyValue(name) }]);
    this.keyboard = {
      press: (name) => this.keys([{ type: "keyDown", value: this.keyValue(name) }, { type: "keyUp", value: this.keyValue(name) }]),
      down: (name) => { if (name === "Shift") this.shift = true; return key("keyDown", name); },
      up: (name) => { if (name === "Shift") this.shift = false; return key("keyUp", name); },
    };
  }

  keyValue(name) {
    if (KEYS[name]) return KEYS[name];
    const letter = name.match(/^Key([A-Z])$/);
    if (letter) return this.shift ? letter[1] : letter[1].toLowerCase();
    return name;
  }

  keys(actions) {
    return this.call("POST", "/actions", { actions: [{ type: "key", id: "keyboard", actions }] });
  }

  // The function run in the page with its arguments, its promise awaited.
  async evaluate(fn, ...args) {
    const script = `const done = arguments[arguments.length - 1];
      Promise.resolve().then(() => (${fn}).apply(null, Array.prototype.slice.call(arguments, 0, -1)))
        .then((value) => done({ value: value === undefined ? null : value }),
              (error) => done({ error: String((error && error.stack) || error) }));`;
    const result = await this.call("POST", "/execute/async", { script, args });
    if (result.error) throw new Error(result.error);
    return result.value;
  }

  async evaluateOnNewDocument(fn, ...args) {
    this.scripts.push([fn, args]);
  }

  async loaded() {
    for (const [fn, args] of this.scripts) await this.evaluate(fn, ...args);
  }

  // What the page logged as errors before it goes, kept.
  async leaving() {
    this.errorLog.push(...await this.evaluate(() => window.pageErrors || []).catch(() => []));
  }

  async goto(url) {
    await this.leaving();
    await this.call("POST", "/url", { url });
    await this.loaded();
  }

  async reload() {
    await this.leaving();
    await this.call("POST", "/refresh", {});
    await this.loaded();
  }

  title() {
    return this.call("GET", "/title");
  }

  focus(selector) {
    return this.evaluate((s) => document.querySelector(s).focus(), selector);
  }

  async click(selector) {
    const element = await this.call("POST", "/element", { using: "css selector", value: selector });
    await this.call("POST", `/element/${Object.values(element)[0]}/click`, {});
  }

  // The window sized so that its page is as large as asked.
  async setViewport({ width, height }) {
    await this.call("POST", "/window/rect", { width, height });
    const inner = await this.evaluate(() => [window.innerWidth, window.innerHeight]);
    await this.call("POST", "/window/rect", { width: 2 * width - inner[0], height: 2 * height - inner[1] });
  }

  close() {
    return this.call("DELETE", "");
  }
}

// Errors from the moment a document has loaded: console errors, what is
// thrown or rejected unhandled, and what the page's policy refuses.
function watchPage() {
  window.pageErrors = [];
  const log = (line) => window.pageErrors.push(line);
  const error = console.error;
  console.error = (...args) => {
    log(`console: ${args.join(" ")}`);
    error.apply(console, args);
  };
  window.addEventListener("error", (event) => log(`thrown: ${event.message}`));
  window.addEventListener("unhandledrejection", (event) => log(`thrown: ${event.reason}`));
  document.addEventListener("securitypolicyviolation", (event) =>
    log(`policy: ${event.effectiveDirective} refused ${event.blockedURI}`));
}

export async function watchWebKitErrors(page) {
  await page.evaluateOnNewDocument(watchPage);
  return async () => page.errorLog.concat(await page.evaluate(() => window.pageErrors || []));
}

// A session a page: each its own MiniBrowser window.
export async function launchWebKit() {
  const xvfb = await startXvfb();
  const port = await freePort();
  const driver = spawn("WebKitWebDriver", [`--port=${port}`],
    { env: { ...process.env, DISPLAY: xvfb.display }, stdio: "ignore" });
  await started(driver, "WebKitWebDriver");
  const base = `http://127.0.0.1:${port}`;
  for (let tries = 0; ; tries++) {
    try {
      await request(base, "GET", "/status");
      break;
    } catch (error) {
      if (tries > 100) throw error;
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }
  const pages = new Set();
  const newPage = async () => {
    const session = await request(base, "POST", "/session", {
      capabilities: { alwaysMatch: { "webkitgtk:browserOptions": { binary: MINIBROWSER, args: ["--automation"] } } },
    });
    const page = new Page(base, session.sessionId);
    const close = page.close.bind(page);
    page.close = () => {
      pages.delete(page);
      return close();
    };
    pages.add(page);
    return page;
  };
  const close = async () => {
    for (const page of pages) await page.close().catch(() => {});
    driver.kill();
    xvfb.child.kill();
  };
  return { name: "webkit", browser: { newPage }, close };
}
