// SPDX-License-Identifier: MIT
// The page around the game: starts the program on the canvas, hands it the
// keys, the touches and the gamepads (as controls.js makes them characters),
// keeps the picture sharp at the largest size that fits, says when the
// program ends, and leaves the site to the service worker for offline play.
// window.pelko tells how it is going: state, flushes (one per tick on the
// title screen and in a game) and when the first came, the last characters
// given with the flushes before each (sent), and once it ended, exitStatus
// and message.
"use strict";

(function () {
  const canvas = document.getElementById("screen");
  const FRAME_WIDTH = canvas.width, FRAME_HEIGHT = canvas.height; // the window and its border
  const layout = document.getElementById("layout");
  const notice = document.getElementById("notice");
  const hint = document.getElementById("hint");
  const touchScreen = window.matchMedia("(pointer: coarse)");
  const status = (window.pelko = {
    state: "loading", flushes: 0, firstFlushAt: null, sent: [], exitStatus: null, message: "",
  });
  let game = null; // the running program's module, while it runs

  const hints = {
    playing: "Letters in lower case only.",
    unfocused: "Click the game to give it the keyboard.",
    touch: "Swipe on the game or use the pad to steer.",
  };
  function playingHint() {
    return touchScreen.matches ? hints.touch : hints.playing;
  }

  // The program reads characters; all the ways in end here. Once it has
  // ended, a start begins a new run.
  function give(character) {
    if (status.state === "ended") {
      if (character === "s") start();
      return;
    }
    if (!game || typeof game._web_key_press !== "function") return;
    status.sent.push([character, status.flushes]);
    if (status.sent.length > 32) status.sent.shift();
    game._web_key_press(character.charCodeAt(0));
  }

  // --- the picture's size ---------------------------------------------------

  // Device pixels per game pixel: the largest whole number that fits, unless
  // it leaves more than a quarter of the room empty (a phone's 3 device
  // pixels to the CSS pixel fit one to the game's pixel in 216 of 390 CSS
  // pixels); then the room filled, each pixel the nearest one's.
  function scaleFor(width, height, ratio, whole) {
    const fit = Math.min(width * ratio / FRAME_WIDTH, height * ratio / FRAME_HEIGHT);
    const multiple = Math.floor(fit);
    if (whole) return Math.max(1, multiple);
    return multiple >= 1 && multiple >= 0.75 * fit ? multiple : fit;
  }

  // The room the game has: on a desktop the window less the hint below it
  // (the keys follow further down); on a touch screen the layout less the
  // controls, which keep 40 % of a portrait screen and a side of a landscape one.
  function room() {
    if (!touchScreen.matches) {
      const stage = canvas.parentElement.getBoundingClientRect();
      const below = hint.getBoundingClientRect().bottom - stage.bottom;
      return [document.documentElement.clientWidth - 16, window.innerHeight - stage.top - below];
    }
    const style = getComputedStyle(layout);
    const gap = parseFloat(style.columnGap) || 0;
    const width = layout.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
    const height = layout.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    if (height > width) return [width, height * 0.6];
    return [width - 2 * (Math.max(130, 0.2 * width) + gap), height];
  }

  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const [width, height] = room();
    const scale = scaleFor(width, height, ratio, !touchScreen.matches);
    canvas.style.width = Math.floor(FRAME_WIDTH * scale) / ratio + "px";
    canvas.style.height = Math.floor(FRAME_HEIGHT * scale) / ratio + "px";
  }

  // --- the program ----------------------------------------------------------

  function finish(exitStatus, lastLine) {
    game = null;
    status.state = "ended";
    status.exitStatus = exitStatus;
    status.message = exitStatus === 0 ? "" : lastLine.trim();
    document.getElementById("notice-title").textContent =
      exitStatus === 0 ? "Pelko has ended." : "Pelko has stopped.";
    document.getElementById("notice-detail").textContent = status.message;
    notice.hidden = false;
    hint.textContent = "";
    document.getElementById("again").focus();
  }

  // The program runs through ccall, whose promise settles when it ends: its
  // exit, thrown from a tick that woke from a sleep, is caught there rather
  // than left to the console as a promise nobody handled.
  function start() {
    notice.hidden = true;
    status.state = "running";
    status.exitStatus = null;
    status.message = "";
    let lastLine = "";
    const module = {
      canvas: canvas,
      noInitialRun: true,
      print: function (text) { lastLine = text; console.log(text); },
      printErr: function (text) { lastLine = text; console.warn(text); },
      onFlush: function () {
        if (status.flushes++ > 0) return;
        status.firstFlushAt = performance.now();
        hint.textContent = playingHint();
        setTimeout(keepSite, 0);
      },
      onRuntimeInitialized: function () {
        let running;
        try {
          running = module.ccall("main", "number", [], [], { async: true });
        } catch (thrown) {
          ended(thrown);
          return;
        }
        Promise.resolve(running).then(ended, ended);
      },
      onAbort: function (what) { ended(String(what)); },
    };
    // How it ended: main's own status, an exit's, or what stopped it.
    function ended(how) {
      if (game !== module) return;
      if (typeof how === "number") finish(how, lastLine);
      else if (how && how.name === "ExitStatus") finish(how.status, lastLine);
      else finish(-1, String((how && how.message) || how));
    }
    game = module;
    Pelko(module);
    canvas.focus();
  }

  // --- keys -----------------------------------------------------------------

  canvas.addEventListener("keydown", function (event) {
    // Shortcuts stay the browser's; the game reads characters only.
    if (event.ctrlKey || event.metaKey || event.altKey || event.isComposing) return;
    if (event.key.length !== 1) return;
    event.preventDefault();
    if (event.key.charCodeAt(0) < 256) give(event.key);
  });
  canvas.addEventListener("blur", function () {
    if (status.state === "running" && !touchScreen.matches) hint.textContent = hints.unfocused;
  });
  canvas.addEventListener("focus", function () {
    if (status.state === "running" && status.flushes > 0) hint.textContent = playingHint();
  });
  canvas.addEventListener("mousedown", function (event) {
    event.preventDefault(); // keep the click from selecting the page
    canvas.focus();
  });

  // --- touches --------------------------------------------------------------

  const touches = new pelkoControls.Touches();
  const buttons = Array.from(document.querySelectorAll(".controls [data-key]"));

  // What a pointer is on, as controls.js takes it.
  function partAt(element) {
    const button = element && element.closest && element.closest("[data-key]");
    if (button) return { key: button.dataset.key, pad: button.hasAttribute("data-pad") };
    return element === canvas ? { game: true } : null;
  }
  function showHeld() {
    const held = touches.held();
    for (const button of buttons) button.classList.toggle("held", held.has(button.dataset.key));
  }
  function each(characters) {
    for (const character of characters) give(character);
    showHeld();
  }

  // A mouse keeps to the canvas's keyboard; fingers and pens play.
  document.addEventListener("pointerdown", function (event) {
    const part = partAt(event.target);
    if (!part || (event.pointerType === "mouse" && part.game)) return;
    // No focus taken from the canvas, no text selected, no menu.
    if (part.key) event.preventDefault();
    each(touches.down(event.pointerId, part, event.clientX, event.clientY));
  });
  document.addEventListener("pointermove", function (event) {
    if (!touches.fingers.has(event.pointerId)) return;
    const under = document.elementFromPoint(event.clientX, event.clientY);
    each(touches.move(event.pointerId, partAt(under), event.clientX, event.clientY));
  });
  for (const type of ["pointerup", "pointercancel"])
    document.addEventListener(type, function (event) { each(touches.up(event.pointerId)); });
  // A button pressed from the keyboard or by a screen reader: a click that
  // no pointer made (a finger's gave its character when it went down).
  for (const button of buttons)
    button.addEventListener("click", function (event) {
      if (event.detail === 0) give(button.dataset.key);
    });
  document.querySelector("#layout").addEventListener("contextmenu", function (event) {
    if (touchScreen.matches) event.preventDefault();
  });

  // --- gamepads -------------------------------------------------------------

  const gamepads = new pelkoControls.Gamepads();
  let polling = false;
  function poll() {
    const pads = Array.from(navigator.getGamepads ? navigator.getGamepads() : []);
    for (const character of gamepads.update(pads)) give(character);
    polling = pads.some(function (pad) { return pad && pad.connected; });
    if (polling) requestAnimationFrame(poll);
  }
  window.addEventListener("gamepadconnected", function () {
    if (!polling) requestAnimationFrame(poll);
    polling = true;
  });

  // --- the end, and the rest ------------------------------------------------

  // An exit that still reaches the page unwound the program's stack: no
  // fault. Anything else thrown while it runs (its data not loading, say)
  // has stopped it, and the page says so rather than wait for ever.
  function stopOn(thrown, event) {
    if (thrown && thrown.name === "ExitStatus") {
      event.preventDefault();
      return;
    }
    if (status.state === "running") finish(-1, String((thrown && thrown.message) || thrown));
  }
  window.addEventListener("error", function (event) { stopOn(event.error || event.message, event); });
  window.addEventListener("unhandledrejection", function (event) { stopOn(event.reason, event); });
  document.getElementById("again").addEventListener("click", start);
  window.addEventListener("resize", fit);
  touchScreen.addEventListener("change", function () {
    fit();
    if (status.flushes > 0 && status.state === "running") hint.textContent = playingHint();
  });

  // Where the browser has service workers (an https or a local site), the
  // site is kept for offline play; without, it plays online as it is. The
  // worker fetches the whole site once more: only after the first frame,
  // so as not to hold it up.
  function keepSite() {
    if (navigator.serviceWorker) navigator.serviceWorker.register("sw.js").catch(function () {});
  }

  fit();
  start();
})();
