// plat_menu on Dear ImGui: the window menu bar, its popups, check marks and grey items.
#include "platform/plat_menu.h"

#include "platform/plat_about.h"
#include "platform/plat_core.h"
#include "platform/plat_gl.h"
#include "platform/plat_input_local.h"
#include "platform/plat_owner.h"
#include "platform/plat_panel.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#if VM_HAVE_IMGUI
#include <backends/imgui_impl_opengl2.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>
#include <imgui_internal.h>
#endif

namespace {

// ---------------------------------------------------------------------------------------------
// Types and globals
// ---------------------------------------------------------------------------------------------

struct MENU_ENTRY {
    uint32_t command;
    std::string text;    // as given: '&' marks and the "\t" shortcut
    std::string label;   // as drawn, made unique with "##<n>"
    std::string shortcut;
    int level;
    unsigned kind;
};

struct MENU_RECT {
    float x0, y0, x1, y1;
};

struct PLAT_MENU_STATE {
    int ready;
    int shown = 1;
    int keyboard_toggle;          // Alt or F10 asked to move the keyboard into the bar or out
    int alt_alone;                // Alt is down and nothing else was pressed since
    std::vector<MENU_ENTRY> entries;
    std::unordered_map<uint32_t, int> checked;
    std::unordered_map<uint32_t, int> disabled;
    std::unordered_map<uint32_t, int> withheld;
    std::unordered_map<std::string, MENU_RECT> drawn;   // last frame, by entry text
    unsigned serial;              // makes the ImGui labels unique
    int prepared;                 // a frame is built and waits for plat_menu_render
    int prepared_bottom;          // the lowest window row it draws, from the top
    uint64_t prepared_hash;       // what it draws, and what the last drawn frame drew
    uint64_t drawn_hash;
    // A bar left alone is not built again (ImGui's frame costs about a tenth of a millisecond):
    // after two builds alike, its last build stands while no event reached ImGui and what it
    // shows and reads stays the same.
    int stirred = 1;   // an event reached ImGui since the last build
    int alike;         // builds in a row that drew what the one before drew
    uint64_t model;    // fingerprint of what the last build showed and read (model_hash)
    long builds;
    // ImGui reads keys as states once a frame: a key it was given a change of since the last
    // frame takes no other before the next, and later key events wait behind a held one, so
    // that taps shorter than a frame, two in one frame included, all count in order.
    std::vector<int> given_keys;
    std::vector<SDL_Event> held_keys;
};

PLAT_MENU_STATE menu;

// ---------------------------------------------------------------------------------------------
// Functions
// ---------------------------------------------------------------------------------------------

#if VM_HAVE_IMGUI
void hash_bytes(uint64_t *h, const void *data, size_t bytes)
{
    const unsigned char *p = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < bytes; i++) *h = (*h ^ p[i]) * 0x100000001B3ull;
}

// The lowest window row ImGui will draw, from the top (0 for nothing).
int draw_data_bottom(const ImDrawData *d)
{
    float bottom = 0.0f;
    for (int n = 0; d && n < d->CmdListsCount; n++)
        for (const ImDrawVert &v : d->CmdLists[n]->VtxBuffer) bottom = std::max(bottom, v.pos.y);
    return static_cast<int>(std::ceil(bottom));
}

// A fingerprint of what ImGui will draw: every vertex, index and command of every list.
uint64_t draw_data_hash(const ImDrawData *d)
{
    uint64_t h = 0xCBF29CE484222325ull;
    if (!d) return h;
    hash_bytes(&h, &d->DisplayPos, sizeof d->DisplayPos);
    hash_bytes(&h, &d->DisplaySize, sizeof d->DisplaySize);
    for (int n = 0; n < d->CmdListsCount; n++) {
        const ImDrawList *list = d->CmdLists[n];
        hash_bytes(&h, list->VtxBuffer.Data, sizeof(ImDrawVert) * static_cast<size_t>(list->VtxBuffer.Size));
        hash_bytes(&h, list->IdxBuffer.Data, sizeof(ImDrawIdx) * static_cast<size_t>(list->IdxBuffer.Size));
        for (const ImDrawCmd &c : list->CmdBuffer) {
            hash_bytes(&h, &c.ClipRect, sizeof c.ClipRect);
            hash_bytes(&h, &c.TextureId, sizeof c.TextureId);
            hash_bytes(&h, &c.VtxOffset, sizeof c.VtxOffset);
            hash_bytes(&h, &c.IdxOffset, sizeof c.IdxOffset);
            hash_bytes(&h, &c.ElemCount, sizeof c.ElemCount);
        }
    }
    return h;
}
#endif

