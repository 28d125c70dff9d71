// SPDX-License-Identifier: MIT
// The page around the game: starts the program on the canvas, hands it the
// keys, keeps the canvas scaled by whole multiples, and says when it ends.
// window.pelko tells how it is going: state, flushes (one per tick on the
// title screen and in a game) and when the first came, and once it ended,
// exitStatus and message.
"use strict";

(function () {
  const canvas = document.getElementById("screen");
  const FRAME_WIDTH = canvas.width, FRAME_HEIGHT = canvas.height; // the window and its border
  const notice = document.getElementById("notice");
  const hint = document.getElementById("hint");
  const status = (window.pelko = {
    state: "loading", flushes: 0, firstFlushAt: null, exitStatus: null, message: "",
  });
  let game = null; // the running program's module, while it runs

  const PLAYING_HINT = "Letters in lower case only.";
  const UNFOCUSED_HINT = "Click the game to give it the keyboard.";

  // The largest whole number of device pixels per game pixel that fits the
  // window with the hint line below it (the keys follow further down), so
  // that every pixel stays a sharp square.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const stage = canvas.parentElement.getBoundingClientRect();
    const below = hint.getBoundingClientRect().bottom - stage.bottom;
    const width = document.documentElement.clientWidth - 16;
    const height = window.innerHeight - stage.top - below;
    const scale = Math.max(1, Math.floor(Math.min(width * ratio / FRAME_WIDTH,
                                                  height * ratio / FRAME_HEIGHT)));
    canvas.style.width = FRAME_WIDTH * scale / ratio + "px";
    canvas.style.height = FRAME_HEIGHT * scale / ratio + "px";
  }

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

  function start() {
    notice.hidden = true;
    status.state = "running";
    status.exitStatus = null;
    status.message = "";
    let lastLine = "";
    const module = {
      canvas: canvas,
      print: function (text) { lastLine = text; console.log(text); },
      printErr: function (text) { lastLine = text; console.warn(text); },
      onFlush: function () {
        if (status.flushes++ > 0) return;
        status.firstFlushAt = performance.now();
        hint.textContent = PLAYING_HINT;
      },
      onExit: function (code) { finish(code, lastLine); },
      onAbort: function (what) { finish(-1, String(what)); },
    };
    game = module;
    Pelko(module);
    canvas.focus();
  }

  canvas.addEventListener("keydown", function (event) {
    // Shortcuts stay the browser's; the game reads characters only.
    if (event.ctrlKey || event.metaKey || event.altKey || event.isComposing) return;
    if (event.key.length !== 1) return;
    event.preventDefault();
    const code = event.key.charCodeAt(0);
    if (game && typeof game._web_key_press === "function" && code < 256)
      game._web_key_press(code);
  });
  canvas.addEventListener("blur", function () {
    if (status.state === "running") hint.textContent = UNFOCUSED_HINT;
  });
  canvas.addEventListener("focus", function () {
    if (status.state === "running" && status.flushes > 0) hint.textContent = PLAYING_HINT;
  });
  canvas.addEventListener("mousedown", function (event) {
    event.preventDefault(); // keep the click from selecting the page
    canvas.focus();
  });
  // The program's exit unwinds the stack as a thrown ExitStatus: no fault.
  // Anything else thrown while it runs (its data not loading, say) has
  // stopped it, and the page says so rather than wait for ever.
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

  fit();
  start();
})();
