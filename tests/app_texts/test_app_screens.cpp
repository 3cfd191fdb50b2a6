// The real program, headless, with scripted keys: the language screen of a first start and the
// pick it stores, the help screen with its time-out, both compared with stored pictures. Update
// the pictures after a deliberate change with VM_GOLDEN_UPDATE=1 and look at them first.
#include "tests/world_render/render_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using render_test::png_load;
using render_test::png_save;

const std::string GOLDEN = std::string(VM_SOURCE_DIR) + "/tests/app_texts/golden";
constexpr int F1 = 59, F9 = 67, ESC = 1, ENTER = 28, DOWN = 208, KEY_A = 30;
constexpr int MENU_GERMAN = 50301;   // the window menu's Language submenu, second entry

struct Picture {
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
};

// A snapshot the game wrote: uncompressed TGA, 24 or 32 bits, top-left origin.
Picture tga_load(const fs::path &path)
{
    Picture p;
    std::ifstream f(path, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (b.size() < 18 || b[2] != 2) return p;
    int w = uint8_t(b[12]) | uint8_t(b[13]) << 8, h = uint8_t(b[14]) | uint8_t(b[15]) << 8, bpp = uint8_t(b[16]) / 8;
    if ((bpp != 3 && bpp != 4) || b.size() < 18 + size_t(uint8_t(b[0])) + size_t(w) * h * bpp) return p;
    bool top_down = (b[17] & 0x20) != 0;
    const char *src = b.data() + 18 + uint8_t(b[0]);
    p.w = w;
    p.h = h;
    p.rgb.resize(size_t(w) * h * 3);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            const char *s = src + (size_t(top_down ? y : h - 1 - y) * w + x) * bpp;
            uint8_t *d = &p.rgb[(size_t(y) * w + x) * 3];
            d[0] = uint8_t(s[2]);
            d[1] = uint8_t(s[1]);
            d[2] = uint8_t(s[0]);
        }
    return p;
}

// Pixels whose channels differ by more than `tolerance`.
int differing(const Picture &a, const Picture &b, int tolerance)
{
    if (a.w != b.w || a.h != b.h) return a.w * a.h + 1;
    int bad = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        bool off = false;
        for (int k = 0; k < 3; k++) off |= std::abs(int(a.rgb[i + k]) - int(b.rgb[i + k])) > tolerance;
        bad += off;
    }
    return bad;
}

// Peak signal-to-noise ratio in dB (1000 for equal pictures, 0 for pictures of other sizes).
double psnr(const Picture &a, const Picture &b)
{
    if (a.w != b.w || a.h != b.h || a.rgb.empty()) return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < a.rgb.size(); i++) sum += double(a.rgb[i] - b.rgb[i]) * (a.rgb[i] - b.rgb[i]);
    return sum == 0.0 ? 1000.0 : 10.0 * std::log10(255.0 * 255.0 * double(a.rgb.size()) / sum);
}

// Compared with golden/<name>.png (stored instead under VM_GOLDEN_UPDATE=1): with `min_db`, a
// PSNR of at least that; without, within 8 per channel on all but 1 % of the pixels (rasterisers
// differ on glyph edges). A picture that differs is written to /tmp/<name>.actual.png.
void expect_golden(const Picture &p, const std::string &name, double min_db = 0.0)
{
    ASSERT_GT(p.w, 0) << name << ": no snapshot";
    std::string path = GOLDEN + "/" + name + ".png";
    if (const char *update = std::getenv("VM_GOLDEN_UPDATE"); update && update[0] == '1') {
        ASSERT_TRUE(png_save(path, p.rgb, p.w, p.h)) << path;
        return;
    }
    Picture g;
    g.rgb = png_load(path, &g.w, &g.h);
    ASSERT_FALSE(g.rgb.empty()) << "missing golden picture " << path;
    const int bad = differing(p, g, 8);
    const double db = psnr(p, g);
    const bool agree = min_db > 0.0 ? db >= min_db : bad <= p.w * p.h / 100;
    if (!agree) png_save("/tmp/" + name + ".actual.png", p.rgb, p.w, p.h);
    EXPECT_TRUE(agree) << name << ": " << bad << " pixels differ, " << db << " dB; see /tmp/" << name << ".actual.png";
}

class Screens : public ::testing::Test {
protected:
    fs::path dir, user;

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vm_screens_" + std::to_string(getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        user = dir / "user";
        fs::create_directories(user);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path folder() const { return user / "Pellovar" / "Veltramondo"; }