MENU_ENTRY make_entry(const PLAT_MENU_ITEM &item)
{
    MENU_ENTRY e{item.command, item.text ? item.text : "", "", "", item.level, item.kind};
    std::string shown;
    size_t tab = e.text.find('\t');
    std::string body = e.text.substr(0, tab);
    if (tab != std::string::npos) e.shortcut = e.text.substr(tab + 1);
    for (size_t i = 0; i < body.size(); i++) {
        if (body[i] == '&' && i + 1 < body.size()) {
            if (body[i + 1] == '&') shown += '&';
            i++;
            shown += body[i];
            continue;
        }
        shown += body[i];
    }
    e.label = shown + "##" + std::to_string(menu.serial++);
    return e;
}

std::vector<MENU_ENTRY> make_entries(const PLAT_MENU_ITEM *items, int count, int level_shift)
{
    std::vector<MENU_ENTRY> out;
    for (int i = 0; items && i < count; i++) {
        out.push_back(make_entry(items[i]));
        out.back().level += level_shift;
    }
    return out;
}

#if VM_HAVE_IMGUI

SDL_Window *window()
{
    return static_cast<SDL_Window *>(plat_window_handle());
}

// A fingerprint of what a build of the bar shows and reads besides ImGui's input (the dialogs
// are built every frame while they are open, so they need no part in it).
uint64_t model_hash()
{
    uint64_t h = 0xCBF29CE484222325ull;
    auto state = [](const std::unordered_map<uint32_t, int> &m, uint32_t command) {
        auto it = m.find(command);
        return it != m.end() && it->second;
    };
    for (const MENU_ENTRY &e : menu.entries) {
        const int fields[6] = {static_cast<int>(e.command), e.level, static_cast<int>(e.kind),
                               state(menu.checked, e.command), state(menu.disabled, e.command),
                               state(menu.withheld, e.command)};
        hash_bytes(&h, fields, sizeof fields);
        hash_bytes(&h, e.label.data(), e.label.size());
        hash_bytes(&h, e.shortcut.data(), e.shortcut.size());
    }
    int w = 0, h_px = 0, dw = 0, dh = 0;
    if (window()) SDL_GetWindowSize(window(), &w, &h_px), SDL_GL_GetDrawableSize(window(), &dw, &dh);
    const int outside[5] = {menu.shown, plat_owner(), w, h_px, dw * 65536 + dh};
    hash_bytes(&h, outside, sizeof outside);
    return h;
}

void remember(const MENU_ENTRY &e)
{
    ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
    if (!menu.drawn.count(e.text)) menu.drawn[e.text] = {a.x, a.y, b.x, b.y};
}

// Draws the entries from index i on while they are at `level` or deeper.
void draw_level(size_t &i, int level)
{
    while (i < menu.entries.size() && menu.entries[i].level >= level) {
        const MENU_ENTRY &e = menu.entries[i];
        if (e.level > level) {   // an entry without its popup: leave it out
            i++;
            continue;
        }
        i++;
        if (e.kind == PLAT_MENU_SEPARATOR) {
            ImGui::Separator();
        } else if (e.kind == PLAT_MENU_POPUP) {
            bool open = ImGui::BeginMenu(e.label.c_str(), true);
            remember(e);
            if (open) {
                draw_level(i, level + 1);
                ImGui::EndMenu();
            } else {
                while (i < menu.entries.size() && menu.entries[i].level > level) i++;
            }
        } else if (plat_menu_offered(e.command)) {
            bool on = plat_menu_checked(e.command) != 0;
            bool enabled = plat_menu_enabled(e.command) != 0;
            if (ImGui::MenuItem(e.label.c_str(), e.shortcut.empty() ? nullptr : e.shortcut.c_str(), on, enabled))
                plat_message_post(PLAT_WM_COMMAND, e.command, 0);
            remember(e);
        }
    }
}

