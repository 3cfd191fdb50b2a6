// plat_display on SDL2: display modes with refresh rates, the fullscreen switch and the window
// frame.
#include "platform/plat_display.h"

#include "platform/plat_core.h"

#include <SDL.h>

#include <vector>

namespace {

struct PLAT_DISPLAY_INJECTED {
    std::vector<PLAT_DISPLAY_MODE> modes;
    int desktop;
};

PLAT_DISPLAY_INJECTED injected;

bool injected_has(const PLAT_DISPLAY_MODE &m)
{
    for (const PLAT_DISPLAY_MODE &i : injected.modes)
        if (i.width == m.width && i.height == m.height && i.depth == m.depth) return true;
    return false;
}

SDL_Window *window()
{
    return static_cast<SDL_Window *>(plat_window_handle());
}

PLAT_DISPLAY_MODE from_sdl(const SDL_DisplayMode &m)
{
    PLAT_DISPLAY_MODE out{};
    out.width = m.w;
    out.height = m.h;
    int bpp = 0;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    SDL_PixelFormatEnumToMasks(m.format, &bpp, &r, &g, &b, &a);
    out.depth = SDL_BYTESPERPIXEL(m.format) == 4 ? 32 : static_cast<int>(SDL_BITSPERPIXEL(m.format));
    out.refresh = m.refresh_rate;
    out.red_mask = r;
    out.green_mask = g;
    out.blue_mask = b;
    return out;
}

int display_index()
{
    int index = window() ? SDL_GetWindowDisplayIndex(window()) : 0;
    return index < 0 ? 0 : index;
}

// The SDL mode that matches `mode` by size, depth and refresh (refresh 0 takes any).
bool find_sdl_mode(const PLAT_DISPLAY_MODE &mode, SDL_DisplayMode *found)
{
    int count = SDL_GetNumDisplayModes(display_index());
    for (int i = 0; i < count; i++) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(display_index(), i, &m) != 0) continue;
        PLAT_DISPLAY_MODE p = from_sdl(m);
        if (p.width == mode.width && p.height == mode.height && p.depth == mode.depth &&
            (mode.refresh == 0 || p.refresh == mode.refresh)) {
            *found = m;
            return true;
        }
    }
    // Some drivers leave the desktop mode out of their list.
    SDL_DisplayMode d;
    if (SDL_GetDesktopDisplayMode(display_index(), &d) != 0) return false;
    PLAT_DISPLAY_MODE p = from_sdl(d);
    if (p.width != mode.width || p.height != mode.height || p.depth != mode.depth) return false;
    *found = d;
    return true;
}

// Leaves fullscreen, or enters it in `mode`. 1 when done.
int display_mode_switch(const PLAT_DISPLAY_MODE *mode, int fullscreen)
{
    if (!fullscreen) return SDL_SetWindowFullscreen(window(), 0) == 0;
    if (!injected.modes.empty())
        return mode && injected_has(*mode) && SDL_SetWindowFullscreen(window(), SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    SDL_DisplayMode m;
    if (!mode || !find_sdl_mode(*mode, &m)) return 0;
    if (SDL_GetWindowFlags(window()) & SDL_WINDOW_FULLSCREEN) SDL_SetWindowFullscreen(window(), 0);
    if (SDL_SetWindowDisplayMode(window(), &m) != 0) return 0;
    // Without a window manager nobody else puts the window over the whole screen.
    SDL_Rect screen;
    if (SDL_GetDisplayBounds(display_index(), &screen) == 0) SDL_SetWindowPosition(window(), screen.x, screen.y);
    SDL_SetWindowSize(window(), m.w, m.h);
    return SDL_SetWindowFullscreen(window(), SDL_WINDOW_FULLSCREEN) == 0;
}

} // namespace