    // Runs the game for `frames` frames with the key events (pass, key, down); 0 on a clean end.
    // `lines` are further script lines.
    int run(int frames, const std::vector<std::tuple<int, int, int>> &keys, const std::string &options = "",
            const std::string &lines = "")
    {
        std::ofstream script(dir / "keys.txt");
        script << lines;
        for (auto [pass, key, down] : keys) script << pass << ' ' << key << (down ? " down\n" : " up\n");
        script.close();
        // Every run that starts a game starts a new one on Normal, whatever the run before kept.
        std::filesystem::remove(user / "Pellovar" / "Veltramondo" / "kept.dat");
        std::string command = "XDG_DATA_HOME='" + user.string() + "' XDG_CONFIG_HOME='" + (user / "config").string() +
                              "' '" + VM_GAME + "' --headless --difficulty normal --frames " +
                              std::to_string(frames) + " --script '" + (dir / "keys.txt").string() + "' " + options +
                              " >'" + (dir / "log").string() + "' 2>&1";
        int rc = std::system(command.c_str());
        return rc == -1 ? -1 : WEXITSTATUS(rc);
    }

    Picture snap(int n) const
    {
        char name[32];
        std::snprintf(name, sizeof name, "Snap%04d.tga", n);
        return tga_load(folder() / name);
    }

    std::string settings() const
    {
        std::ifstream f(user / "config" / "veltramondo" / "veltramondo.ini");
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
};

// Key events for a press of `key` that goes down at `pass` and is released at the next one.
void press(std::vector<std::tuple<int, int, int>> &keys, int pass, int key)
{
    keys.emplace_back(pass, key, 1);
    keys.emplace_back(pass + 1, key, 0);
}

} // namespace

TEST_F(Screens, FirstStartPicksTheThirdLanguageAndTheNextStartKeepsIt)
{
    std::vector<std::tuple<int, int, int>> keys;
    press(keys, 8, F9);
    press(keys, 12, DOWN);
    press(keys, 16, DOWN);
    press(keys, 20, F9);
    press(keys, 24, ENTER);
    ASSERT_EQ(run(30, keys), 0);
    Picture first = snap(0), third = snap(1);
    expect_golden(first, "language_first");
    expect_golden(third, "language_third");
    EXPECT_NE(settings().find("Language=3"), std::string::npos) << settings();

    // The second start goes straight on: Down and Return would otherwise pick the second language.
    keys.clear();
    press(keys, 8, F9);
    press(keys, 10, DOWN);
    press(keys, 14, ENTER);
    ASSERT_EQ(run(20, keys), 0);
    EXPECT_GT(differing(snap(2), first, 24), first.w * first.h / 4);
    EXPECT_NE(settings().find("Language=3"), std::string::npos) << settings();
}

TEST_F(Screens, HelpScreenIgnoresKeysUntilItsTimeOutThenCloses)
{
    std::vector<std::tuple<int, int, int>> keys;
    press(keys, 5, F1);
    press(keys, 5, ESC);        // released in the pass that opens the screen: inside the time-out
    press(keys, 12, F9);
    press(keys, 150, ESC);      // a pass waits for at least one 10 ms tick: 1.4 s later, past it
    press(keys, 160, F9);
    ASSERT_EQ(run(165, keys, "--language 1"), 0);
    Picture help = snap(0);
    expect_golden(help, "help_en");
    EXPECT_GT(differing(snap(1), help, 24), help.w * help.h / 4);
}

TEST_F(Screens, ASnapshotIsConfirmedByNameAndFolderAtTheBottom)
{
    // Over the still help screen, the second snapshot differs from the first by the line that
    // names the first one, and by nothing else.
    std::vector<std::tuple<int, int, int>> keys;
    press(keys, 5, F1);
    press(keys, 12, F9);
    press(keys, 16, F9);
    ASSERT_EQ(run(20, keys, "--language 4"), 0);
    Picture first = snap(0), second = snap(1);
    ASSERT_GT(first.w, 0);
    ASSERT_EQ(first.w, second.w);
    int line = 0, elsewhere = 0;
    for (int y = 0; y < first.h; y++)
        for (int x = 0; x < first.w; x++) {
            size_t i = (size_t(y) * first.w + x) * 3;
            bool changed = false;
            for (int k = 0; k < 3; k++) changed |= std::abs(int(first.rgb[i + k]) - int(second.rgb[i + k])) > 24;
            // The game draws in 160 x 120 units; the two lines stand in a band from 110.5 down.
            bool in_line = y >= first.h * 110 / 120;
            (in_line ? line : elsewhere) += changed;
        }
    EXPECT_GT(line, first.w * first.h / 200);
    EXPECT_LE(elsewhere, first.w * first.h / 1000);
}

