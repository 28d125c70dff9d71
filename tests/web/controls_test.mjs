// SPDX-License-Identifier: MIT
// The touch and gamepad mapping (web/controls.js): pointer and pad events
// in, the game's characters out, one per press.
//   node --test controls_test.mjs
import assert from "node:assert/strict";
import { describe, it } from "node:test";
import controls from "../../web/controls.js";

const { Gamepads, Touches, SWIPE_REACH } = controls;
const GAME = { game: true };
const button = (key) => ({ key, pad: false });
const pad = (key) => ({ key, pad: true });

describe("touches", () => {
  it("steer by a swipe's longer axis, once it reaches far enough", () => {
    const strokes = [[0, -30, "w"], [0, 30, "x"], [-30, 10, "a"], [30, -29, "d"], [10, -30, "w"]];
    for (const [dx, dy, character] of strokes) {
      const touches = new Touches();
      touches.down(1, GAME, 100, 100);
      assert.deepEqual(touches.move(1, GAME, 100 + dx / 2, 100 + dy / 2), [], "half way");
      assert.deepEqual(touches.move(1, GAME, 100 + dx, 100 + dy), [character], `${dx},${dy}`);
    }
  });

  it("turn once per way within one swipe, a turn as short as the first stroke", () => {
    const touches = new Touches();
    const out = [...touches.down(1, GAME, 0, 0)];
    for (let y = -5; y >= -200; y -= 5) out.push(...touches.move(1, GAME, 0, y)); // a long stroke up
    out.push(...touches.move(1, GAME, SWIPE_REACH + 2, -200)); // then right
    out.push(...touches.move(1, GAME, SWIPE_REACH + 2, -200 - 2 * SWIPE_REACH)); // up again
    out.push(...touches.up(1));
    assert.deepEqual(out, ["w", "d", "w"]);
  });

  it("give a button's character when it goes down, never while it is held", () => {
    const touches = new Touches();
    assert.deepEqual(touches.down(1, button("s"), 5, 5), ["s"]);
    assert.deepEqual(touches.down(1, button("s"), 5, 5), [], "a repeated down of the same finger");
    assert.deepEqual(touches.move(1, button("s"), 9, 9), []);
    assert.deepEqual(touches.move(1, button("q"), 90, 9), [], "sliding onto another button");
    assert.deepEqual([...touches.held()], ["s"]);
    assert.deepEqual(touches.up(1), []);
    assert.deepEqual([...touches.held()], []);
    assert.deepEqual(touches.down(2, null, 0, 0), [], "off the controls");
  });

  it("let a thumb roll over the d-pad, each button it reaches once", () => {
    const touches = new Touches();
    const out = [...touches.down(1, pad("w"), 0, 0)];
    out.push(...touches.move(1, pad("w"), 2, 2), ...touches.move(1, pad("d"), 40, 40));
    out.push(...touches.move(1, null, 50, 50), ...touches.move(1, pad("d"), 40, 40));
    assert.deepEqual(out, ["w", "d", "d"]);
    assert.deepEqual(touches.move(1, GAME, 300, 300), [], "a pad finger does not swipe");
    // A second finger plays alongside.
    assert.deepEqual(touches.down(2, button("q"), 0, 0), ["q"]);
  });
});

describe("gamepads", () => {
  const buttons = (...down) => Array.from({ length: 17 }, (_, i) => ({ pressed: down.includes(i) }));
  const padState = (down = [], axes = [0, 0], index = 0) => ({ index, connected: true, buttons: buttons(...down), axes });

  it("map the standard buttons as on the desktop", () => {
    const names = { 0: "s", 9: "s", 1: "q", 8: "e", 12: "w", 13: "x", 14: "a", 15: "d" };
    for (const [index, character] of Object.entries(names)) {
      const pads = new Gamepads();
      assert.deepEqual(pads.update([padState([Number(index)])]), [character], `button ${index}`);
    }
    assert.deepEqual(new Gamepads().update([padState([2, 3, 4, 5, 6, 7, 10, 11, 16])]), []);
  });

  it("give one character per press, however long it is held", () => {
    const pads = new Gamepads();
    const out = [];
    for (const down of [[9], [9], [9], [], [9], [9, 1], [1], []]) out.push(...pads.update([padState(down)]));
    assert.deepEqual(out, ["s", "s", "q"]);
  });

  it("steer with the left stick by its longer axis, without chatter near the edge", () => {
    const pads = new Gamepads();
    const out = [];
    for (const axes of [[0, -0.4], [0.1, -0.6], [0.2, -0.45], [0.1, -0.6], [0.7, -0.5], [0.2, 0.1],
                        [0, 0.9], [0, 0]])
      out.push(...pads.update([padState([], axes)]));
    assert.deepEqual(out, ["w", "d", "x"]);
  });

  it("keep each pad to itself, and forget one that went", () => {
    const pads = new Gamepads();
    assert.deepEqual(pads.update([padState([0], [0, 0], 0), padState([1], [0, 0], 1)]), ["s", "q"]);
    assert.deepEqual(pads.update([padState([0], [0, 0], 0), null]), []);
    assert.deepEqual(pads.update([padState([0], [0, 0], 0), padState([1], [0, 0], 1)]), ["q"]);
    assert.deepEqual(pads.update([{ index: 0, connected: false, buttons: buttons(0), axes: [] }]), []);
    assert.deepEqual(pads.update([padState([0], [0, 0], 0)]), ["s"]);
  });
});
