// Shared fixture of the high-score and menu tests: a private working folder with its per-user
// folder, kx_io started on it, the game messages numbered by their own numbers, and the drawing,
// music, effect and fatal-error calls of the game recorded instead of carried out.
#pragma once

#include "game/game_local.h"
#include "game/game_menu.h"
#include "game/game_text.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "tests/game_error_capture.h"
#include "tests/kx_io/kx_io_test_util.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace menu_test {

namespace fs = std::filesystem;
using kxio_test::read_file;
using kxio_test::write_file;

// One text or sprite the game drew.
struct DRAWN {
    std::string text;   // "#<n>" for a sprite
    double x, y;
    int tint, transparency;
    double height, width, advance;
    int light;
};

extern std::vector<DRAWN> drawn;
extern std::vector<std::string> music_played;
extern std::vector<int> effects_played;

// The 40 file bytes of five (score, name) entries.
inline std::string table_bytes(const std::vector<std::pair<int32_t, std::string>> &entries)
{
    std::string s;
    for (const auto &[score, name] : entries) {
        for (int i = 0; i < 4; i++) s += char(uint32_t(score) >> (8 * i));
        s += name.substr(0, 3) + std::string(4 - std::min<size_t>(3, name.size()), '\0');
    }
    return s;
}

// The drawn entries whose text is `text`.
inline std::vector<DRAWN> drawn_text(const std::string &text)
{
    std::vector<DRAWN> out;
    for (const DRAWN &d : drawn)
        if (d.text == text) out.push_back(d);
    return out;
}

class GameFolderTest : public kxio_test::IoTest {
protected:
    uint8_t commands[256] = {};
    int32_t music_volume = 50, effects_volume = 50;

    void SetUp() override
    {
        IoTest::SetUp();
        ASSERT_EQ(start(), 1);
        ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
        messages();
        mapa_teclado = commands;
        game_flags.key_delay = 0.0f;
        game_flags.game_over_timer = 0.0f;
        game_flags.attract_mode = game_flags.menu_shown = game_flags.paused = game_flags.name_entry = 0;
        game_effect_fn = [](int n) { effects_played.push_back(n); };
        menu_music_volume = &music_volume;
        menu_effects_volume = &effects_volume;
        drawn.clear();
        music_played.clear();
        effects_played.clear();
        game_errors_capture();
    }

    void TearDown() override
    {
        mapa_teclado = nullptr;
        game_effect_fn = nullptr;
        menu_music_volume = menu_effects_volume = nullptr;
        Game_Text_Free(GAME_TEXT_MESSAGES);
        IoTest::TearDown();
    }

    // Game message n reads "M<n>" except for the ones whose shape matters and those in `shaped`.
    static void messages(std::map<int, std::string> shaped = {})
    {
        shaped.insert({{17, "HIGH SCORES"}, {24, "MUSIC ----------"}, {26, "SOUND ----------"}, {33, "END"}});
        Game_Text_Free(GAME_TEXT_MESSAGES);
        for (int n = 0; n < GAME_MESSAGES_MAX; n++) {
            std::string text = shaped.count(n) ? shaped[n] : "M" + std::to_string(n);
            Game_Text_Add(GAME_TEXT_MESSAGES, text.data(), text.size());
        }
    }
};

} // namespace menu_test