int plat_display_modes(PLAT_DISPLAY_MODE *out, int max)
{
    if (!injected.modes.empty()) {
        int count = static_cast<int>(injected.modes.size());
        for (int i = 0; i < count && i < max && out; i++) out[i] = injected.modes[static_cast<size_t>(i)];
        return count;
    }
    int count = SDL_GetNumDisplayModes(display_index());
    if (count < 0) return 0;
    for (int i = 0; i < count && i < max && out; i++) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(display_index(), i, &m) == 0) out[i] = from_sdl(m);
        else out[i] = PLAT_DISPLAY_MODE{};
    }
    return count;
}

int plat_display_desktop(PLAT_DISPLAY_MODE *out)
{
    if (!injected.modes.empty()) {
        *out = injected.modes[static_cast<size_t>(injected.desktop)];
        return 1;
    }
    SDL_DisplayMode m;
    if (SDL_GetDesktopDisplayMode(display_index(), &m) != 0) return 0;
    *out = from_sdl(m);
    return 1;
}

int plat_display_mode_set(const PLAT_DISPLAY_MODE *mode, int fullscreen)
{
    if (!window()) return 0;
    const int done = display_mode_switch(mode, fullscreen);
    // As on other systems, a change of mode is announced like any other change of the display.
    if (done) plat_message_post(PLAT_WM_DISPLAYCHANGE, 0, 0);
    return done;
}

void plat_display_restore()
{
    if (window() && (SDL_GetWindowFlags(window()) & SDL_WINDOW_FULLSCREEN)) SDL_SetWindowFullscreen(window(), 0);
}

int plat_display_is_fullscreen()
{
    return window() && (SDL_GetWindowFlags(window()) & SDL_WINDOW_FULLSCREEN) != 0;
}

void plat_window_client_size_set(int width, int height)
{
    if (window() && width > 0 && height > 0) SDL_SetWindowSize(window(), width, height);
}

void plat_window_client_size(int *width, int *height)
{
    int w = 0, h = 0;
    if (window()) SDL_GetWindowSize(window(), &w, &h);
    if (width) *width = w;
    if (height) *height = h;
}

void plat_window_position_set(int x, int y)
{
    if (!window()) return;
    SDL_SetWindowPosition(window(), x < 0 ? int(SDL_WINDOWPOS_CENTERED) : x, y < 0 ? int(SDL_WINDOWPOS_CENTERED) : y);
}

void plat_window_position(int *x, int *y)
{
    int px = 0, py = 0;
    if (window()) SDL_GetWindowPosition(window(), &px, &py);
    if (x) *x = px;
    if (y) *y = py;
}

void plat_window_resizable(int resizable, int min_w, int min_h)
{
    if (!window()) return;
    SDL_SetWindowResizable(window(), resizable ? SDL_TRUE : SDL_FALSE);
    if (min_w > 0 && min_h > 0) SDL_SetWindowMinimumSize(window(), min_w, min_h);
}

void plat_window_bordered(int bordered)
{
    if (window()) SDL_SetWindowBordered(window(), bordered ? SDL_TRUE : SDL_FALSE);
}

void plat_window_topmost(int topmost)
{
    if (window()) SDL_SetWindowAlwaysOnTop(window(), topmost ? SDL_TRUE : SDL_FALSE);
}

void plat_window_minimize()
{
    if (window()) SDL_MinimizeWindow(window());
}

void plat_window_restore()
{
    if (window()) SDL_RestoreWindow(window());
}

int plat_window_minimized()
{
    return window() && (SDL_GetWindowFlags(window()) & SDL_WINDOW_MINIMIZED) != 0;
}

void plat_window_icon_set(const uint8_t *rgba, int width, int height)
{
    if (!window() || !rgba || width <= 0 || height <= 0) return;
    SDL_Surface *s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t *>(rgba), width, height, 32, width * 4,
                                                        SDL_PIXELFORMAT_ABGR8888);
    if (!s) return;
    SDL_SetWindowIcon(window(), s);
    SDL_FreeSurface(s);
}

void plat_display_inject_modes(const PLAT_DISPLAY_MODE *modes, int count, int desktop)
{
    injected.modes.assign(modes, modes + (modes && count > 0 ? count : 0));
    injected.desktop = desktop >= 0 && desktop < count ? desktop : 0;
}
