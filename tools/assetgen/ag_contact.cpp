// assetgen generator "zz_contact" (runs last): contact sheets of every PNG written in this run,
// one sheet per folder, for reviewers. It writes only when the environment variable
// VM_AG_CONTACT_DIR names a folder, so the content tree never receives them.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_draw.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

constexpr int SHEET_W = 1024;
constexpr int LABEL_H = 12;

void draw_label(ag_image &sheet, const std::string &text, int x, int y, int max_w)
{
    ag_mask m = ag_text_mask("DejaVuSans.ttf", text, 9, 0);
    for (int j = 0; j < m.h && j < LABEL_H; j++)
        for (int i = 0; i < m.w && i < max_w; i++) ag_blend(sheet, x + i, y + j, ag_rgb(0.85f, 0.85f, 0.9f), m.at(i, j));
}

// Thumbnail size: sprites up to 96 pixels stay as they are, textures show at 48 pixels, larger
// pictures are scaled down.
void thumb_size(const std::string &group, const ag_image &img, int &w, int &h)
{
    w = img.w;
    h = img.h;
    bool texture = group.size() >= 5 && group.compare(group.size() - 5, 5, "tiles") == 0;
    int limit = img.w >= 320 ? 240 : img.w >= 200 ? 256 : texture ? 48 : 96;
    while (w > limit || h > limit) {
        w = (w + 1) / 2;
        h = (h + 1) / 2;
    }
}

std::string slurp(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// A top view of the brick world's map as generated: each cell shows its tile's up face, so the
// floor's shadow variants can be checked against the bricks that throw them.
ag_image map_top_view(const std::string &assets, const std::string &out)
{
    // Tile number -> name of its up face (an animation stands for its first frame).
    std::map<int, std::string> up_face;
    std::map<std::string, std::string> first_frame;
    std::string def = slurp(assets + "/level/brick.def"), line;
    for (size_t i = 0; i <= def.size(); i++) {
        if (i < def.size() && def[i] != '\r') {
            if (static_cast<unsigned char>(def[i]) > 31) line += def[i];
            continue;
        }
        i++;
        size_t eq = line.find('=');
        if (!line.empty() && eq != std::string::npos) {
            std::string name = line.substr(1, eq - 1), rest = line.substr(eq + 1);
            auto trim = [](std::string v) {
                v.erase(0, v.find_first_not_of(' '));
                v.erase(v.find_last_not_of(' ') + 1);
                return v;
            };
            std::string first = trim(rest.substr(0, rest.find(',')));
            if (line[0] == '%') up_face[std::atoi(name.c_str())] = first;
            if (line[0] == '>') first_frame[trim(name)] = first;
        }
        line.clear();
    }
    std::map<std::string, const ag_image *> textures;
    for (const ag_sheet_entry &e : ag_sheet_entries())
        if (e.group == "gfx\\tiles") textures[e.name.substr(0, e.name.rfind('.'))] = &e.img;
    std::string map = slurp(out + "/level/brick.map");
    if (map.size() < 8) return {};
    auto le16 = [&](size_t at) { return static_cast<int16_t>(static_cast<uint8_t>(map[at]) | (static_cast<uint8_t>(map[at + 1]) << 8)); };
    size_t cells = 8 + static_cast<size_t>(le16(6) + 1) * 59 + 4;
    const int C = 32, r0 = 3, r1 = 19, c0 = 0, c1 = 19;
    ag_image img = ag_image_make((c1 - c0 + 1) * C, (r1 - r0 + 1) * C, ag_rgb(0.05f, 0.05f, 0.08f));
    for (int r = r0; r <= r1; r++)
        for (int c = c0; c <= c1; c++) {
            size_t at = cells + (static_cast<size_t>(r) * 100 + c) * 22;
            if (at + 22 > map.size()) continue;
            std::string face = up_face.count(le16(at)) ? up_face[le16(at)] : "";
            if (first_frame.count(face)) face = first_frame[face];
            if (!textures.count(face)) continue;
            ag_paste(img, ag_resize(*textures[face], C, C), (c - c0) * C, (r - r0) * C);
        }
    return img;
}

int gen_contact(const std::string &assets, const std::string &out)
{
    const char *dir = std::getenv("VM_AG_CONTACT_DIR");
    if (!dir || !*dir) return 0;
    // Group in a sorted map so that the sheets come out in a fixed order.
    std::map<std::string, std::vector<const ag_sheet_entry *>> groups;
    for (const ag_sheet_entry &e : ag_sheet_entries()) groups[e.group].push_back(&e);
    int err = 0;
    for (const auto &[group, list] : groups) {
        // Lay out in rows, left to right.
        struct place {
            int x, y, w, h;
        };
        std::vector<place> places;
        int x = 4, y = 4, row_h = 0;
        for (const ag_sheet_entry *e : list) {
            int w, h;
            thumb_size(group, e->img, w, h);
            int cell_w = std::max(w, 40) + 6;
            if (x + cell_w > SHEET_W) {
                x = 4;
                y += row_h + LABEL_H + 6;
                row_h = 0;
            }
            places.push_back({x, y, w, h});
            x += cell_w;
            row_h = std::max(row_h, h);
        }
        int sheet_h = y + row_h + LABEL_H + 8;
        ag_image sheet = ag_image_make(SHEET_W, sheet_h, ag_rgb(0.12f, 0.12f, 0.14f));
        for (size_t i = 0; i < list.size(); i++) {
            const place &p = places[i];
            // Checkerboard under each picture so that transparency shows.
            for (int j = 0; j < p.h; j++)
                for (int k = 0; k < p.w; k++) sheet.at(p.x + k, p.y + j) = ((k / 4 + j / 4) & 1) ? ag_rgb(0.32f, 0.32f, 0.36f) : ag_rgb(0.22f, 0.22f, 0.26f);
            ag_image t = (p.w == list[i]->img.w && p.h == list[i]->img.h) ? list[i]->img : ag_resize(list[i]->img, p.w, p.h);
            ag_paste(sheet, t, p.x, p.y);
            std::string label = list[i]->name.substr(0, list[i]->name.rfind('.'));
            draw_label(sheet, label, p.x, p.y + p.h + 1, std::max(p.w, 40) + 4);
        }
        std::string file = group;
        for (char &c : file)
            if (c == '\\') c = '_';
        err |= ag_write_file(dir, file + ".png", ag_png_encode(sheet));
    }
    ag_image top = map_top_view(assets, out);
    if (top.w > 0) err |= ag_write_file(dir, "level_top.png", ag_png_encode(top));
    return err;
}

} // namespace

AG_GENERATOR("zz_contact", gen_contact);