bool keyboard_in_menu()
{
    ImGuiContext &g = *GImGui;
    if (ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId)) return true;
    return g.NavWindow && g.NavLayer == ImGuiNavLayer_Menu && !g.NavDisableHighlight;
}

// Moves the keyboard into the bar, on its first entry, or back out of it. Called inside the bar.
// ImGui's own Alt toggle only works on a focused window, and the main menu bar gives its focus
// away whenever it is not in its menu layer.
void keyboard_toggle_apply()
{
    ImGuiContext &g = *GImGui;
    ImGuiWindow *bar = g.CurrentWindow;
    if (g.NavWindow == bar && g.NavLayer == ImGuiNavLayer_Menu) {
        g.NavLayer = ImGuiNavLayer_Main;
        return;
    }
    ImGui::FocusWindow(bar);
    g.NavLayer = ImGuiNavLayer_Menu;
    ImGui::NavInitWindow(bar, true);
    g.NavInputSource = ImGuiInputSource_Keyboard;
    g.NavDisableHighlight = false;
    g.NavDisableMouseHover = true;
}

// A lone Alt (pressed and let go with nothing else pressed in between) or F10 moves the keyboard
// into the bar or out of it; Alt with another key (Alt+Enter, Alt+F4) is a shortcut of the
// window. Watches every key and button; true when `e` toggled.
bool keyboard_toggle_key(const SDL_Event &e, int owner)
{
    bool key = e.type == SDL_KEYDOWN || e.type == SDL_KEYUP;
    SDL_Keycode sym = key ? e.key.keysym.sym : SDLK_UNKNOWN;
    bool alt = sym == SDLK_LALT || sym == SDLK_RALT;
    if (e.type == SDL_MOUSEBUTTONDOWN || (e.type == SDL_KEYDOWN && !alt)) menu.alt_alone = 0;
    if (!key || !menu.shown || owner != PLAT_OWNER_WINDOW) return false;
    bool pressed = e.type == SDL_KEYDOWN && !e.key.repeat;
    bool toggle = (pressed && sym == SDLK_F10) || (e.type == SDL_KEYUP && alt && menu.alt_alone);
    if (alt) menu.alt_alone = pressed;
    if (toggle) plat_menu_keyboard_toggle();
    return toggle;
}

bool has_key(const std::vector<int> &keys, int code)
{
    return std::find(keys.begin(), keys.end(), code) != keys.end();
}

// A key event waits while another is held or ImGui was given a change of the same key since the
// last frame; true when `e` is held back.
bool key_tap_hold(const SDL_Event &e)
{
    if (e.type != SDL_KEYDOWN && e.type != SDL_KEYUP) return false;
    // A held key's repeats change nothing ImGui reads (it repeats by itself).
    if (e.key.repeat) return !menu.held_keys.empty();
    const int code = e.key.keysym.scancode;
    if (!menu.held_keys.empty() || has_key(menu.given_keys, code)) {
        menu.held_keys.push_back(e);
        return true;
    }
    menu.given_keys.push_back(code);
    return false;
}

// After a frame: gives ImGui the held events in order up to the second change of one key, for
// the next frame to see; the rest wait for the frame after. With `all`, every one of them.
void held_keys_replay(bool all = false)
{
    size_t given = 0;
    for (; given < menu.held_keys.size(); given++) {
        SDL_Event &e = menu.held_keys[given];
        const int code = e.key.keysym.scancode;
        if (!all && has_key(menu.given_keys, code)) break;
        menu.given_keys.push_back(code);
        ImGui_ImplSDL2_ProcessEvent(&e);
    }
    menu.held_keys.erase(menu.held_keys.begin(), menu.held_keys.begin() + static_cast<long>(given));
    if (all) menu.given_keys.clear();
}

#endif

// The menu has the keyboard and mouse while its bar has the keyboard or a popup is open.
void menu_owner_set(bool in_menu)
{
    if (in_menu) plat_owner_take(PLAT_OWNER_MENU);
    else plat_owner_give_back(PLAT_OWNER_MENU);
}

} // namespace

