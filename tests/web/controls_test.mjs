// SPDX-License-Identifier: MIT
// The key, touch and gamepad mapping (web/controls.js): key, pointer and
// pad events in, the game's characters out, one per press.
//   node --test controls_test.mjs
import assert from "node:assert/strict";
import { it } from "node:test";
import controls from "../../web/controls.js";

const { Gamepads, SecondPress, Touches, keyCharacter, SWIPE_REACH: REACH } = controls;
const GAME = { game: true };

it("gives the arrows as w a x d, Escape as q, Pause as p once however long held", () => {
  const keys = ["ArrowUp", "ArrowLeft", "ArrowDown", "ArrowRight", "Left", "Escape", "Pause", "s", "S", "é"];
  assert.deepEqual(keys.map((key) => keyCharacter(key)), ["w", "a", "x", "d", "a", "q", "p", "s", "S", "é"]);
  assert.deepEqual(["ArrowUp", "Pause", "p", "Tab", "F5", "€"].map((key) => keyCharacter(key, true)),
    ["w", null, null, null, null, null], "held down");
});

it("acts on a second press within its time, and falls back after it", () => {
  const quit = new SecondPress(3000);
  assert.deepEqual([quit.press(0), quit.armed(2999), quit.press(2999), quit.armed(3000)], [false, true, true, false]);
  assert.deepEqual([quit.press(10000), quit.press(13000), quit.press(14000)], [false, false, true], "too late: armed anew");
});

it("steers by a swipe's longer axis, a turn within one swipe as short as the first stroke", () => {
  for (const [dx, dy, out] of [[0, -30, "w"], [0, 30, "x"], [-30, 10, "a"], [30, -29, "d"], [5, -20, ""]]) {
    const touches = new Touches();
    touches.down(1, GAME, 100, 100);
    assert.equal(touches.move(1, GAME, 100 + dx, 100 + dy).join(""), out, `${dx},${dy}`);
  }
  const touches = new Touches(), out = [];
  touches.down(1, GAME, 0, 0);
  for (let y = -5; y >= -200; y -= 5) out.push(...touches.move(1, GAME, 0, y)); // a long stroke up
  out.push(...touches.move(1, GAME, REACH + 2, -200), ...touches.move(1, GAME, REACH + 2, -200 - 2 * REACH));
  assert.equal(out.join(""), "wdw");
});

it("presses a button once when it goes down, and lets a thumb roll over the d-pad", () => {
  const touches = new Touches();
  const pad = (key) => ({ key, pad: true });
  const out = [...touches.down(1, { key: "s" }, 0, 0), ...touches.down(1, { key: "s" }, 0, 0)];
  out.push(...touches.move(1, { key: "q" }, 90, 0), ...touches.up(1));
  assert.equal(out.join(""), "s", "held, pressed again, slid onto another button");
  out.length = 0;
  out.push(...touches.down(2, pad("w"), 0, 0), ...touches.move(2, pad("w"), 2, 2));
  out.push(...touches.move(2, pad("d"), 40, 40), ...touches.move(2, null, 50, 50));
  out.push(...touches.move(2, GAME, 300, 300), ...touches.move(2, pad("d"), 40, 40)); // a pad finger never swipes
  out.push(...touches.down(3, { key: "q" }, 0, 0));
  assert.deepEqual([out.join(""), [...touches.held()]], ["wddq", ["d", "q"]]);
});

it("maps a standard gamepad as the desktop does, one character a press", () => {
  const pads = new Gamepads();
  const state = (index, down, axes = [0, 0]) => ({
    index, connected: true, axes, buttons: Array.from({ length: 17 }, (_, i) => ({ pressed: down.includes(i) })),
  });
  const look = (...states) => pads.update(states).join("");
  assert.equal([0, 9, 1, 8, 12, 13, 14, 15, 2, 3, 10].map((b) => look(state(0, [b])) + look(state(0, []))).join(""),
    "ssqewxad");
  assert.equal([[9], [9], [9, 1], [1], []].map((down) => look(state(0, down))).join(""), "sq", "held buttons");
  assert.equal([[9], [], [0], []].map((down) => pads.update([state(0, down)], true).join("")).join(""), "ps",
    "Start pauses a game and goes on");
  // The left stick by its longer axis, held until it comes back near the middle.
  const sticks = [[0, -0.4], [0.1, -0.6], [0.2, -0.45], [0.1, -0.6], [0.7, -0.5], [0.2, 0.1], [0, 0.9]];
  assert.equal(sticks.map((axes) => look(state(0, [], axes))).join(""), "wdx");
  // Each pad to itself; one that went is forgotten.
  assert.equal(look(state(0, [0]), state(1, [1])) + look(state(0, [0]), null) + look(state(0, [0]), state(1, [1])),
    "sqq");
});