TEST_F(Screens, HelpScreenOfAnotherLanguageFromF1AndFromTheMenu)
{
    std::vector<std::tuple<int, int, int>> keys;
    press(keys, 5, F1);
    press(keys, 12, F9);
    ASSERT_EQ(run(15, keys, "--language 2"), 0);
    expect_golden(snap(0), "help_de");
    // The main menu's HELP (its fourth item) opens the same help as F1.
    keys.clear();
    press(keys, 5, KEY_A);
    for (int pass : {10, 14, 18}) press(keys, pass, DOWN);
    press(keys, 22, ENTER);
    press(keys, 30, F9);
    ASSERT_EQ(run(35, keys, "--language 2 --fixed-ticks 20"), 0);
    expect_golden(snap(1), "help_de");
}

TEST_F(Screens, ScoreAndLivesWordsInTheCurrentLanguage)
{
    // A game started from the menu, seen at the same pass in English, in German, and in English
    // switched to German by the window menu.
    auto shot = [&](const std::string &options, bool switch_language) {
        std::vector<std::tuple<int, int, int>> keys;
        press(keys, 5, KEY_A);
        press(keys, 10, ENTER);
        press(keys, 40, F9);
        const std::string lines = switch_language ? "20 menu " + std::to_string(MENU_GERMAN) + "\n" : "";
        EXPECT_EQ(run(45, keys, "--fixed-ticks 20 --seed 9 " + options, lines), 0);
        Picture p = snap(0);
        fs::remove(folder() / "Snap0000.tga");
        return p;
    };
    Picture en = shot("--language 1", false), de = shot("--language 2", false), switched = shot("--language 1", true);
    ASSERT_GT(en.w, 0);
    ASSERT_EQ(de.w, en.w);
    // The words stand in the top band (12 overlay units); below it the two games are the same.
    const int band = en.h * 12 / 120;
    auto rows = [](const Picture &p, int from, int to) {
        Picture part;
        part.w = p.w;
        part.h = to - from;
        part.rgb.assign(p.rgb.begin() + size_t(from) * p.w * 3, p.rgb.begin() + size_t(to) * p.w * 3);
        return part;
    };
    EXPECT_GT(differing(rows(en, 0, band), rows(de, 0, band), 24), en.w);
    EXPECT_EQ(differing(rows(en, band, en.h), rows(de, band, de.h), 24), 0);
    EXPECT_EQ(differing(switched, de, 24), 0);
}

namespace {

// The picture at half its width and height, each pixel the mean of four.
Picture halved(const Picture &p)
{
    Picture h;
    h.w = p.w / 2, h.h = p.h / 2;
    h.rgb.resize(size_t(h.w) * h.h * 3);
    for (int y = 0; y < h.h; y++)
        for (int x = 0; x < h.w; x++)
            for (int k = 0; k < 3; k++) {
                auto at = [&](int dx, int dy) { return int(p.rgb[(size_t(2 * y + dy) * p.w + 2 * x + dx) * 3 + k]); };
                h.rgb[(size_t(y) * h.w + x) * 3 + k] = uint8_t((at(0, 0) + at(1, 0) + at(0, 1) + at(1, 1) + 2) / 4);
            }
    return h;
}

} // namespace

// The game's pictures on a fixed clock, seed and computer player: a scenery world, a recorded
// demo, the main menu over it and a game in play, each at a fixed pass, halved and compared with
// the stored ones at 40 dB.
TEST_F(Screens, GamePicturesAtFixedPasses)
{
    {
        std::ofstream list(dir / "demos.txt", std::ios::binary);
        list << "$200 level\\garden.def\r\n#level\\attract1.dem\r\n";
    }
    const int A = 30;
    std::vector<std::tuple<int, int, int>> keys;
    press(keys, 50, F9);      // the garden
    press(keys, 150, F9);     // the first demo
    press(keys, 200, A);      // the main menu opens over it
    press(keys, 260, F9);
    press(keys, 300, ENTER);  // a new game
    press(keys, 520, F9);
    ASSERT_EQ(run(525, keys,
                  "--language 1 --fixed-ticks 1 --seed 20261206 --autopilot --demo-list '" + (dir / "demos.txt").string() + "'"),
              0);
    const char *names[] = {"game_scenery", "game_attract", "game_menu", "game_play"};
    for (int i = 0; i < 4; i++) {
        Picture p = snap(i);
        ASSERT_GT(p.w, 0) << names[i] << ": no snapshot";
        expect_golden(halved(p), names[i], 40.0);
    }
}