int plat_menu_init()
{
#if VM_HAVE_IMGUI
    if (menu.ready) return 1;
    if (!window() || !plat_gl_make_current()) return 0;
    menu.stirred = 1;
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO &io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.ConfigFlags |= ImGuiConfigFlags_NavEnableKeyboard | ImGuiConfigFlags_NoMouseCursorChange;
    ImGui::StyleColorsClassic();
    // The font is needed before the first frame: the bar's size is asked for then.
    if (io.Fonts->Fonts.empty()) io.Fonts->AddFontDefault();
    io.Fonts->Build();
    // Grey entries dimmed well below the others, so that they read as out of use.
    ImGui::GetStyle().DisabledAlpha = 0.35f;
    if (!ImGui_ImplSDL2_InitForOpenGL(window(), SDL_GL_GetCurrentContext()) || !ImGui_ImplOpenGL2_Init()) {
        ImGui::DestroyContext();
        return 0;
    }
    menu.ready = 1;
    return 1;
#else
    return 0;
#endif
}

void plat_menu_deinit()
{
#if VM_HAVE_IMGUI
    if (!menu.ready) return;
    plat_gl_make_current();
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
#endif
    menu.ready = 0;
    menu_owner_set(false);
    menu.drawn.clear();
}

int plat_menu_ready()
{
    return menu.ready;
}

void plat_menu_set(const PLAT_MENU_ITEM *items, int count)
{
    menu.entries = make_entries(items, count, 0);
    menu.drawn.clear();
}

int plat_menu_popup_fill(const char *popup_text, const PLAT_MENU_ITEM *items, int count)
{
    if (!popup_text) return 0;
    for (size_t i = 0; i < menu.entries.size(); i++) {
        const MENU_ENTRY &p = menu.entries[i];
        if (p.kind != PLAT_MENU_POPUP || p.text != popup_text) continue;
        size_t end = i + 1;
        while (end < menu.entries.size() && menu.entries[end].level > p.level) end++;
        std::vector<MENU_ENTRY> fresh = make_entries(items, count, p.level + 1);
        menu.entries.erase(menu.entries.begin() + static_cast<long>(i + 1), menu.entries.begin() + static_cast<long>(end));
        menu.entries.insert(menu.entries.begin() + static_cast<long>(i + 1), fresh.begin(), fresh.end());
        menu.drawn.clear();
        return 1;
    }
    return 0;
}

void plat_menu_check(uint32_t command, int checked)
{
    menu.checked[command] = checked != 0;
}

void plat_menu_enable(uint32_t command, int enabled)
{
    menu.disabled[command] = enabled == 0;
}

void plat_menu_offer(uint32_t command, int offered)
{
    menu.withheld[command] = offered == 0;
}

int plat_menu_offered(uint32_t command)
{
    auto it = menu.withheld.find(command);
    return it == menu.withheld.end() || !it->second;
}

int plat_menu_checked(uint32_t command)
{
    auto it = menu.checked.find(command);
    return it != menu.checked.end() && it->second;
}

int plat_menu_enabled(uint32_t command)
{
    auto it = menu.disabled.find(command);
    return it == menu.disabled.end() || !it->second;
}

void plat_menu_text_set(uint32_t command, const char *text)
{
    for (MENU_ENTRY &e : menu.entries) {
        if (e.command != command || e.kind != PLAT_MENU_COMMAND) continue;
        e = make_entry({command, text, e.level, e.kind});
    }
    menu.drawn.clear();
}

const char *plat_menu_text(uint32_t command)
{
    for (const MENU_ENTRY &e : menu.entries)
        if (e.command == command && e.kind == PLAT_MENU_COMMAND) return e.text.c_str();
    return nullptr;
}

void plat_menu_show(int shown)
{
    menu.shown = shown != 0;
    if (shown) return;
    menu_owner_set(false);
    menu.prepared = 0;
}

int plat_menu_shown()
{
    return menu.shown;
}

