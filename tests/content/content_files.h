// Helpers shared by the content tests: file access, the game's CR line rule, a lazily generated
// content folder and a reader of world definition files.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

std::string content_assets_dir();
// The generated content: the build's content folder when the content build is on, else a fresh
// temporary folder that assetgen fills once per test process.
const std::string &content_generated_dir();
// Runs assetgen into `out`; returns its exit status.
int content_run_assetgen(const std::string &out);
int content_run(const std::string &command);
std::string content_temp_dir(const std::string &tag);

bool content_read(const std::string &path, std::string &bytes);
// Game name ("gfx\\tiles\\a.png") to a path below `root`.
std::string content_path(const std::string &root, std::string game_name);

// Splits text as the game's line reader does: a line ends at CR (the next byte is skipped),
// bytes below 32 are dropped, byte 255 also ends a line.
std::vector<std::string> content_cr_lines(const std::string &text);

struct def_sprite {
    std::string bitmap;
    int height = 0, width = 0;
    std::vector<int> params; // p3 .. p11
};

struct def_world {
    std::map<char, int> numbers;                   // @a .. @i
    std::set<std::string> bitmaps, sprite_bitmaps; // lower-cased names
    std::map<int, std::vector<std::string>> tiles; // six face names
    std::map<int, def_sprite> sprites;
    std::vector<std::string> files;  // every file the definition names
    std::vector<std::string> errors; // what a loader would refuse
};

def_world content_parse_def(const std::string &text);
