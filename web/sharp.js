// SPDX-License-Identifier: MIT
// The picture's sharp fill, by the rule pelko-play has (sdl/rules.cpp): the
// largest size that fits the room keeping the frame's shape, and each device
// pixel sampled as a GPU samples a texture enlarged by nearest sampling to
// the whole multiple at or above the scale: linearly at its centre, so that a
// pixel inside a game pixel's square has its colour and one on a seam blends
// the two beside it. Only the changed boxes are painted, from tables made
// when the size changes.
"use strict";

(function (exports) {
  // The picture's size in device pixels for a room of them: as wide as the
  // room or as tall, the other side rounded; never under one pixel.
  function fit(roomWidth, roomHeight, frameWidth, frameHeight) {
    if (roomWidth * frameHeight <= roomHeight * frameWidth)
      return [roomWidth, Math.max(1, Math.round(roomWidth * frameHeight / frameWidth))];
    return [Math.max(1, Math.round(roomHeight * frameWidth / frameHeight)), roomHeight];
  }

  // For each of `length` output pixels along an axis showing `count` frame
  // pixels: the frame pixel read and the weight of the next one (256ths), as
  // exact integers: the centre of output pixel p lies at texel
  // ((2p + 1) count m - length) / 2 length of the m-fold enlargement.
  function axis(length, count) {
    const m = Math.max(1, Math.ceil(length / count));
    const texels = count * m, twice = 2 * length;
    const source = new Int32Array(length), weight = new Uint16Array(length);
    const first = new Int32Array(count + 1);
    for (let p = 0; p < length; p++) {
      const centre = (2 * p + 1) * texels - length;
      const texel = Math.floor(centre / twice), rest = centre - texel * twice;
      const frame = Math.floor(texel / m);
      source[p] = frame;
      if (rest > 0 && (texel + 1) % m === 0 && frame + 1 < count)
        weight[p] = Math.floor((rest * 256 + length) / twice);
    }
    for (let g = 0, p = 0; g <= count; g++) {
      while (p < length && source[p] < g) p++;
      first[g] = p;
    }
    return { source, weight, first };
  }

  // The picture of a frame of frameWidth x frameHeight RGBA pixels at width x
  // height device pixels, in an ImageData to put on a canvas.
  class Picture {
    constructor(width, height, frameWidth, frameHeight) {
      this.frameWidth = frameWidth;
      this.columns = axis(width, frameWidth);
      this.rows = axis(height, frameHeight);
      this.image = new ImageData(width, height);
    }

    // The device pixels that read the frame's box [left, right) x [top, bottom),
    // painted from its RGBA bytes: the box painted, as [x, y, width, height].
    paint(frame, left, top, right, bottom) {
      const { columns, rows, frameWidth } = this, out = this.image.data, stride = 4 * this.image.width;
      const x0 = columns.first[Math.max(left - 1, 0)], x1 = columns.first[right];
      const y0 = rows.first[Math.max(top - 1, 0)], y1 = rows.first[bottom];
      for (let y = y0; y < y1; y++) {
        const g = rows.source[y], wy = rows.weight[y], at = y * stride;
        if (y > y0 && g === rows.source[y - 1] && wy === rows.weight[y - 1]) {
          out.copyWithin(at + 4 * x0, at - stride + 4 * x0, at - stride + 4 * x1);
          continue;
        }
        const upper = 4 * g * frameWidth, lower = wy ? upper + 4 * frameWidth : upper;
        for (let x = x0; x < x1; x++) {
          const c = 4 * columns.source[x], wx = columns.weight[x], next = wx ? c + 4 : c;
          for (let k = 0; k < 3; k++) {
            const above = (frame[upper + c + k] * (256 - wx) + frame[upper + next + k] * wx) >> 8;
            const below = (frame[lower + c + k] * (256 - wx) + frame[lower + next + k] * wx) >> 8;
            out[at + 4 * x + k] = (above * (256 - wy) + below * wy) >> 8;
          }
          out[at + 4 * x + 3] = 255;
        }
      }
      return [x0, y0, x1 - x0, y1 - y0];
    }
  }

  exports.fit = fit;
  exports.axis = axis;
  exports.Picture = Picture;
})(typeof module === "object" ? module.exports : (window.pelkoSharp = {}));
