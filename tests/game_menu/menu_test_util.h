// Shared fixture of the high-score and menu tests: a private working folder with its per-user
// folder, kx_io started on it, the game messages numbered by their own numbers, and the drawing,
// music, effect and fatal-error calls of the game recorded instead of carried out.
#pragma once

#include "game/game.h"
#include "game/game_menu.h"
#include "game/game_text.h"
#include "kx/kx_error/kx_error.h"
#include "kx/kx_io/kx_io.h"
#include "tests/kx_io/kx_io_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace menu_test {

namespace fs = std::filesystem;

// One text or sprite the game drew.
struct DRAWN {
    std::string text;   // "#<n>" for a sprite
    double x, y;
    int tint, transparency;
    double height, width, advance;
};

extern std::vector<DRAWN> drawn;
extern std::vector<std::string> music_played;
extern std::vector<int> effects_played;
extern std::vector<std::string> game_errors;

using kxio_test::read_file;
using kxio_test::write_file;

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

class GameFolderTest : public ::testing::Test {
protected:
    fs::path dir, old_cwd;
    KX_IO_SETTINGS io_settings{0, 0, nullptr, nullptr};
    int32_t error_settings = 0;
    uint8_t commands[256] = {};
    int32_t music_volume = 50, effects_volume = 50;

    void SetUp() override
    {
        old_cwd = fs::current_path();
        std::string tmpl = (fs::temp_directory_path() / "vmenu_XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
        fs::current_path(dir);
        unsetenv("U3_APP_DATA_PATH");
        setenv("XDG_DATA_HOME", (dir / "xdg").c_str(), 1);
        kx_error_init(&error_settings);
        ASSERT_EQ(kx_io_init(&io_settings), 1);
        ASSERT_EQ(kx_io_app_folder_init("game.ini", "Veltramondo"), 1);
        // Message n reads "M<n>" except for the ones whose shape matters.
        for (int n = 0; n < GAME_MESSAGES_MAX; n++) {
            std::string text = "M" + std::to_string(n);
            if (n == 17) text = "HIGH SCORES";
            if (n == 24) text = "MUSIC ----------";
            if (n == 26) text = "SOUND ----------";
            if (n == 33) text = "END";
            Game_Text_Add(GAME_TEXT_MESSAGES, text.data(), text.size());
        }
        mapa_teclado = commands;
        key_delay = 0.0f;
        game_over_timer = 0.0f;
        attract_mode = 0;
        menu_shown = 0;
        paused = 0;
        name_entry = 0;
        game_effect_fn = [](int n) { effects_played.push_back(n); };
        menu_music_volume = &music_volume;
        menu_effects_volume = &effects_volume;
        drawn.clear();
        music_played.clear();
        effects_played.clear();
        game_errors.clear();
    }

    void TearDown() override
    {
        mapa_teclado = nullptr;
        game_effect_fn = nullptr;
        menu_music_volume = menu_effects_volume = nullptr;
        Game_Text_Free(GAME_TEXT_MESSAGES);
        kx_io_deinit();
        fs::current_path(old_cwd);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    fs::path user_dir() const { return dir / "xdg" / "Pellovar" / "Veltramondo"; }
};

} // namespace menu_test
