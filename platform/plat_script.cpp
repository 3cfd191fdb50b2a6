// plat_script: scripted key presses for tests, demos and headless runs. Each event says at
// which pass of the frame loop a key (by scan code) goes down or up, which window-menu command
// is picked then (as a click on the menu would post it), or which characters are typed. A
// scripted key types its character as a US keyboard would (Shift held for capitals), so that a
// script presses keys and types alike.
#include "platform/plat_core.h"
#include "platform/plat_keys.h"
#include "platform/plat_input.h"
#include "platform/plat_owner.h"
#include "platform/plat_script.h"
#include "platform/plat_text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct PLAT_SCRIPT_EVENT {
    uint32_t pass;
    int key;
    int down;
    uint32_t menu;      // a window-menu command, or 0
    std::string text;   // characters typed, or empty
};

std::vector<PLAT_SCRIPT_EVENT> plat_script_events;
uint8_t plat_script_state[256];
int plat_script_snapshot;

// The characters of the US keyboard's rows by scan code, without and with Shift (0: none).
constexpr char plat_script_plain[] = "\0\0" "1234567890-=\0\0" "qwertyuiop[]\0\0" "asdfghjkl;'`\0\\" "zxcvbnm,./";
constexpr char plat_script_shifted[] = "\0\0" "!@#$%^&*()_+\0\0" "QWERTYUIOP{}\0\0" "ASDFGHJKL:\"~\0|" "ZXCVBNM<>?";
static_assert(sizeof plat_script_plain == sizeof plat_script_shifted);
constexpr int PLAT_SCRIPT_SPACE = 57, PLAT_SCRIPT_CTRL = 29, PLAT_SCRIPT_RIGHT_CTRL = 157, PLAT_SCRIPT_SHIFT = 42,
              PLAT_SCRIPT_RIGHT_SHIFT = 54;

// What a scripted key press types, as the keyboard's text would reach the one who reads it: the
// game and the editor, not the window menu or a dialog, and nothing while Ctrl is held.
void typed_from_key(int key)
{
    const uint8_t *held = plat_script_state;
    if (held[PLAT_SCRIPT_CTRL] || held[PLAT_SCRIPT_RIGHT_CTRL]) return;
    if (plat_owner() != PLAT_OWNER_GAME && plat_owner() != PLAT_OWNER_EDITOR) return;
    const bool shift = held[PLAT_SCRIPT_SHIFT] || held[PLAT_SCRIPT_RIGHT_SHIFT];
    char ch = key == PLAT_SCRIPT_SPACE ? ' ' : 0;
    if (key < static_cast<int>(sizeof plat_script_plain) - 1) ch = (shift ? plat_script_shifted : plat_script_plain)[key];
    const char text[2] = {ch, 0};
    if (ch) plat_text_push(text);
}

// Keeps the events in pass order; events of one pass stay in the order they were added.
void event_insert(const PLAT_SCRIPT_EVENT &e)
{
    auto at = std::upper_bound(plat_script_events.begin(), plat_script_events.end(), e,
                               [](const PLAT_SCRIPT_EVENT &a, const PLAT_SCRIPT_EVENT &b) { return a.pass < b.pass; });
    plat_script_events.insert(at, e);
}

} // namespace

void plat_script_add(uint32_t pass, int key, int down)
{
    if (key < 0 || key > 255) return;
    PLAT_SCRIPT_EVENT e{pass, key, down, 0, {}};
    event_insert(e);
}

void plat_script_menu_add(uint32_t pass, uint32_t command)
{
    PLAT_SCRIPT_EVENT e{pass, 0, 0, command, {}};
    event_insert(e);
}

int plat_script_load(const char *file_name)
{
    FILE *f = std::fopen(file_name, "r");
    if (!f) return 0;
    char line[256];
    int ok = 1;
    while (std::fgets(line, sizeof line, f)) {
        char *hash = std::strchr(line, '#');
        if (hash) *hash = 0;
        unsigned pass, menu;
        int key;
        char what[16], typed[64];
        if (std::sscanf(line, "%u text %63s", &pass, typed) == 2) {
            event_insert({pass, 0, 0, 0, typed});
            continue;
        }
        if (std::sscanf(line, "%u menu %u", &pass, &menu) == 2) {
            if (menu == 0 || menu > 0xFFFF) ok = 0;
            else plat_script_menu_add(pass, menu);
            continue;
        }
        int n = std::sscanf(line, "%u %d %15s", &pass, &key, what);
        if (n <= 0) continue;
        if (n != 3 || key < 0 || key > 255 || (std::strcmp(what, "down") && std::strcmp(what, "up"))) {
            ok = 0;
            continue;
        }
        plat_script_add(pass, key, std::strcmp(what, "down") == 0);
    }
    std::fclose(f);
    return ok;
}

void plat_script_pass(uint32_t pass)
{
    for (const PLAT_SCRIPT_EVENT &e : plat_script_events) {
        if (e.pass > pass) break;
        if (e.pass != pass) continue;
        if (e.menu) {
            plat_message_post(PLAT_WM_COMMAND, e.menu, 0);
            continue;
        }
        if (!e.text.empty()) {
            plat_text_push(e.text.c_str());
            continue;
        }
        if (e.key == PLAT_KEY_F9 && e.down && !plat_script_state[e.key]) plat_script_snapshot = 1;
        // The scripted keyboard types into the same event stream as the real one.
        if ((plat_script_state[e.key] != 0) != (e.down != 0)) {
            plat_input_key_event(e.key, e.down);
            if (e.down) typed_from_key(e.key);
        }
        plat_script_state[e.key] = static_cast<uint8_t>(e.down ? 0x80 : 0);
    }
}

int plat_script_snapshot_take()
{
    int asked = plat_script_snapshot;
    plat_script_snapshot = 0;
    return asked;
}
