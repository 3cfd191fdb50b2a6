// assetgen music: the game's nine pieces as tables, in the notation described in ag_music.h, and
// the generator that writes them as snd\1.s3m .. snd\7.s3m (the levels, faster and harder-driving
// as they go), snd\demos.s3m (the attract sequence) and snd\hiscore.s3m (name entry). Each section
// is one pattern of four bars; a piece's order list plays its intro, verses, choruses and bridge
// and returns to the intro, so it loops without a seam.
#include "tools/assetgen/ag.h"
#include "tools/assetgen/ag_music.h"

#include <cstdio>

// ---------------------------------------------------------------------------------------------
// Drum grooves and figures (one bar each)
// ---------------------------------------------------------------------------------------------

const ag_groove AG_GROOVES[] = {
    // name      kick                snare               hats
    {"half",    "X.........x.....", "........X.......", "x...x...x...x..."},
    {"beat",    "X.......X.x.....", "....X.......X...", "x.x.x.x.x.x.x.x."},
    {"push",    "X.....x.X.......", "....X.......X..g", "x.x.x.x.x.x.x.xo"},
    {"funk",    "X..x..x...X..x..", "....X..g.g..X..g", "x.xXx.xXx.xXx.xX"},
    {"rock",    "X.....x.X.x.....", "....X.......X...", "X.x.X.x.X.x.X.x."},
    {"gallop",  "X..xX..xX..xX..x", "....X.......X...", "x.xxx.xxx.xxx.xx"},
    {"four",    "X...X...X...X...", "....X.......X...", "..o...o...o...o."},
    {"drive",   "X...X...X...X.x.", "....X.......X...", "xxXxxxXxxxXxxxXx"},
    {"blast",   "X.x.X.x.X.x.X.x.", "....X..g....X.gg", "XxXxXxXxXxXxXxXx"},
    {"march",   "X.......X.......", "....X..g....X.x.", "x.x.x.x.x.x.x.x."},
    {"fill",    "X.......X.....x.", "....X...X.xxXXXX", "x.x.x.x.x.x....."},
    {"roll",    "X.......X...X...", "X.x.x.x.xxxxXXXX", "x..............."},
    {nullptr, nullptr, nullptr, nullptr},
};

const ag_figure AG_FIGURES[] = {
    // bass
    {"roots",    "R.......R.....5."},
    {"walk",     "R...5...8...5..."},
    {"pulse",    "R.R.R.R.R.R.R.R."},
    {"bounce",   "R..R..R.5..5..8."},
    {"funky",    "R..8..R.-.R.5.8."},
    {"octaves",  "R.8.R.8.R.8.R.8."},
    {"gallop",   "R.RRR.RRR.RRR.RR"},
    {"drive",    "R.R.R.R.R.R.5.8."},
    {"syncop",   "R..R..R.R..5..8."},
    {"stride",   "R...R.5.R...5..."},
    // arpeggio
    {"up",       "1.2.3.4.1.2.3.4."},
    {"updown",   "1.2.3.4.3.2.1.2."},
    {"broken",   "1.3.2.4.1.3.2.4."},
    {"stab",     "..1...2...1...3."},
    {"sixteen",  "1234321234321234"},
    {"climb",    "1234123412341234"},
    {nullptr, nullptr},
};

// ---------------------------------------------------------------------------------------------
// The pieces
// ---------------------------------------------------------------------------------------------

