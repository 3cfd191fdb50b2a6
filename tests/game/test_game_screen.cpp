// What the overlay draws over the game's pictures, measured on rendered pixels: the call to press
// a key stays off the paddle wherever the camera stands, and the menu's rows that are not selected
// keep a contrast of at least 3:1 over white bricks and over the garden's sky.
#include "tests/game/game_harness.h"

#include "game/game_demo.h"
#include "game/game_menu.h"
#include "game/game_text.h"
#include "world/world_render.h"

#include <algorithm>
#include <cstdio>

namespace {

using namespace game_test;

constexpr int W = 640, H = 480;

std::vector<uint8_t> picture()
{
    std::vector<uint8_t> rgb(size_t(W) * H * 3);
    EXPECT_EQ(world_render_read(0, 0, W, H, rgb.data()), 1);
    return rgb;
}

// Overlay units (y) of a pixel row.
double unit_of_row(int row)
{
    return row * 100.0 / world_view.focal_y;
}

// Relative luminance of an sRGB pixel.
double luminance(const uint8_t *p)
{
    double l = 0.0;
    const double weight[3] = {0.2126, 0.7152, 0.0722};
    for (int k = 0; k < 3; k++) {
        double c = p[k] / 255.0;
        l += weight[k] * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return l;
}

// The pixels at index k of two pictures differ by more than `by` over the three channels.
bool differ(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b, size_t k, int by)
{
    return std::abs(a[k] - b[k]) + std::abs(a[k + 1] - b[k + 1]) + std::abs(a[k + 2] - b[k + 2]) > by;
}

} // namespace

TEST_F(GameTest, ThePromptKeepsOffThePaddleWhereverTheCameraIs)
{
    level(EMPTY);
    // The far view and the start-up move put the camera on one curve, from the play view (0) to
    // the start of the move (36).
    int seen = 0;
    for (double d = 0.0; d <= GAME_MOVE_DISTANCE; d += 4.0) {
        SCOPED_TRACE(d);
        game.cam_distance = d;
        game.cam_tilt = d * GAME_MOVE_TILT / GAME_MOVE_DISTANCE;
        Camera_Place();
        for (int16_t n : pools.balls) Game_Object_Park(n);
        Game_Object_Park(pools.shadow);
        Game_Render();
        const std::vector<uint8_t> with = picture();
        Game_Object_Park(pools.paddle);
        Game_Render();
        const std::vector<uint8_t> without = picture();
        int first = -1, last = -1;
        for (size_t k = 0; k < with.size(); k += 3)
            if (differ(with, without, k, 24)) {
                last = static_cast<int>(k / 3 / W);
                if (first < 0) first = last;
            }
        Camera_Place();
        if (first < 0) continue;
        seen++;
        // The rows the prompt keeps off hold every pixel of the drawn paddle.
        double top = 0, bottom = 0;
        ASSERT_EQ(Demo_Paddle_Rows(&top, &bottom), 1);
        EXPECT_LE(top, unit_of_row(first) + 0.5);
        EXPECT_GE(bottom, unit_of_row(last + 1) - 0.5);
        // In play the paddle lies below the prompt, which then shows.
        if (d == 0.0) {
            EXPECT_GT(unit_of_row(first), DEMO_PROMPT_BOTTOM);
        }
    }
    EXPECT_GE(seen, 5);
}

TEST_F(GameTest, MenuRowsKeepAContrastOfThreeOverTheBrightestPictures)
{
    for (int n = 0; n < GAME_MESSAGES_MAX; n++) Game_Text_Add(GAME_TEXT_MESSAGES, "HIGH SCORES", 11);
    // White and pale metal bricks in every row, seen in play; then the garden and the station
    // at several moments of their shows.
    level({"VVVVVVVVVVVVVV", "66666666666666", "VVVVVVVVVVVVVV", "66666666666666", "VVVVVVVVVVVVVV",
           "VVVVVVVVVVVVVV", "66666666666666", "VVVVVVVVVVVVVV"});
    Camera_Place();
    Game_Particles_Stop_All();
    struct Scene {
        const char *world;
        float shown;   // ticks of the show gone, or -1 for the brick world in play
    } scenes[] = {{"level\\brick", -1}, {"level\\garden", 0}, {"level\\garden", 300}, {"level\\garden", 900},
                  {"level\\station", 0}, {"level\\station", 600}};
    double worst = 1e9;
    for (const Scene &s : scenes) {
        SCOPED_TRACE(s.world + std::to_string(s.shown));
        if (s.shown >= 0) {
            World_Unload();
            World_Load((std::string(s.world) + ".def").c_str(), (std::string(s.world) + ".map").c_str());
            ASSERT_EQ(game.world_loaded, 1);
            game.scenery_loaded = 1;
            demo.show_time = 1000;
            demo.scenery_steps = 0;
            game_flags.world_show_timer = 1000.0f - s.shown;
        }
        for (int page : {MENU_PAGE_MAIN, MENU_PAGE_OPTIONS}) {
            menu.page = page;
            menu.item = page == MENU_PAGE_MAIN ? 0 : 1;
            game_flags.menu_shown = 1;
            // Behind: the picture under a panel reaching over the whole screen; in front: the menu.
            Game_Render();
            Game_Panel_Draw(-10, -10, 180, 140);
            const std::vector<uint8_t> behind = picture();
            Game_Render();
            Main_Menu_Draw();
            const std::vector<uint8_t> front = picture();
            const MENU_PAGE p = Menu_Page(page);
            for (int i = p.first; i <= p.last; i++) {
                if (i == menu.item || p.items[i] == MENU_EMPTY) continue;
                // The row's glyph fill: the brightest of the pixels the text changed in the middle
                // half of the row (inside the text and its panel), each against the pixel behind.
                const int y0 = static_cast<int>((14 + 16 * i) * world_view.focal_y / 100.0);
                const int y1 = static_cast<int>((28 + 16 * i) * world_view.focal_y / 100.0);
                std::vector<std::pair<double, double>> text;   // luminance in front, behind
                double top_light = 0.0;
                for (int y = y0; y < y1; y++)
                    for (size_t k = (size_t(y) * W + W / 4) * 3; k < (size_t(y) * W + W * 3 / 4) * 3; k += 3)
                        if (differ(front, behind, k, 60)) {
                            text.emplace_back(luminance(&front[k]), luminance(&behind[k]));
                            top_light = std::max(top_light, text.back().first);
                        }
                std::vector<double> ratios;
                for (auto [l, b] : text)
                    if (l >= 0.75 * top_light) ratios.push_back((l + 0.05) / (b + 0.05));
                ASSERT_GT(ratios.size(), 20u) << "row " << i;
                std::sort(ratios.begin(), ratios.end());
                const double ratio = ratios[ratios.size() / 50];
                EXPECT_GE(ratio, 3.0) << "page " << page << " row " << i;
                worst = std::min(worst, ratio);
            }
        }
        if (s.shown >= 0) {
            World_Unload();
            game_flags.world_show_timer = 0.0f;
            game.scenery_loaded = 0;
        }
    }
    RecordProperty("worst_contrast", std::to_string(worst));
    std::printf("menu rows not selected: lowest contrast %.2f:1\n", worst);
    game_flags.menu_shown = 0;
    Game_Text_Free(GAME_TEXT_MESSAGES);
}