int plat_menu_bar_height()
{
#if VM_HAVE_IMGUI
    if (!menu.ready || !menu.shown || menu.entries.empty()) return 0;
    ImGuiIO &io = ImGui::GetIO();
    float font = io.Fonts->Fonts.empty() ? 13.0f : io.Fonts->Fonts[0]->FontSize;
    return static_cast<int>(font + ImGui::GetStyle().FramePadding.y * 2.0f);
#else
    return 0;
#endif
}

int plat_menu_bar_width()
{
#if VM_HAVE_IMGUI
    if (!menu.ready || menu.entries.empty()) return 0;
    // As the bar lays its entries out: a margin, then each title with its spacing either side.
    const ImGuiStyle &style = ImGui::GetStyle();
    ImFont *font = ImGui::GetIO().Fonts->Fonts[0];
    float width = std::max(style.WindowPadding.x, style.ItemSpacing.x) * 2.0f;
    for (const MENU_ENTRY &e : menu.entries) {
        if (e.level != 0) continue;
        const char *title = e.label.c_str();
        width += font->CalcTextSizeA(font->FontSize, FLT_MAX, 0.0f, title, std::strstr(title, "##")).x;
        width += style.ItemSpacing.x * 2.0f;
    }
    return static_cast<int>(std::ceil(width));
#else
    return 0;
#endif
}

int plat_menu_prepare()
{
    menu.prepared = 0;
#if VM_HAVE_IMGUI
    bool bar = menu.shown && !menu.entries.empty();
    if (!menu.ready || (!bar && !plat_about_shown() && !plat_panel_shown()) || !plat_gl_make_current()) {
        // No frame comes to take held keys one by one: ImGui has them all at once.
        if (menu.ready) held_keys_replay(true);
        return 0;
    }
    // Dialogs blink their cursor and an open bar or popup moves with held keys: those are built
    // every frame.
    const uint64_t model = model_hash();
    const bool alone = !menu.stirred && !menu.keyboard_toggle && menu.held_keys.empty() &&
                       menu.given_keys.empty() && plat_owner() != PLAT_OWNER_MENU &&
                       plat_owner() != PLAT_OWNER_DIALOG && !plat_about_shown() && !plat_panel_shown() &&
                       model == menu.model;
    if (alone && menu.alike >= 2) {
        menu.prepared = 1;
        return 1;
    }
    menu.stirred = 0;
    menu.builds++;
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // The game holds the mouse and the keyboard: its hidden pointer's clicks and its keys are
    // nothing to the menu, and a key whose release went to the game (Esc leaving the editor)
    // must not stay down for the menu.
    if (plat_owner() == PLAT_OWNER_GAME) {
        ImGuiIO &io = ImGui::GetIO();
        for (bool &down : io.MouseDown) down = false;
        for (bool &down : io.KeysDown) down = false;
        io.KeyCtrl = io.KeyShift = io.KeyAlt = io.KeySuper = false;
    }
    // Alt is ours to watch (keyboard_toggle_key): ImGui's own toggle would undo ours.
    GImGui->NavWindowingToggleLayer = false;
    ImGui::NewFrame();
    menu.given_keys.clear();
    menu.drawn.clear();
    if (bar && ImGui::BeginMainMenuBar()) {
        if (menu.keyboard_toggle) keyboard_toggle_apply();
        menu.keyboard_toggle = 0;
        size_t i = 0;
        draw_level(i, 0);
        ImGui::EndMainMenuBar();
    }
    plat_panel_draw();
    plat_about_draw();
    ImGui::Render();
    held_keys_replay();
    menu_owner_set(bar && keyboard_in_menu());
    menu.prepared = 1;
    const uint64_t drawn = draw_data_hash(ImGui::GetDrawData());
    menu.alike = alone && drawn == menu.prepared_hash ? menu.alike + 1 : 0;
    menu.model = model;
    menu.prepared_hash = drawn;
    menu.prepared_bottom = draw_data_bottom(ImGui::GetDrawData());
    return 1;
#else
    return 0;
#endif
}

int plat_menu_changed()
{
    return menu.prepared && menu.prepared_hash != menu.drawn_hash;
}

int plat_menu_bottom()
{
    return menu.prepared ? menu.prepared_bottom : 0;
}

