// The world map file's bytes (see ag_map_file.h).
#include "tools/assetgen/ag_map_file.h"

#include <cstring>

namespace {

void put16(std::vector<uint8_t> &v, int16_t x)
{
    v.push_back(static_cast<uint8_t>(x & 255));
    v.push_back(static_cast<uint8_t>((static_cast<uint16_t>(x) >> 8) & 255));
}

void put32(std::vector<uint8_t> &v, int32_t x)
{
    for (int i = 0; i < 4; i++) v.push_back(static_cast<uint8_t>((static_cast<uint32_t>(x) >> (8 * i)) & 255));
}

void put_double(std::vector<uint8_t> &v, double d)
{
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    for (int i = 0; i < 8; i++) v.push_back(static_cast<uint8_t>((bits >> (8 * i)) & 255));
}

// One 59-byte object record.
void put_object(std::vector<uint8_t> &v, const AG_MAP_OBJECT &o)
{
    put16(v, o.sprite);
    for (int i = 0; i < 4; i++) put16(v, 0); // sprite bitmap, height, width, linked width: set at load
    for (int i = 0; i < 3; i++) v.push_back(0); // transparency, mirror x, mirror y
    for (int i = 0; i < 8; i++) put16(v, 0);    // parameters 4..11
    put_double(v, o.x);
    put_double(v, o.y);
    put_double(v, o.z);
    put16(v, -9999); // not linked
    put16(v, 0);
    v.push_back(0);  // tint
    v.push_back(15); // light
}

} // namespace

std::vector<uint8_t> ag_map_bytes(int unit, int rows, int columns, const std::vector<AG_MAP_CELL> &cells,
                                  const std::vector<AG_MAP_OBJECT> &objects)
{
    std::vector<uint8_t> m;
    put16(m, -1100);
    put32(m, unit);
    put16(m, static_cast<int16_t>(objects.size() - 1));
    for (const AG_MAP_OBJECT &o : objects) put_object(m, o);
    put16(m, static_cast<int16_t>(rows));
    put16(m, static_cast<int16_t>(columns));
    for (const AG_MAP_CELL &c : cells) {
        put16(m, c.tile);
        m.push_back(0);
        m.push_back(0);
        for (int16_t a : c.up) put16(m, a);
        for (int16_t a : c.down) put16(m, a);
        m.push_back(static_cast<uint8_t>(c.tint));
        m.push_back(static_cast<uint8_t>(c.light));
    }
    return m;
}
