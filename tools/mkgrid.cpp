// SPDX-License-Identifier: MIT
// Writes the dissolve order of the screen wipe: every cell inside the fence
// once, shuffled by a fixed seed so that every build makes the same file.
//   mkgrid <pelko.grid>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

namespace {
constexpr int COLUMNS = 90;                   // columns 1..90 lie inside the fence
constexpr int ROWS = 72;                      // rows 1..72
constexpr uint64_t SEED = 0x70656c6b6f677264; // any fixed value

uint64_t splitmix64(uint64_t &state) {
    uint64_t z = (state += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
}
} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: mkgrid <output>\n");
        return 2;
    }
    std::vector<std::pair<uint8_t, uint8_t>> cells;
    for (int row = 1; row <= ROWS; row++)
        for (int col = 1; col <= COLUMNS; col++)
            cells.emplace_back(static_cast<uint8_t>(col), static_cast<uint8_t>(row));
    uint64_t state = SEED;
    for (size_t i = cells.size() - 1; i > 0; i--)
        std::swap(cells[i], cells[splitmix64(state) % (i + 1)]);

    FILE *out = fopen(argv[1], "wb");
    if (!out) {
        perror(argv[1]);
        return 1;
    }
    for (const auto &[col, row] : cells) {
        fputc(col, out);
        fputc(row, out);
    }
    if (fclose(out) != 0) {
        perror(argv[1]);
        return 1;
    }
    return 0;
}