void plat_menu_render()
{
#if VM_HAVE_IMGUI
    if (!menu.prepared || !plat_gl_make_current()) return;
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    menu.drawn_hash = menu.prepared_hash;
    menu.prepared = 0;
#endif
}

long plat_menu_builds()
{
    return menu.builds;
}

void plat_menu_draw()
{
    if (plat_menu_prepare()) plat_menu_render();
}

void plat_menu_keyboard_toggle()
{
    if (menu.ready && menu.shown) menu.keyboard_toggle = 1;
}

int plat_menu_event(const void *sdl_event, int owner)
{
#if VM_HAVE_IMGUI
    if (!menu.ready || !sdl_event) return 0;
    const SDL_Event &e = *static_cast<const SDL_Event *>(sdl_event);
    bool f10 = keyboard_toggle_key(e, owner) && e.key.keysym.sym == SDLK_F10;
    // The game's keys and clicks never reach the menu.
    if (owner == PLAT_OWNER_GAME) return 0;
    menu.stirred = 1;
    if (f10) return 1;
    bool ours = plat_owner() == PLAT_OWNER_MENU || plat_owner() == PLAT_OWNER_DIALOG;
    if (owner < 0 && (e.type == SDL_MOUSEWHEEL || e.type == SDL_TEXTINPUT) && !ours) return 0;
    // ImGui chooses a menu entry with Space only; in the window menu Enter and the keypad's
    // Enter choose as well.
    SDL_Event chosen = e;
    bool key = e.type == SDL_KEYDOWN || e.type == SDL_KEYUP;
    if (key && plat_owner() == PLAT_OWNER_MENU &&
        (e.key.keysym.scancode == SDL_SCANCODE_RETURN || e.key.keysym.scancode == SDL_SCANCODE_KP_ENTER)) {
        chosen.key.keysym.scancode = SDL_SCANCODE_SPACE;
        chosen.key.keysym.sym = SDLK_SPACE;
    }
    if (!key_tap_hold(chosen)) ImGui_ImplSDL2_ProcessEvent(&chosen);
    if (owner >= 0) return owner == PLAT_OWNER_MENU || owner == PLAT_OWNER_DIALOG;
    return ours && (e.type == SDL_MOUSEWHEEL || e.type == SDL_TEXTINPUT);
#else
    (void)sdl_event;
    (void)owner;
    return 0;
#endif
}

int plat_menu_bar_hit(const void *sdl_event)
{
    int bar = plat_menu_bar_height();
    SDL_Window *w = static_cast<SDL_Window *>(plat_window_handle());
    if (bar <= 0 || !w || !sdl_event) return 0;
    const SDL_Event &e = *static_cast<const SDL_Event *>(sdl_event);
    int x = e.button.x, y = e.button.y;
    if (SDL_GetRelativeMouseMode()) {
        // While the game holds the mouse SDL counts a position of its own; the pointer the
        // player aims with (and the menu draws for) is the desktop's.
        int wx, wy;
        SDL_GetGlobalMouseState(&x, &y);
        SDL_GetWindowPosition(w, &wx, &wy);
        x -= wx;
        y -= wy;
    }
    int width = 0;
    SDL_GetWindowSize(w, &width, nullptr);
    return x >= 0 && x < width && y >= 0 && y < bar;
}

int plat_menu_item_center(const char *text, int *x, int *y)
{
    auto it = text ? menu.drawn.find(text) : menu.drawn.end();
    if (it == menu.drawn.end()) return 0;
    if (x) *x = static_cast<int>((it->second.x0 + it->second.x1) / 2);
    if (y) *y = static_cast<int>((it->second.y0 + it->second.y1) / 2);
    return 1;
}

void plat_mouse_click_inject(int x, int y)
{
    SDL_Window *w = static_cast<SDL_Window *>(plat_window_handle());
    Uint32 id = w ? SDL_GetWindowID(w) : 0;
    if (w) SDL_WarpMouseInWindow(w, x, y);
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = id;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
    SDL_Event click[2];
    plat_input_click_events(id, 0, x, y, click);
    for (SDL_Event &b : click) SDL_PushEvent(&b);
}
