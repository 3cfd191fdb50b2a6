// assetgen generator "particles": the particle textures named by data\part_fx.txt, in
// "gfx\\partic\\": sparks, soft glows, smoke puffs, a twinkling star (four frames), a shock ring,
// brick shards, a lens flare and embers.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_draw.h"

namespace {

constexpr int PS = 64;
constexpr float PI = 3.14159265f;

ag_image radial(ag_rgba inner, ag_rgba outer, float power)
{
    ag_image img = ag_image_make(PS, PS);
    for (int y = 0; y < PS; y++)
        for (int x = 0; x < PS; x++) {
            float d = std::hypot(x + 0.5f - 32, y + 0.5f - 32) / 32;
            float a = std::pow(ag_clamp(1 - d), power);
            ag_rgba c = ag_mix(inner, outer, ag_clamp(d * 1.4f));
            img.at(x, y) = ag_alpha(c, a * c.a);
        }
    return img;
}

ag_image spark()
{
    ag_image img = ag_image_make(PS, PS);
    for (int y = 0; y < PS; y++)
        for (int x = 0; x < PS; x++) {
            float dx = (x + 0.5f - 32) / 30, dy = (y + 0.5f - 32) / 7;
            float d = std::hypot(dx, dy);
            float core = ag_clamp(1 - d);
            img.at(x, y) = ag_alpha(ag_mix(ag_hex(0xFF8020), ag_hex(0xFFFFE0), core), std::pow(core, 0.8f));
        }
    return img;
}

ag_image smoke()
{
    ag_image img = ag_image_make(PS, PS);
    for (int y = 0; y < PS; y++)
        for (int x = 0; x < PS; x++) {
            float d = std::hypot(x + 0.5f - 32, y + 0.5f - 32) / 30;
            float n = ag_fbm(x / 12.0f, y / 12.0f, 4, 501);
            float a = ag_clamp(1 - d) * ag_smooth(0.25f, 0.75f, n + 0.3f * (1 - d));
            img.at(x, y) = ag_alpha(ag_mix(ag_hex(0x605858), ag_hex(0xB0A8A8), n), a * 0.8f);
        }
    return img;
}

ag_image star(int frame)
{
    ag_image img = ag_image_make(PS, PS);
    float turn = frame * PI / 8;
    float size = 1.0f - 0.2f * (frame % 2);
    for (int y = 0; y < PS; y++)
        for (int x = 0; x < PS; x++) {
            float dx = x + 0.5f - 32, dy = y + 0.5f - 32;
            float r = std::hypot(dx, dy) / 30, a = std::atan2(dy, dx) + turn;
            float arms = std::pow(std::fabs(std::cos(a * 2)), 12.0f);
            float v = ag_clamp(1 - r / (0.2f + 0.8f * arms * size));
            float glowv = ag_clamp(1 - r) * 0.4f;
            img.at(x, y) = ag_alpha(ag_mix(ag_hex(0xFFE080), ag_rgb(1, 1, 1), v), ag_clamp(v + glowv * glowv));
        }
    return img;
}

ag_image ring()
{
    ag_image img = ag_image_make(PS, PS);
    for (int y = 0; y < PS; y++)
        for (int x = 0; x < PS; x++) {
            float d = std::hypot(x + 0.5f - 32, y + 0.5f - 32);
            float a = ag_clamp(1 - std::fabs(d - 26) / 5);
            img.at(x, y) = ag_alpha(ag_hex(0xA0E0FF), a * a);
        }
    return img;
}

ag_image shard()
{
    ag_image img = ag_image_make(PS, PS);
    for (int y = 0; y < PS; y++)
        for (int x = 0; x < PS; x++) {
            float fx = x + 0.5f, fy = y + 0.5f;
            // An irregular chip: a quadrilateral with one bevelled face lit.
            float d = std::max(std::max(fy - 54 + fx * 0.2f, 10 - fy + fx * 0.1f), std::max(8 - fx + fy * 0.15f, fx - 56 + fy * 0.1f));
            float cov = ag_cover(d);
            ag_rgba c = fx + fy < 64 ? ag_hex(0xF0F0F0) : ag_hex(0xA0A0A8);
            img.at(x, y) = ag_alpha(c, cov);
        }
    return img;
}

ag_image flare()
{
    ag_image img = radial(ag_rgb(1, 1, 1), ag_hex(0x80A0FF), 2.5f);
    for (int y = 0; y < PS; y++)
        for (int x = 0; x < PS; x++) {
            float dx = std::fabs(x + 0.5f - 32), dy = std::fabs(y + 0.5f - 32);
            float beam = ag_clamp(1 - dy / 2) * ag_clamp(1 - dx / 32) + ag_clamp(1 - dx / 2) * ag_clamp(1 - dy / 32);
            ag_add(img, x, y, ag_rgb(0.9f, 0.95f, 1), beam);
        }
    return img;
}

int gen_particles(const std::string &, const std::string &out)
{
    int err = 0;
    auto put = [&](const char *name, const ag_image &img) { err |= ag_write_png(out, std::string("gfx\\partic\\") + name + ".png", img); };
    put("spark", spark());
    put("glow", radial(ag_rgb(1, 1, 0.9f), ag_hex(0xFFA040), 1.6f));
    put("blueglow", radial(ag_rgb(0.9f, 1, 1), ag_hex(0x3070FF), 1.6f));
    put("smoke", smoke());
    for (int f = 0; f < 4; f++) put(("star" + std::to_string(f)).c_str(), star(f));
    put("ring", ring());
    put("shard", shard());
    put("flare", flare());
    put("ember", radial(ag_hex(0xFFE060), ag_hex(0xFF3000), 1.0f));
    return err;
}

} // namespace

AG_GENERATOR("particles", gen_particles);
