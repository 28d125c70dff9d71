// SPDX-License-Identifier: MIT
// The page around the game: starts the program on the canvas, hands it the
// keys, the touches and the gamepads (as controls.js makes them characters),
// pauses a game, paints the picture sharp at the largest size that fits
// (sharp.js), keeps a phone's screen awake during a game, says when the
// program ends, and leaves the site to the service worker for offline play.
// window.pelko tells how it is going: state, flushes (one per tick on the
// title screen and in a game) and when the first came, the frame last shown
// (an ImageData of the window and its border), the last characters given
// with the flushes before each (sent), whether the game is held paused and
// the screen kept awake, and once it ended, exitStatus and message.
"use strict";

(function () {
  const canvas = document.getElementById("screen");
  const FRAME_WIDTH = canvas.width, FRAME_HEIGHT = canvas.height; // the window and its border
  const layout = document.getElementById("layout");
  const notice = document.getElementById("notice");
  const hint = document.getElementById("hint");
  const touchScreen = window.matchMedia("(pointer: coarse)");
  const status = (window.pelko = {
    state: "loading", flushes: 0, firstFlushAt: null, frame: null, sent: [], paused: false,
    awake: false, exitStatus: null, message: "",
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
  // ended, a start begins a new run. 'p' is the page's: it pauses and goes
  // on. While paused the game hears only what ends it, which goes on first.
  function give(character) {
    if (status.state === "ended") {
      if (character === "s") start();
      return;
    }
    if (!game || !game.runtimeUp) return;
    if (character === "p") {
      pauseGame(!pause.on);
      return;
    }
    if (pause.on && !"q9e".includes(character)) return;
    pauseGame(false);
    status.sent.push([character, status.flushes]);
    if (status.sent.length > 32) status.sent.shift();
    game._web_key_press(character.charCodeAt(0));
  }

  // --- the picture ----------------------------------------------------------

  // The room is the stage, which the style sheet sizes before anything loads
  // (on a desktop the window less the page's own lines, the keys below the
  // fold; on a touch screen what the controls leave), so nothing moves when
  // the picture comes. The picture fills it sharp, in device pixels, the
  // canvas's own pixels one to one with them.
  const stage = document.getElementById("stage");
  const context = canvas.getContext("2d");
  let picture = null, frameImage = null;

  function show(left, top, right, bottom) {
    const [x, y, width, height] = picture.paint(frameImage.data, left, top, right, bottom);
    if (width > 0 && height > 0) context.putImageData(picture.image, 0, 0, x, y, width, height);
  }

  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const [width, height] = pelkoSharp.fit(Math.floor(stage.clientWidth * ratio),
      Math.floor(stage.clientHeight * ratio), FRAME_WIDTH, FRAME_HEIGHT);
    canvas.style.width = width / ratio + "px";
    canvas.style.height = height / ratio + "px";
    if (picture && canvas.width === width && canvas.height === height) return;
    canvas.width = width;
    canvas.height = height;
    picture = new pelkoSharp.Picture(width, height, FRAME_WIDTH, FRAME_HEIGHT);
    if (frameImage) show(0, 0, FRAME_WIDTH, FRAME_HEIGHT);
  }

  // --- the program ----------------------------------------------------------

  function finish(exitStatus, lastLine) {
    game = null;
    keepAwake();
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
      onFrame: function (image, left, top, right, bottom) {
        status.frame = frameImage = image;
        show(left, top, right, bottom);
      },
      onFlush: function () {
        keepAwake();
        if (status.flushes++ > 0) return;
        status.firstFlushAt = performance.now();
        hint.textContent = playingHint();
        hintLandscape();
        setTimeout(keepSite, 0);
      },
      whilePaused: whilePaused,
      pausedMs: 0,
      onRuntimeInitialized: function () {
        module.runtimeUp = true; // its exports, which throw until now
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
    pause = newPause();
    Pelko(module);
    canvas.focus();
  }

  // --- keys -----------------------------------------------------------------

  canvas.addEventListener("keydown", function (event) {
    // Shortcuts stay the browser's; the game reads characters, arrows and Escape.
    if (event.ctrlKey || event.metaKey || event.altKey || event.isComposing) return;
    if (event.key.length !== 1 && !pelkoControls.KEYS[event.key]) return;
    event.preventDefault();
    const character = pelkoControls.keyCharacter(event.key, event.repeat);
    if (character) give(character);
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
    pauseGame(false);
  });

  // --- touches --------------------------------------------------------------

  const touches = new pelkoControls.Touches();
  const buttons = Array.from(document.querySelectorAll(".controls [data-key]"));

  // What a pointer is on, as controls.js takes it; Quit, which asks first, aside.
  function partAt(element) {
    const button = element && element.closest && element.closest("[data-key]");
    if (button && button.hasAttribute("data-confirm")) return { confirm: true };
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
    if (!part.game) event.preventDefault();
    if (part.confirm) {
      quitPressed();
      return;
    }
    if (part.game && pause.on) {
      pauseGame(false); // a tap on the picture goes on, and steers nothing
      return;
    }
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
      if (event.detail !== 0) return;
      if (button.hasAttribute("data-confirm")) quitPressed();
      else give(button.dataset.key);
    });
  document.querySelector("#layout").addEventListener("contextmenu", function (event) {
    if (touchScreen.matches) event.preventDefault();
  });

  // --- gamepads -------------------------------------------------------------

  const gamepads = new pelkoControls.Gamepads();
  let polling = false;
  function poll() {
    const pads = Array.from(navigator.getGamepads ? navigator.getGamepads() : []);
    for (const character of gamepads.update(pads, inGame())) give(character);
    polling = pads.some(function (pad) { return pad && pad.connected; });
    if (polling) requestAnimationFrame(poll);
  }
  window.addEventListener("gamepadconnected", function () {
    if (!polling) requestAnimationFrame(poll);
    polling = true;
  });

  // --- the pause ------------------------------------------------------------

  // A game pauses on p, Pause, a gamepad's Start or the Pause button, and when
  // the page is hidden or loses the focus; it goes on only when the player
  // says so. The program's sleep holds it (whilePaused), its clock leaving
  // the time out (pausedMs); the picture stays as it was, dimmed under a word.
  const pausedView = document.getElementById("paused");
  const pauseButton = document.getElementById("pause");
  let pause = newPause();

  function newPause() {
    return { on: false, held: false, since: 0, total: 0, waiting: [] };
  }

  function inGame() {
    return Boolean(game && game.runtimeUp && game._web_in_game());
  }

  function pauseGame(on) {
    if (on === pause.on || (on && !inGame())) return;
    pause.on = on;
    pauseButton.setAttribute("aria-pressed", String(on));
    if (!on) goOn();
    keepAwake();
  }

  // Asked at each sleep: nothing to wait for, or the pause's end.
  function whilePaused() {
    if (!pause.on) return null;
    pause.held = true;
    pause.since = performance.now();
    status.paused = true;
    pausedView.hidden = false;
    return new Promise(function (resolve) { pause.waiting.push(resolve); });
  }

  function goOn() {
    pausedView.hidden = true;
    status.paused = false;
    if (!pause.held) return;
    pause.held = false;
    pause.total += performance.now() - pause.since;
    game.pausedMs = pause.total;
    for (const resolve of pause.waiting.splice(0)) resolve();
  }

  document.addEventListener("visibilitychange", function () {
    if (document.hidden) pauseGame(true);
    keepAwake();
  });
  window.addEventListener("blur", function () { pauseGame(true); });

  // --- a phone's screen, Quit, and the way to hold it ------------------------

  // A phone's screen stays on during a game (a screen wake lock), and may
  // sleep on the title screen and while paused. A lock refused is not asked
  // for again until the game stops and starts.
  const wake = { lock: null, asking: false, refused: false };
  function keepAwake() {
    const want = touchScreen.matches && !pause.on && !document.hidden && inGame();
    if (!want) {
      wake.refused = false;
      if (wake.lock) wake.lock.release().catch(function () {});
      wake.lock = null;
    } else if (!wake.lock && !wake.asking && !wake.refused && navigator.wakeLock) {
      wake.asking = true;
      navigator.wakeLock.request("screen").then(function (lock) {
        wake.asking = false;
        wake.lock = lock;
        lock.addEventListener("release", function () {
          if (wake.lock === lock) wake.lock = null;
          status.awake = Boolean(wake.lock);
        });
        keepAwake(); // the game may have stopped meanwhile
      }, function () {
        wake.asking = false;
        wake.refused = true;
      });
    }
    status.awake = Boolean(wake.lock);
  }

  // Quit on a touch screen asks for a second tap, saying so, and falls back
  // after a few seconds; End game, beside it, stays one tap.
  const quitButton = document.querySelector("[data-confirm]");
  const quitLabel = quitButton.textContent;
  const quitPress = new pelkoControls.SecondPress();
  let quitFallback = null;
  function quitPressed() {
    clearTimeout(quitFallback);
    const quit = quitPress.press(performance.now());
    quitButton.textContent = quit ? quitLabel : "Tap again to quit";
    quitButton.classList.toggle("armed", !quit);
    if (quit) {
      give("e");
      return;
    }
    quitFallback = setTimeout(function () {
      quitButton.textContent = quitLabel;
      quitButton.classList.remove("armed");
    }, quitPress.ms);
  }

  // In portrait, when the phone turned would give the game a larger picture,
  // the hint says so, once, for a while.
  let landscapeHinted = false;
  function hintLandscape() {
    if (landscapeHinted || !touchScreen.matches || window.innerWidth >= window.innerHeight) return;
    // Turned, the stage is the layout's width less two columns of controls and
    // their gaps, and its height; the measures are the style sheet's.
    const css = getComputedStyle(document.documentElement);
    const measure = (name) => parseFloat(css.getPropertyValue(name));
    const edge = measure("--edge"), across = window.innerHeight - 2 * edge;
    const side = Math.max(measure("--side-min"), across * measure("--side-share") / 100);
    const turned = [across - 2 * side - 2 * edge, window.innerWidth - 2 * edge];
    const wide = (room) => pelkoSharp.fit(room[0], room[1], FRAME_WIDTH, FRAME_HEIGHT)[0];
    if (wide(turned) <= wide([stage.clientWidth, stage.clientHeight])) return;
    landscapeHinted = true;
    hint.textContent = "Turn the phone sideways for a larger picture.";
    setTimeout(function () {
      if (status.state === "running") hint.textContent = playingHint();
    }, 6000);
  }

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