const ag_piece AG_PIECES[] = {
    {"snd\\1.s3m", "Glass Garden", 69, "minor", 3, 50, 79, AG_SQUARE, AG_FLUTE, AG_PLUCK, AG_BASS, 46, 34, 26,
     {
         {'I', "1 6 3 7", "half", nullptr, "roots", "updown", true, false, nullptr, nullptr},
         {'A', "1 6 3 7", "half", "fill", "roots", nullptr, true, false,
          "1:4 3:2 5:4 3:2 1:2 2:2 | 1:6 7-:2 6-:8 | 5-:2 1:2 3:4 5:4 3:2 1:2 | 2:8 7-:4 r:4", nullptr},
         {'B', "1 6 3 7", "beat", "fill", "roots", nullptr, true, false,
          "5:4 3:2 1:2 3:4 5:4 | 6:6 5:2 3:8 | 3:4 5:4 1+:6 7:2 | 7:4 5:4 2:4 r:4", nullptr},
         {'C', "6 7 1 5", "beat", nullptr, "walk", "updown", true, true,
          "6:2 1+:4 1+:2 7:2 6:2 5:4 | 7:6 2+:2 ~:4 7:4 | 1+:4 3+:4 2+:2 1+:2 7:4 | 5:12 r:4", "=3"},
         {'D', "6 7 1 5", "beat", "fill", "walk", "updown", true, false,
          "6:2 1+:4 1+:2 7:2 6:2 5:4 | 7:6 2+:2 ~:4 3+:4 | 1+:8 7:4 6:4 | 5:4 7:4 1+:8", "=3"},
         {'E', "4 4 6 7", "half", nullptr, "roots", "updown", true, true, nullptr,
          "4:8 3:4 2:4 | 1:12 r:4 | 6-:4 1:4 3:4 6:4 | 7-:8 2:8"},
     },
     "IABCDEABCD"},

    {"snd\\2.s3m", "Paper Kites", 65, "major", 6, 105, 75, AG_FLUTE, AG_BELL, AG_PLUCK, AG_BASS, 46, 34, 26,
     {
         {'I', "1 1 4 5", "beat", nullptr, "bounce", "broken", true, false, nullptr, nullptr},
         {'A', "1 5 6 4", "beat", "fill", "bounce", nullptr, true, false,
          "1:2 1:2 3:2 5:2 ~:4 3:2 1:2 | 2:2 2:2 7-:2 5-:2 ~:8 | 6-:2 1:2 2:2 4:2 ~:4 3:2 2:2 | 1:8 r:8", nullptr},
         {'B', "1 5 6 4", "beat", "fill", "bounce", "broken", true, false,
          "5:2 5:2 6:2 5:2 ~:4 3:2 1:2 | 2:2 3:2 2:2 7-:2 ~:8 | 6-:2 1:2 2:2 4:2 ~:4 6:4 | 5:12 r:4", nullptr},
         {'C', "4 5 3 6", "push", nullptr, "pulse", "broken", true, true,
          "4:4 6:4 1+:6 6:2 | 5:4 7:4 2+:6 1+:2 | 3+:6 2+:2 1+:4 3:4 | 6:12 r:4", "=3"},
         {'D', "4 5 1 1", "push", "fill", "pulse", "broken", true, false,
          "4:4 6:4 1+:6 6:2 | 5:4 7:4 2+:6 1+:2 | 1+:8 3+:4 2+:4 | 1+:12 r:4", "=3"},
         {'E', "6 4 1 5", "half", nullptr, "roots", "updown", true, true, nullptr,
          "6:4 5:4 4:4 3:4 | 4:8 6:8 | 5:4 3:4 1:8 | 2:8 7-:8"},
     },
     "IABCDEABCD"},

    {"snd\\3.s3m", "Copper Wires", 64, "dorian", 4, 75, 79, AG_SAW, AG_SQUARE, AG_PLUCK, AG_BASS, 44, 32, 26,
     {
         {'I', "1 1 4 4", "funk", nullptr, "funky", "stab", true, false, nullptr, nullptr},
         {'A', "1 1 4 4", "funk", "fill", "funky", nullptr, true, false,
          "1:2 r:2 1:1 2:1 3:2 5:4 3:2 2:2 | 1:6 7-:2 5-:4 r:4 | 4:2 r:2 4:1 5:1 6:2 5:4 4:2 3:2 | 4:6 3:2 2:4 r:4", nullptr},
         {'B', "1 1 4 4", "funk", "fill", "funky", "stab", true, false,
          "5:2 r:2 5:1 6:1 7:2 5:4 3:2 1:2 | 2:6 3:2 1:4 r:4 | 6:2 r:2 6:1 5:1 4:2 6:4 1+:4 | 7:8 6:4 5:4", nullptr},
         {'C', "3 7 4 1", "funk", nullptr, "octaves", "stab", true, true,
          "3+:4 2+:2 1+:2 7:4 5:4 | 7:6 6:2 5:4 4:4 | 6:4 1+:4 6:2 5:2 4:4 | 3:4 2:4 1:8", "=3"},
         {'D', "3 7 4 1", "funk", "fill", "octaves", "stab", true, false,
          "3+:4 2+:2 1+:2 7:4 1+:4 | 2+:6 1+:2 7:4 6:4 | 1+:6 7:2 6:4 4:4 | 5:6 4:2 3:8", "=6"},
         {'E', "7 3 4 4", "half", "roll", "roots", "updown", true, true, nullptr,
          "2+:8 1+:8 | 7:4 5:4 3:8 | 4:4 6:4 1+:4 6:4 | 5:16"},
     },
     "IABCDEABCDCD"},

    {"snd\\4.s3m", "Iron Horizon", 67, "mixolydian", 5, 98, 76, AG_BRASS, AG_SAW, AG_SQUARE, AG_BASS, 44, 30, 22,
     {
         {'I', "1 7 4 1", "rock", nullptr, "pulse", "up", true, false, nullptr, nullptr},
         {'A', "1 7 4 1", "rock", "fill", "pulse", nullptr, true, false,
          "1:4 1:2 2:2 3:4 1:4 | 7-:4 1:2 7-:2 6-:4 4-:4 | 5-:4 1:4 3:4 4:4 | 5:8 4:4 3:4", nullptr},
         {'B', "1 7 4 1", "rock", "fill", "octaves", "up", true, false,
          "5:4 5:2 6:2 7:4 5:4 | 6:4 5:2 4:2 3:8 | 4:4 3:4 1:4 3:4 | 2:8 5-:4 7-:4", nullptr},
         {'C', "4 1 7 5M", "drive", nullptr, "octaves", "up", true, true,
          "4:4 6:2 1+:6 6:4 | 5:4 7:2 5:6 3:4 | 7:4 6:2 4:6 2:4 | 2:6 #4:2 5:8", "=3"},
         {'D', "4 1 7 5M", "drive", "fill", "octaves", "up", true, false,
          "4:4 6:2 1+:6 2+:4 | 1+:4 7:2 5:6 3:4 | 7:4 6:2 4:6 6:4 | 5:12 r:4", "=3"},
         {'E', "6 4 7 5M", "half", "roll", "roots", "updown", true, true, nullptr,
          "3:4 5:4 6:8 | 4:4 6:4 1+:8 | 7:8 6:4 4:4 | #4:8 5:8"},
     },
     "IABCDEABCDCD"},

    {"snd\\5.s3m", "Night Circuit", 60, "harmonic", 6, 126, 60, AG_SQUARE, AG_BELL, AG_PLUCK, AG_SUB_BASS, 46, 34, 24,
     {
         {'I', "1 1 6 5", "gallop", nullptr, "gallop", "sixteen", true, false, nullptr, nullptr},
         {'A', "1 1 6 5", "gallop", "fill", "gallop", nullptr, true, false,
          "1:2 r:2 1:2 3:2 5:4 3:2 2:2 | 1:4 7-:4 1:8 | 6-:2 r:2 6-:2 1:2 3:4 1:2 6-:2 | 7-:8 2:4 5-:4", nullptr},
         {'B', "1 1 6 5", "gallop", "fill", "gallop", "sixteen", true, false,
          "5:2 r:2 5:2 6:2 5:4 3:2 2:2 | 3:4 2:4 1:8 | 6:2 r:2 6:2 5:2 3:4 6:2 1+:2 | 7:8 5:4 2:4", nullptr},
         {'C', "1 4 6 5", "drive", nullptr, "gallop", "sixteen", true, true,
          "5:4 1+:4 7:2 1+:2 3+:4 | 4+:6 3+:2 1+:8 | 1+:4 3+:4 1+:2 6:2 3:4 | 2+:6 1+:2 7:8",
          "1:8 3:8 | 1:8 6-:8 | 6-:8 1:8 | 7-:16"},
         {'D', "1 4 6 5", "drive", "fill", "gallop", "sixteen", true, false,
          "5:4 1+:4 7:2 1+:2 3+:4 | 4+:6 5+:2 4+:4 3+:4 | 1+:4 6:4 3:4 6:4 | 7:8 2+:8",
          "3:8 5:8 | 4:8 6:8 | 3:8 1:8 | 2:8 7-:8"},
         {'E', "6 6 4 5", "half", "roll", "roots", "sixteen", true, true, nullptr,
          "3+:4 1+:4 6:8 | 5:4 6:4 1+:8 | 4+:8 3+:4 1+:4 | 7:16"},
     },
     "IABCDEABCDECD"},

    {"snd\\6.s3m", "Solar Rush", 70, "major", 4, 90, 77, AG_SAW, AG_SQUARE, AG_PLUCK, AG_BASS, 44, 30, 24,
     {
         {'I', "6 4 1 5", "four", nullptr, "octaves", "climb", true, false, nullptr, nullptr},
         {'A', "6 4 1 5", "four", "fill", "octaves", nullptr, true, false,
          "6-:2 6-:2 1:2 2:2 ~:4 1:2 6-:2 | 5-:2 5-:2 6-:2 1:2 ~:8 | 3:2 3:2 2:2 1:2 ~:4 2:2 3:2 | 2:8 5-:4 r:4", nullptr},
         {'B', "6 4 1 5", "four", "fill", "octaves", "climb", true, false,
          "6-:2 6-:2 1:2 2:2 ~:4 3:2 4:2 | 5:4 4:4 3:4 1:4 | 3:2 3:2 4:2 5:2 ~:4 4:2 3:2 | 2:8 ~:4 r:4", nullptr},
         {'C', "1 5 6 4", "drive", nullptr, "octaves", "climb", true, true,
          "3:4 5:2 1+:6 5:4 | 5:4 7:2 6:6 5:4 | 6:4 5:2 3:6 1:4 | 2:6 3:2 4:8", "=3"},
         {'D', "1 5 6 4", "drive", "fill", "octaves", "climb", true, false,
          "3:4 5:2 1+:6 2+:4 | 1+:4 7:2 6:6 5:4 | 6:4 1+:2 6:6 5:4 | 4:4 5:4 6:8", "=6"},
         {'E', "4 5 3 6", "half", "roll", "roots", "updown", true, true, nullptr,
          "1:4 4:4 6:8 | 2:4 5:4 7:8 | 7:4 5:4 3:8 | 6:12 r:4"},
     },
     "IIABCDEABCDECD"},

    {"snd\\7.s3m", "Last Fortress", 66, "minor", 6, 150, 70, AG_SAW, AG_BRASS, AG_PLUCK, AG_BASS, 44, 32, 24,
     {
         {'I', "1 6 7 1", "blast", nullptr, "drive", "sixteen", true, false, nullptr, nullptr},
         {'A', "1 6 7 1", "drive", "fill", "drive", nullptr, true, false,
          "1:2 1:2 5-:2 1:2 3:4 2:2 1:2 | 6-:4 1:4 3:2 2:2 1:4 | 7-:4 2:4 5:4 4:4 | 3:8 1:8", nullptr},
         {'B', "1 6 7 1", "drive", "fill", "drive", "sixteen", true, false,
          "5:2 5:2 3:2 5:2 6:4 5:2 3:2 | 4:4 3:4 1:4 6-:4 | 7-:4 2:4 4:2 5:2 7:4 | 5:12 r:4", nullptr},
         {'C', "6 7 5M 1", "blast", nullptr, "drive", "sixteen", true, true,
          "1+:4 7:2 6:6 3:4 | 7:4 6:2 5:6 2:4 | 5:4 #7:4 2+:4 #7:4 | 1+:12 r:4",
          "3:4 3:4 3:4 1:4 | 2:4 2:4 2:4 7-:4 | #7-:4 #7-:4 5-:4 2:4 | 3:8 1:8"},
         {'D', "6 7 5M 1", "blast", "roll", "drive", "sixteen", true, false,
          "1+:4 7:2 6:6 1+:4 | 2+:4 1+:2 7:6 5:4 | #7:6 5:2 2+:8 | 1+:8 5:8",
          "3:4 3:4 3:4 1:4 | 2:4 2:4 2:4 7-:4 | #7-:4 #7-:4 5-:4 2:4 | 3:8 1:8"},
         {'E', "4 4 6 5M", "half", "roll", "roots", "sixteen", true, true, nullptr,
          "4:8 6:8 | 1+:6 6:2 4:8 | 3:8 6:8 | #7:16"},
     },
     "IABCDEABCDEABCD"},

    {"snd\\demos.s3m", "Attract Mode", 62, "major", 12, 245, 72, AG_SQUARE, AG_FLUTE, AG_BELL, AG_BASS, 46, 32, 24,
     {
         {'I', "1 3 4 5", "push", nullptr, "syncop", "broken", true, false, nullptr, nullptr},
         {'A', "1 3 4 5", "push", "fill", "syncop", nullptr, true, false,
          "3:4 1:2 3:2 5:4 3:4 | 3:2 2:2 3:4 5:8 | 4:4 6:2 4:2 1+:4 6:4 | 5:6 7:2 6:4 5:4", nullptr},
         {'B', "1 3 4 5", "push", "fill", "syncop", "broken", true, false,
          "3:4 1:2 3:2 5:4 1+:4 | 7:6 6:2 5:8 | 6:4 4:2 6:2 1+:4 2+:4 | 1+:4 7:4 5:8", nullptr},
         {'C', "4 5 6 1", "beat", nullptr, "pulse", "broken", true, true,
          "1+:6 7:2 6:4 4:4 | 7:6 6:2 5:8 | 6:4 1+:4 2+:4 3+:4 | 1+:12 r:4", "=3"},
         {'D', "4 5 6 1", "beat", "fill", "pulse", "broken", true, false,
          "1+:6 7:2 6:4 4:4 | 7:6 1+:2 2+:8 | 3+:6 2+:2 1+:4 6:4 | 1+:8 5:4 3:4", "=6"},
         {'E', "6 4 1 5", "half", "roll", "roots", "updown", true, true, nullptr,
          "6:4 5:4 3:8 | 4:4 6:4 1+:8 | 1+:4 7:4 5:4 3:4 | 5:8 7:8"},
     },
     "IABCDEABCDCD"},

    {"snd\\hiscore.s3m", "Hall of Fame", 63, "major", 5, 90, 73, AG_BRASS, AG_BRASS, AG_BELL, AG_BASS, 46, 32, 24,
     {
         {'I', "1 4 5 1", "march", "roll", "stride", nullptr, true, true,
          "5-:2 5-:2 5-:2 1:10 | 4:2 4:2 4:2 6:10 | 5:2 5:2 5:2 7:6 2+:4 | 1+:16", "=3"},
         {'A', "1 6 4 5", "march", "fill", "stride", "up", true, false,
          "1:4 3:2 5:6 3:4 | 6:4 5:2 3:6 1:4 | 4:4 6:2 1+:6 6:4 | 5:12 r:4", nullptr},
         {'B', "1 6 2 5", "march", "fill", "stride", "up", true, false,
          "1:4 3:2 5:6 1+:4 | 1+:6 7:2 6:8 | 6:4 4:4 2:4 4:4 | 5:6 7:2 2+:8", "=3"},
         {'C', "4 5 3 6", "beat", nullptr, "pulse", "up", true, true,
          "1+:6 6:2 4:8 | 2+:6 7:2 5:8 | 3+:6 2+:2 7:8 | 1+:6 7:2 6:8", "=3"},
         {'D', "4 5 1 1", "beat", "roll", "pulse", "up", true, false,
          "1+:6 6:2 4:8 | 2+:6 3+:2 4+:8 | 3+:12 2+:4 | 1+:16", "=6"},
     },
     "IABCDACD"},
};

const int AG_PIECE_COUNT = static_cast<int>(sizeof(AG_PIECES) / sizeof(AG_PIECES[0]));

namespace {

int gen_music(const std::string &, const std::string &out)
{
    for (const ag_piece &p : AG_PIECES) {
        std::string error;
        ag_s3m_song song = ag_music_arrange(p, &error);
        if (!error.empty()) {
            std::fprintf(stderr, "assetgen: music %s\n", error.c_str());
            return 1;
        }
        std::vector<uint8_t> bytes = ag_s3m_write(song);
        if (bytes.empty() || ag_write_file(out, p.file, bytes) != 0) return 1;
    }
    return 0;
}

} // namespace

AG_GENERATOR("music", gen_music);
