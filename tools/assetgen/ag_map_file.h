// The world map file as the game's loader reads it, for the generators that lay out worlds:
// cells and objects in, the file's bytes out (little-endian).
#pragma once

#include <cstdint>
#include <vector>

struct AG_MAP_CELL {
    int16_t tile = 0;
    int16_t up[4] = {0, 0, 0, 0};
    int16_t down[4] = {0, 0, 0, 0};
    int8_t tint = 0;
    int8_t light = 15;
};

// A map object: its sprite and position; everything else is set by the loader.
struct AG_MAP_OBJECT {
    int16_t sprite;
    double x, y, z;
};

// The map in the current format: marker, unit, objects 0..highest (object 0 included), rows,
// columns and the rows x columns cells, row by row.
std::vector<uint8_t> ag_map_bytes(int unit, int rows, int columns, const std::vector<AG_MAP_CELL> &cells,
                                  const std::vector<AG_MAP_OBJECT> &objects);
