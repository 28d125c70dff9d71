// SPDX-License-Identifier: MIT
// The page's sharp fill (web/sharp.js): room in, picture size out; sizes in,
// each device pixel's frame pixel and weight out, by the rule pelko-play has.
//   node --test sharp_test.mjs
import assert from "node:assert/strict";
import { it } from "node:test";
import sharp from "../../web/sharp.js";

it("fills the room keeping the frame's shape, as wide or as tall", () => {
  assert.deepEqual(sharp.fit(1904, 908, 647, 521), [1128, 908]);
  assert.deepEqual(sharp.fit(1170, 1520, 647, 521), [1170, 942]);
  assert.deepEqual(sharp.fit(1294, 1042, 647, 521), [1294, 1042]);
});

// Each output pixel wholly inside a frame pixel's square reads it alone; one
// on a seam reads it and the next, weighed within a quarter of their shares.
it("samples exactly inside squares and blends on seams by share", () => {
  const count = 521;
  for (const length of [521, 700, 942, 1042, 1080, 1563]) {
    const { source, weight, first } = sharp.axis(length, count);
    let seams = 0;
    for (let p = 0; p < length; p++) {
      const low = Math.floor(p * count / length), high = Math.floor(((p + 1) * count - 1) / length);
      if (low === high) {
        assert.deepEqual([source[p], weight[p]], [low, 0], `${length}: ${p}`);
        continue;
      }
      const taken = source[p] === high ? 1 : weight[p] / 256;
      assert.ok(source[p] === low || (source[p] === high && weight[p] === 0), `${length}: ${p}`);
      assert.ok(Math.abs(taken - (p + 1 - high * length / count)) <= 0.25 + 1 / 256, `${length}: ${p}`);
      seams += weight[p] > 0;
    }
    if (length % count) assert.ok(seams > count / 4, `${length}: blended`);
    assert.equal(first[count], length);
  }
});
