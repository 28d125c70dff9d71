// SPDX-License-Identifier: MIT
// Packs an RGBA PAM (mkwebicons' icons) into a PNG, deflated by node's zlib:
// the blocks of a whole-step enlargement pack to next to nothing.
//   node png.mjs <in.pam> <out.png>
import fs from "node:fs";
import zlib from "node:zlib";

const [input, output] = process.argv.slice(2);
const pam = fs.readFileSync(input);
const end = pam.indexOf("ENDHDR\n");
const header = pam.toString("latin1", 0, end);
const field = (name) => Number((header.match(new RegExp(`^${name} (\\d+)$`, "m")) || [])[1]);
const width = field("WIDTH"), height = field("HEIGHT");
if (!header.startsWith("P7\n") || field("DEPTH") !== 4 || field("MAXVAL") !== 255 || !width || !height)
  throw new Error(`${input}: not an 8-bit RGBA PAM`);
const pixels = pam.subarray(end + "ENDHDR\n".length);

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
  for (let k = 0; k < 8; k++) n = n & 1 ? 0xedb88320 ^ (n >>> 1) : n >>> 1;
  return n >>> 0;
});
function crc32(bytes) {
  let crc = 0xffffffff;
  for (const byte of bytes) crc = CRC_TABLE[(crc ^ byte) & 0xff] ^ (crc >>> 8);
  return (crc ^ 0xffffffff) >>> 0;
}
function chunk(type, data) {
  const body = Buffer.concat([Buffer.from(type, "latin1"), data]);
  const length = Buffer.alloc(4), crc = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  crc.writeUInt32BE(crc32(body));
  return Buffer.concat([length, body, crc]);
}

// Each row filtered by its left neighbour ("Sub"): runs of a colour become zeros.
const row = width * 4;
const filtered = Buffer.alloc(height * (row + 1));
for (let y = 0; y < height; y++) {
  const at = y * (row + 1);
  filtered[at] = 1;
  for (let i = 0; i < row; i++)
    filtered[at + 1 + i] = pixels[y * row + i] - (i >= 4 ? pixels[y * row + i - 4] : 0);
}
const ihdr = Buffer.alloc(13);
ihdr.writeUInt32BE(width, 0);
ihdr.writeUInt32BE(height, 4);
ihdr.set([8, 6, 0, 0, 0], 8); // 8-bit RGBA
fs.writeFileSync(output, Buffer.concat([
  Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
  chunk("IHDR", ihdr),
  chunk("IDAT", zlib.deflateSync(filtered, { level: 9 })),
  chunk("IEND", Buffer.alloc(0)),
]));
