// SPDX-License-Identifier: MIT
// Keys that type nothing, touches and gamepads as the characters the game
// reads, with no page in sight (node's tests load it as it is): the page
// hands in what the keys, pointers and pads do and gives the game what comes
// out. Every press gives one character; holding it gives no more. 'p' is the
// page's own: it pauses a game, and goes on.
"use strict";

(function (exports) {
  const SWIPE_REACH = 24; // CSS pixels a finger travels before it steers

  // KeyboardEvent.key of the keys that type nothing the game reads (the
  // keypad's arrows with Num Lock off among them; older browsers' names too).
  const KEYS = {
    ArrowUp: "w", ArrowLeft: "a", ArrowDown: "x", ArrowRight: "d",
    Up: "w", Left: "a", Down: "x", Right: "d",
    Escape: "q", Esc: "q", Pause: "p",
  };

  // A key press as the game's character, or null. A held key repeats as the
  // system repeats it; Pause, held, pauses once.
  function keyCharacter(key, repeat = false) {
    const character = KEYS[key] || (key.length === 1 && key.charCodeAt(0) < 256 ? key : null);
    return character === "p" && repeat ? null : character;
  }

  // A move's longer axis, once it is long enough: up is 'w', as the keys.
  function swipeCharacter(dx, dy, reach = SWIPE_REACH) {
    if (Math.max(Math.abs(dx), Math.abs(dy)) < reach) return null;
    if (Math.abs(dx) > Math.abs(dy)) return dx > 0 ? "d" : "a";
    return dy > 0 ? "x" : "w";
  }

  // The fingers on the page, each by its pointer id. What a finger is on:
  // { game: true } for the picture, { key, pad } for a button (pad for the
  // d-pad's, which a thumb may roll from one to the next), or null.
  class Touches {
    constructor(reach = SWIPE_REACH) {
      this.reach = reach;
      this.fingers = new Map();
    }

    down(id, on, x, y) {
      if (this.fingers.has(id) || !on) return [];
      this.fingers.set(id, { on, x, y, last: on.key || null });
      return on.key ? [on.key] : [];
    }

    // On the game a finger steers each time it heads another way: the swipe
    // is measured from where it last steered or went on steering, so that a
    // turn needs no longer a stroke than the first one did.
    move(id, on, x, y) {
      const finger = this.fingers.get(id);
      if (!finger) return [];
      if (finger.on.game) {
        const character = swipeCharacter(x - finger.x, y - finger.y, this.reach);
        if (!character) return [];
        finger.x = x;
        finger.y = y;
        if (character === finger.last) return [];
        finger.last = character;
        return [character];
      }
      if (!finger.on.pad) return [];
      const key = on && on.pad ? on.key : null;
      if (key === finger.last) return [];
      finger.last = key;
      return key ? [key] : [];
    }

    up(id) {
      this.fingers.delete(id);
      return [];
    }

    // The buttons a finger holds down, to be shown pressed.
    held() {
      const keys = new Set();
      for (const finger of this.fingers.values())
        if (finger.on.key && finger.last) keys.add(finger.last);
      return keys;
    }
  }

  // The standard gamepad layout, as on the desktop: A or Start starts, B ends
  // the game, Back quits, the d-pad steers; Start pauses a game and goes on.
  const START = 9;
  const PAD_BUTTONS = { 0: "s", 1: "q", 8: "e", [START]: "s", 12: "w", 13: "x", 14: "a", 15: "d" };
  const STICK_ON = 0.5, STICK_OFF = 0.35; // a stick near the edge does not chatter

  function pressed(button) {
    return typeof button === "object" ? Boolean(button && button.pressed) : button > 0.5;
  }

  // The left stick's way, by its longer axis; held until it comes back
  // near the middle.
  function stickCharacter(axes, held) {
    const x = axes[0] || 0, y = axes[1] || 0;
    if (Math.max(Math.abs(x), Math.abs(y)) < (held ? STICK_OFF : STICK_ON)) return null;
    if (Math.abs(x) > Math.abs(y)) return x > 0 ? "d" : "a";
    return y > 0 ? "x" : "w";
  }

  // Pads as navigator.getGamepads() gives them, one look per animation
  // frame: what was pressed since the last look comes out.
  class Gamepads {
    constructor() {
      this.held = new Map(); // pad index -> { buttons: Set, stick }
    }

    update(pads, inGame = false) {
      const out = [];
      const seen = new Set();
      for (const pad of pads) {
        if (!pad || pad.connected === false) continue;
        seen.add(pad.index);
        const before = this.held.get(pad.index) || { buttons: new Set(), stick: null };
        const buttons = new Set();
        for (const [index, character] of Object.entries(PAD_BUTTONS)) {
          if (!pressed(pad.buttons[index])) continue;
          buttons.add(index);
          if (!before.buttons.has(index)) out.push(inGame && +index === START ? "p" : character);
        }
        const stick = stickCharacter(pad.axes || [], before.stick !== null);
        if (stick && stick !== before.stick) out.push(stick);
        this.held.set(pad.index, { buttons, stick });
      }
      for (const index of this.held.keys()) if (!seen.has(index)) this.held.delete(index);
      return out;
    }
  }

  // A button that acts on a second press within `ms` of the first, which
  // arms it; unpressed that long, it falls back.
  class SecondPress {
    constructor(ms = 3000) {
      this.ms = ms;
      this.armedAt = null;
    }

    press(now) {
      if (this.armed(now)) {
        this.armedAt = null;
        return true;
      }
      this.armedAt = now;
      return false;
    }

    armed(now) {
      return this.armedAt !== null && now - this.armedAt < this.ms;
    }
  }

  exports.SWIPE_REACH = SWIPE_REACH;
  exports.KEYS = KEYS;
  exports.keyCharacter = keyCharacter;
  exports.SecondPress = SecondPress;
  exports.swipeCharacter = swipeCharacter;
  exports.Touches = Touches;
  exports.Gamepads = Gamepads;
})(typeof module === "object" ? module.exports : (window.pelkoControls = {}));
