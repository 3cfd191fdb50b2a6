// Shared inside the world folder only: the record layouts of map files and the map reader that
// Load_Level calls.
#pragma once

#include "world/world.h"

// A 59-byte object record and a 22-byte cell record of a map file.
void world_object_decode(const uint8_t *bytes, WORLD_OBJECT *object);
void world_object_encode(const WORLD_OBJECT *object, uint8_t *bytes);
void world_cell_decode(const uint8_t *bytes, WORLD_CELL *cell);
void world_cell_encode(const WORLD_CELL *cell, uint8_t *bytes);

// Reads the map into the allocated cells and objects (a missing file leaves them empty). False
// after a fatal error was reported.
bool world_map_read(const char *map_name, const char *def_name);
