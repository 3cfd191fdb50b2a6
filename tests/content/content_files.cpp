// Helpers shared by the content tests (see content_files.h).
#include "tests/content/content_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

std::string content_assets_dir() { return std::string(VM_SOURCE_DIR) + "/assets"; }

int content_run(const std::string &command)
{
    int rc = std::system(command.c_str());
    return rc == -1 ? -1 : WEXITSTATUS(rc);
}

std::string content_temp_dir(const std::string &tag)
{
    fs::path p = fs::temp_directory_path() / ("vm_content_" + tag + "_" + std::to_string(getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p.string();
}

int content_run_assetgen(const std::string &out)
{
    return content_run(std::string("\"") + VM_ASSETGEN + "\" \"" + content_assets_dir() + "\" \"" + out + "\" >/dev/null");
}

// The shared generated folder, removed when the test process ends.
struct generated_folder {
    std::string dir;
    ~generated_folder()
    {
        std::error_code ec;
        if (!dir.empty()) fs::remove_all(dir, ec);
    }
};

const std::string &content_generated_dir()
{
#ifdef VM_CONTENT_BUILT_DIR
    static const std::string built = VM_CONTENT_BUILT_DIR;
    if (fs::is_directory(built)) return built;
#endif
    static generated_folder folder;
    static std::string failed = "/nonexistent-assetgen-failed";
    if (folder.dir.empty()) {
        folder.dir = content_temp_dir("gen");
        if (content_run_assetgen(folder.dir) != 0) return failed;
    }
    return folder.dir;
}

bool content_read(const std::string &path, std::string &bytes)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    return f && (ss << f.rdbuf(), bytes = ss.str(), true);
}

std::string content_path(const std::string &root, std::string game_name)
{
    std::replace(game_name.begin(), game_name.end(), '\\', '/');
    return root + "/" + game_name;
}

std::vector<std::string> content_cr_lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); i++) {
        unsigned char c = text[i];
        if (c == 13 || c == 255) {
            i += c == 13;
            lines.push_back(line);
            line.clear();
        } else if (c > 31) {
            line += char(c);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

namespace {

std::string lower(std::string s)
{
    for (char &c : s) c = char(std::tolower((unsigned char)c));
    return s;
}

std::string trim(const std::string &s)
{
    size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// "name = v1, v2, ..." after the key character: the name and the comma-separated values.
void split_line(const std::string &rest, std::string &name, std::vector<std::string> &values)
{
    size_t eq = rest.find('=');
    name = trim(eq == std::string::npos ? rest : rest.substr(0, eq));
    values.clear();
    if (eq == std::string::npos) return;
    std::string v;
    std::stringstream ss(rest.substr(eq + 1));
    while (std::getline(ss, v, ',')) values.push_back(trim(v));
}

bool to_int(const std::string &s, int &out)
{
    char *end = nullptr;
    out = int(std::strtol(s.c_str(), &end, 10));
    return !s.empty() && *end == 0;
}

} // namespace

def_world content_parse_def(const std::string &text)
{
    def_world w;
    auto err = [&](const std::string &e) { w.errors.push_back(e); };
    for (const std::string &raw : content_cr_lines(text)) {
        std::string line = trim(raw);
        if (line.empty()) continue;
        char key = line[0];
        std::string rest = line.substr(1), name;
        std::vector<std::string> v;
        if (key == '@') {
            if (rest.empty()) continue;
            if (rest[0] == 'j') {
                split_line("j=" + rest.substr(1), name, v);
                if (v.size() != 3) err("@j needs a file and two scales");
                else w.files.push_back(v[0]);
                continue;
            }
            if (!to_int(trim(rest.substr(1)), w.numbers[rest[0]])) err("bad world parameter line: " + line);
            continue;
        }
        split_line(rest, name, v);
        if (!name.empty() && name[0] == '*' && (key == ']' || key == '>' || key == '<')) name = name.substr(1);
        if (key == '#' || key == '^') {
            if (!(w.numbers.count('d') && w.numbers.count('e') && w.numbers.count('f'))) err("bitmap before @d, @e and @f: " + line);
            if (v.size() != 1 || name.empty() || name.size() > 39) err("bad bitmap line: " + line);
            auto &table = key == '#' ? w.bitmaps : w.sprite_bitmaps;
            if (!table.insert(lower(name)).second) err("bitmap defined twice: " + name);
            if (!v.empty()) w.files.push_back(v[0]);
        } else if (key == ']') {
            int frames = 0, delay = 0;
            if (v.size() != 3 || !to_int(v[1], frames) || !to_int(v[2], delay) || frames < 1 || frames > 40) {
                err("bad frame sequence: " + line);
                continue;
            }
            for (int k = 0; k < frames; k++) {
                char num[16];
                std::snprintf(num, sizeof num, "%02d", k);
                if (!w.sprite_bitmaps.insert(lower(name + num)).second) err("sprite bitmap defined twice: " + name + num);
                w.files.push_back(v[0] + num + ".png");
            }
            if (!w.sprite_bitmaps.insert(lower(name)).second) err("animation name taken: " + name);
        } else if (key == '>' || key == '<') {
            auto &table = key == '>' ? w.bitmaps : w.sprite_bitmaps;
            if (v.empty() || v.size() % 2 != 0 || v.size() > 80) err("bad animation: " + line);
            for (size_t k = 0; k + 1 < v.size(); k += 2)
                if (!table.count(lower(v[k]))) err("animation frame missing: " + v[k]);
            if (!table.insert(lower(name)).second) err("animation name taken: " + name);
        } else if (key == '%') {
            int n = 0;
            if (!to_int(name, n) || n < 1 || n > 299) {
                err("bad tile number: " + line);
                continue;
            }
            if (v.size() != 6) err("tile without six faces: " + line);
            for (size_t k = 0; k < v.size(); k++) {
                std::string face = v[k];
                if (!face.empty() && face.back() == '!') {
                    if (k < 2) err("'!' on a floor face: " + line);
                    face.pop_back();
                }
                if (lower(face) != "null" && !w.bitmaps.count(lower(face))) err("tile face missing: " + face);
            }
            if (!w.tiles.emplace(n, v).second) err("tile defined twice: " + name);
        } else if (key == '&') {
            int n = 0;
            if (!to_int(name, n) || n < 0 || n > 298) {
                err("bad sprite number: " + line);
                continue;
            }
            if (v.size() != 12) {
                err("sprite without twelve values: " + line);
                continue;
            }
            def_sprite s{lower(v[0]), 0, 0, {}};
            if (!w.sprite_bitmaps.count(s.bitmap)) err("sprite bitmap missing: " + v[0]);
            bool ok = to_int(v[1], s.height) && to_int(v[2], s.width);
            for (size_t k = 3; k < 12; k++) {
                int p = 0;
                ok = ok && to_int(v[k], p) && p >= -32768 && p <= 32767;
                s.params.push_back(p);
            }
            if (!ok) err("bad sprite values: " + line);
            if (!w.sprites.emplace(n, s).second) err("sprite defined twice: " + name);
        } else if (key == '*' || key == '+') {
            size_t per = key == '*' ? 3 : 5, head = key == '*' ? 4 : 0;
            if (v.size() < head + per || (v.size() - head) % per != 0) err("bad moving cell or animated object: " + line);
            int n = 0;
            if (key == '*' && (v.empty() || !to_int(v[0], n) || !w.tiles.count(n))) err("moving cell tile missing: " + line);
            if (key == '+' && (!to_int(name, n) || !w.sprites.count(n))) err("animated object sprite missing: " + line);
        } else if (key == '$') {
            err("second bitmap family is not used by the brick world: " + line);
        }
    }
    return w;
}
